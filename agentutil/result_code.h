// Result codes of the utility: the messaging library's codes, passed on as
// they are, plus the exit code that a final result turns into.
#pragma once

#include "installer/policy/tvma32.h"

namespace agentutil {

typedef UINT32 ResultCode;

// Bits 31 and 30 carry the severity; both clear is success, whatever the rest.
inline bool IsError(ResultCode code) { return (code & 0xC0000000u) != 0; }
inline bool IsSuccess(ResultCode code) { return !IsError(code); }

// Process exit code for a final result.
inline int ExitCodeFor(ResultCode code) { return IsError(code) ? 1 : 0; }

}  // namespace agentutil
