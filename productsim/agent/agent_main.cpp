// The agent service stand-in ("tvma"): generates a pending host identity,
// then runs the message broker with the policy and poll modules until the
// service is stopped.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "identity.h"
#include "productsim/agent/agent_modules.h"
#include "productsim/agent/broker.h"
#include "productsim/agent/service_host.h"
#include "productsim/tvma/broker_names.h"

int wmain() {
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
