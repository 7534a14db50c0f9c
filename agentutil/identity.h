// SHOWUID and RESETUID: showing the host's unique identity and having it
// generated again by a chosen method.
#pragma once

#include "agentutil/policy_api.h"
#include "agentutil/result_code.h"
#include "agentutil/text_sink.h"

namespace agentutil {

// What RESETUID needs beyond the policy library.
class IdentityEnvironment {
 public:
  virtual ~IdentityEnvironment() {}
  virtual PolicyApi& policy() = 0;
  // Sets the registry flag; failures are ignored.
  virtual void SetResetFlag() = 0;
  // The APPLYNOW restart; returns the operation's result.
  virtual ResultCode RestartAgent(ResultCode identity_result, TextSink& out) = 0;
};

// Display name of a method number; "UNKNOWN" outside 0 to 3.
const char* IdentityMethodName(INT32 method);

// Always returns 0.
ResultCode ShowUid(PolicyApi& policy, TextSink& out);

// argc/argv: the words after RESETUID.
ResultCode ResetUid(int argc, const char* const* argv, IdentityEnvironment& env, TextSink& out);

}  // namespace agentutil
