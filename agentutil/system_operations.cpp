#include "agentutil/system_operations.h"

#include "agentutil/agent_restart.h"
#include "agentutil/poll.h"
#include "agentutil/reset_flag.h"

namespace agentutil {

void SystemIdentityEnvironment::SetResetFlag() { SetResetCFTableFlag(); }

ResultCode SystemIdentityEnvironment::RestartAgent(ResultCode identity_result, TextSink& out) {
  return RestartAgentServices(identity_result, policy_, clock_, out);
}

ResultCode SystemOperations::Poll() { return RunPoll(tvma_, clock_); }

ResultCode SystemOperations::ShowUid() { return agentutil::ShowUid(policy_, out_); }

ResultCode SystemOperations::ResetUid(int argc, const char* const* argv) {
  SystemIdentityEnvironment env(policy_, clock_);
  return agentutil::ResetUid(argc, argv, env, out_);
}

}  // namespace agentutil
