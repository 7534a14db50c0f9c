// The utility's operations bound to the real system: the given libraries, the
// registry, the service control manager and the clock.
#pragma once

#include "agentutil/clock.h"
#include "agentutil/command_line.h"
#include "agentutil/identity.h"
#include "agentutil/policy_api.h"
#include "agentutil/tvma_api.h"

namespace agentutil {

class SystemIdentityEnvironment : public IdentityEnvironment {
 public:
  SystemIdentityEnvironment(PolicyApi& policy, Clock& clock) : policy_(policy), clock_(clock) {}
  PolicyApi& policy() override { return policy_; }
  void SetResetFlag() override;
  ResultCode RestartAgent(ResultCode identity_result, TextSink& out) override;

 private:
  PolicyApi& policy_;
  Clock& clock_;
};

class SystemOperations : public UtilityOperations {
 public:
  SystemOperations(PolicyApi& policy, TvmaApi& tvma, Clock& clock, TextSink& out)
      : policy_(policy), tvma_(tvma), clock_(clock), out_(out) {}
  ResultCode Poll() override;
  ResultCode ShowUid() override;
  ResultCode ResetUid(int argc, const char* const* argv) override;

 private:
  PolicyApi& policy_;
  TvmaApi& tvma_;
  Clock& clock_;
  TextSink& out_;
};

}  // namespace agentutil
