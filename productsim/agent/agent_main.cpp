// The agent service stand-in ("tvma"): generates a pending host identity,
// then runs the message broker with the policy and poll modules until the
// service is stopped. Command line (the service's binary path):
//   tvmasvc.exe [--store-dir DIR]   the policy store folder (else the default)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>

#include "identity.h"
#include "productsim/agent/agent_modules.h"
#include "productsim/agent/broker.h"
#include "productsim/agent/service_host.h"
#include "productsim/tvma/broker_names.h"

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (wcscmp(argv[i], L"--store-dir") == 0) SetEnvironmentVariableW(L"TVSIM_STORE_DIR", argv[++i]);
  }
  tvsim::AgentSwitches switches;
  tvsim::PolicyModule policy(&switches);
  tvsim::PollModule poll(&switches);
  std::unique_ptr<tvsim::Broker> broker;
  tvsim::ServiceWork work;
  work.start = [&] {
    bool generated = false;
    tvsim::CompletePendingIdentity(&generated);
    broker.reset(new tvsim::Broker(tvsim::BrokerPipeName(), tvsim::kReadyMutexName, &switches));
    broker->AddLocalModule(tvsim::kPolicyModuleOid, &policy);
    broker->AddLocalModule(tvsim::kPollModuleOid, &poll);
    return broker->Start();
  };
  work.stop = [&] { broker.reset(); };
  if (!tvsim::RunAsService(L"tvma", work)) {
    fprintf(stderr, "tvmasvc: runs only as the service \"tvma\"\n");
    return 1;
  }
  return 0;
}
