// The immediate restart of the agent's two services after an identity
// request (RESETUID ... APPLYNOW), clearing the agent's table while the agent
// is stopped.
#pragma once

#include "agentutil/clock.h"
#include "agentutil/policy_api.h"
#include "agentutil/result_code.h"
#include "agentutil/text_sink.h"

namespace agentutil {

extern const char kAgentServiceName[];
extern const char kStarterServiceName[];
const DWORD kServiceWaitMs = 60000;

// identity_result: what the identity request gave; returned when the restart
// completes or finds the agent not running.
ResultCode RestartAgentServices(ResultCode identity_result, PolicyApi& policy, Clock& clock,
                                TextSink& out);

}  // namespace agentutil
