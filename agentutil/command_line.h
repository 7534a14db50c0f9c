// The utility's entry logic: picks the operation from the command line, prints
// the usage text or the POLL result line, and forms the exit code.
#pragma once

#include "agentutil/result_code.h"
#include "agentutil/text_sink.h"

namespace agentutil {

// The three operations, as the entry calls them.
class UtilityOperations {
 public:
  virtual ~UtilityOperations() {}
  virtual ResultCode Poll() = 0;
  virtual ResultCode ShowUid() = 0;
  // argc/argv: the words after RESETUID.
  virtual ResultCode ResetUid(int argc, const char* const* argv) = 0;
};

// ASCII comparison without regard to case; the command words are plain ASCII.
bool WordEquals(const char* word, const char* expected);

// argc/argv as main receives them (argv[0] the program). Returns the exit code.
int RunCommandLine(int argc, const char* const* argv, UtilityOperations& ops, TextSink& out);

}  // namespace agentutil
