// Whether the product's agent service runs, which decides the order in which
// the policy back-ends are tried.
#pragma once

#define HX_AGENT_SERVICE_NAME "TVMA"

// True when the service is start pending, running or continue pending.
bool AgentServiceRuns();
