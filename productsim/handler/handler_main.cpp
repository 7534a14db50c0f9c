// Stand-in of the product's "Tarnvale Wardlen Handler Starter" service: it
// does nothing but run until it is stopped, so that the agent utility's
// restart has a second service to stop and start.
#include <windows.h>

#include <cstdio>

#include "productsim/agent/service_host.h"

int wmain() {
  tvsim::ServiceWork work;
  work.start = [] { return true; };
  work.stop = [] {};
  if (!tvsim::RunAsService(L"Tarnvale Wardlen Handler Starter", work)) {
    fprintf(stderr, "tvwhstarter: runs only as the service \"Tarnvale Wardlen Handler Starter\"\n");
    return 1;
  }
  return 0;
}
