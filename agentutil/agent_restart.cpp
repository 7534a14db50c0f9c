#include "agentutil/agent_restart.h"

#include "agentutil/agent_table.h"
#include "agentutil/scm.h"

namespace agentutil {

const char kAgentServiceName[] = "tvma";
const char kStarterServiceName[] = "Tarnvale Wardlen Handler Starter";

namespace {

const DWORD kServiceAccess = SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP;

}  // namespace

ResultCode RestartAgentServices(ResultCode identity_result, PolicyApi& policy, Clock& clock,
                                TextSink& out) {
  // Declared first so that the services close before the connection.
  ScmConnection manager;
  if (manager.Open(SC_MANAGER_CONNECT) != 0) {
    out.Printf("Error: %s\n", manager.error_text());
    return TVMA_E_INVALID_PARAMETER;
  }
  ScmService agent(clock);
  ScmService starter(clock);
  if (agent.Open(manager, kAgentServiceName, kServiceAccess) != 0) {
    out.Printf("Error: %s\n", agent.error_text());
    return TVMA_E_INVALID_PARAMETER;
  }
  if (starter.Open(manager, kStarterServiceName, kServiceAccess) != 0) {
    out.Printf("Error: %s\n", starter.error_text());
    return TVMA_E_INVALID_PARAMETER;
  }

  DWORD agent_state = agent.QueryState();
  if (agent.error() != 0 || agent_state != SERVICE_RUNNING) {
    out.Write("TVMA service is not running. Can't restart\n");
    return identity_result;
  }

  out.Write("The Tarnvale Management Agent service is stopping...\n");
  // The starter is stopped only once the agent's stop went through.
  if (agent.Stop() != 0 || starter.Stop() != 0) {
    out.Printf("Error: %s %s\n", agent.error_text(), starter.error_text());
    return TVMA_E_UNKNOWN_ERROR;
  }
  agent.WaitForState(SERVICE_STOPPED, kServiceWaitMs);
  starter.WaitForState(SERVICE_STOPPED, kServiceWaitMs);
  if (agent.QueryState() != SERVICE_STOPPED || starter.QueryState() != SERVICE_STOPPED) {
    out.Write("Error: service was not stopped\n");
    return TVMA_E_UNKNOWN_ERROR;
  }

  ClearAgentTable(policy);

  out.Write("The Tarnvale Management Agent service is starting.\n");
  if (agent.Start() != 0) {
    out.Printf("Error: %s\n", agent.error_text());
    return TVMA_E_UNKNOWN_ERROR;
  }
  if (starter.Start() != 0) {
    out.Printf("Error: %s\n", starter.error_text());
    return TVMA_E_UNKNOWN_ERROR;
  }
  agent.WaitForState(SERVICE_RUNNING, kServiceWaitMs);
  agent.Close();
  starter.WaitForState(SERVICE_RUNNING, kServiceWaitMs);
  starter.Close();
  return identity_result;
}

}  // namespace agentutil
