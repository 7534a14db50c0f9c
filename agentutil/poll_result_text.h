// The line printed for the result of a POLL.
#pragma once

#include <stddef.h>

#include "agentutil/result_code.h"

namespace agentutil {

// Writes the line for `code` (with its line end) into `buffer` and returns
// buffer. Known error codes get their name, other errors the code as a signed
// decimal and hexadecimal number, every success code "ok".
const char* PollResultText(ResultCode code, char* buffer, size_t size);

}  // namespace agentutil
