#include "agentutil/identity.h"

#include "agentutil/command_line.h"

namespace agentutil {
namespace {

const char* const kMethodNames[] = {"SMBIOSGUID", "RANDOMGUID", "WINS", "MAC"};
const INT32 kMethodCount = 4;
// QmpGetUIDOperation: the identity is made at the next system restart.
const INT32 kUidPendingRestart = 1;
const INT32 kCreateUidRequest = 1;

}  // namespace

const char* IdentityMethodName(INT32 method) {
  UINT32 index = static_cast<UINT32>(method);
  return index < static_cast<UINT32>(kMethodCount) ? kMethodNames[index] : "UNKNOWN";
}

ResultCode ShowUid(PolicyApi& policy, TextSink& out) {
  // Left out of range if the call fills nothing, so it shows as UNKNOWN.
  INT32 method = -1;
  policy.UIDGetMethod(&method);
  const char* name = IdentityMethodName(method);

  INT32 operation = 0;
  policy.GetUIDOperation(&operation);
  if (operation == kUidPendingRestart) {
    out.Printf("Identity type=%s\n", name);
    out.Write("Tarnvale Management Unique Identity will be created at the next system restart.\n");
    return 0;
  }

  char value[256];
  value[0] = '\0';
  INT32 size = 255;
  if (policy.GetUIDA(0, value, &size) != 0) {
    out.Write("Error getting GUID\n");
  } else {
    value[sizeof(value) - 1] = '\0';
    out.Printf("Identity type=%s, value=%s\n", name, value);
  }
  return 0;
}

ResultCode ResetUid(int argc, const char* const* argv, IdentityEnvironment& env, TextSink& out) {
  if (argc < 1) return TVMA_E_INVALID_PARAMETER;
  INT32 method = -1;
  for (INT32 i = 0; i < kMethodCount; ++i) {
    if (WordEquals(argv[0], kMethodNames[i])) method = i;
  }
  if (method < 0) {
    out.Write("Invalid algorithm\n");
    return TVMA_E_INVALID_PARAMETER;
  }
  bool apply_now = false;
  if (argc >= 2) {
    if (!WordEquals(argv[1], "APPLYNOW")) {
      out.Write("Invalid parameter: only APPLYNOW is allowed\n");
      return TVMA_E_INVALID_PARAMETER;
    }
    apply_now = true;
  }

  PolicyApi& policy = env.policy();
  policy.UIDSetMethod(method);
  ResultCode result = TVMA_SUCCESS;
  INT32 error = policy.CreateUID(kCreateUidRequest);
  if (error != 0) {
    out.Printf("Tarnvale Management Unique Identity creation failed, error = %d.\n", error);
    result = TVMA_E_UNKNOWN_ERROR;
  } else if (apply_now) {
    out.Write("Tarnvale Management Unique Identity will be created in a few seconds.\n");
  } else {
    out.Write("Tarnvale Management Unique Identity will be created at the next system restart.\n");
  }

  // Set whatever the request gave; a failed request still restarts below.
  env.SetResetFlag();
  if (!apply_now) return result;
  return env.RestartAgent(result, out);
}

}  // namespace agentutil
