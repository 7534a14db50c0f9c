#include "agentutil/command_line.h"

#include "agentutil/poll_result_text.h"
#include "agentutil/usage_text.h"

namespace agentutil {

bool WordEquals(const char* word, const char* expected) {
  if (word == NULL || expected == NULL) return false;
  for (;; ++word, ++expected) {
    char a = *word;
    char b = *expected;
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
    if (a == '\0') return true;
  }
}

int RunCommandLine(int argc, const char* const* argv, UtilityOperations& ops, TextSink& out) {
  ResultCode result = TVMA_SUCCESS;
  const char* operation = argc > 1 ? argv[1] : NULL;
  if (WordEquals(operation, "SHOWUID")) {
    result = ops.ShowUid();
  } else if (WordEquals(operation, "RESETUID")) {
    result = ops.ResetUid(argc - 2, argv + 2);
  } else if (!WordEquals(operation, "POLL")) {
    // An unknown word or none at all is not an error.
    PrintUsage(out);
  } else {
    result = ops.Poll();
    char line[128];
    out.Write(PollResultText(result, line, sizeof(line)));
  }
  return ExitCodeFor(result);
}

}  // namespace agentutil
