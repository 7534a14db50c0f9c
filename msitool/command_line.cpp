#include "command_line.h"

#include <cwchar>

#include "text_util.h"

namespace msitool {
namespace {

const wchar_t* const kHelpSwitches[] = {L"-?", L"--?",   L"/?",     L"-h",    L"--h",
                                        L"/h", L"-help", L"--help", L"/help"};

bool IsHelpSwitch(const wchar_t* arg) {
  for (const wchar_t* s : kHelpSwitches) {
    if (EqualsIgnoreAsciiCase(arg, s)) return true;
  }
  return false;
}

}  // namespace

CommandLine::CommandLine(int argc, const wchar_t* const* argv) : argument_count_(argc) {
  if (argc > 0 && argv != nullptr && argv[0] != nullptr) program_path_ = argv[0];
  // One or two arguments after the program name, nothing else.
  if (argc != 2 && argc != 3) {
    valid_ = false;
    return;
  }
  for (int i = 1; i < argc; ++i) {
    const wchar_t* arg = argv[i] != nullptr ? argv[i] : L"";
    if (EqualsIgnoreAsciiCase(arg, L"/hideoldaddremoves")) {
      hide_old_entries_ = true;
    } else if (std::wcsstr(arg, L"/u:") != nullptr) {
      // The code is what follows the last colon, so "x/u:a:b" gives "b".
      upgrade_code_ = std::wcsrchr(arg, L':') + 1;
    } else if (IsHelpSwitch(arg)) {
      help_ = true;
      return;  // later arguments are not looked at
    } else if (EqualsIgnoreAsciiCase(arg, L"/uninstall")) {
      uninstall_ = true;
    } else {
      valid_ = false;
      return;
    }
  }
}

}  // namespace msitool
