// Parsing of the tool's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

struct Case {
  std::vector<const wchar_t*> args;  // after the program name
  bool valid;
  bool help;
  bool hide;
  bool uninstall;
  const wchar_t* code;
};

const Case kCases[] = {
    {{}, false, false, false, false, L""},
    {{L"/?"}, true, true, false, false, L""},
    {{L"-HELP"}, true, true, false, false, L""},
    {{L"--h"}, true, true, false, false, L""},
    {{L"/Help"}, true, true, false, false, L""},
    // Examining stops at a help switch, so what follows is never judged.
    {{L"-help", L"junk"}, true, true, false, false, L""},
    {{L"junk", L"/?"}, false, false, false, false, L""},
    {{L"/hideoldaddremoves", L"/uninstall", L"/u:{A}"}, false, false, false, false, L""},
    {{L"/HideOldAddRemoves", L"/u:{A}"}, true, false, true, false, L"{A}"},
    {{L"/u:{A}", L"/UNINSTALL"}, true, false, false, true, L"{A}"},
    {{L"/hideoldaddremoves", L"/uninstall"}, true, false, true, true, L""},
    {{L"/U:{A}"}, false, false, false, false, L""},
    // The code is the text after the last colon of the argument.
    {{L"x/u:{A}:{B}"}, true, false, false, false, L"{B}"},
    {{L"/u:"}, true, false, false, false, L""},
    // A later /u: replaces an earlier one.
    {{L"/u:{A}", L"/u:{B}"}, true, false, false, false, L"{B}"},
    // Valid flags seen before an invalid argument do not make it valid.
    {{L"/uninstall", L"/hide"}, false, false, false, true, L""},
    {{L"/?", L"/?"}, true, true, false, false, L""},
    {{L"/hideoldaddremoves "}, false, false, false, false, L""},
};

TEST(CommandLine, ParsesSwitchesInOrder) {
  for (const Case& c : kCases) {
    std::vector<const wchar_t*> argv = {L"C:\\tools\\tv_msi_32_s.exe"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::wstring trace;
    for (const wchar_t* a : c.args) trace += std::wstring(L"[") + a + L"]";
    SCOPED_TRACE(std::string(trace.begin(), trace.end()));
    msitool::CommandLine cl(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(c.valid, cl.IsValid());
    EXPECT_EQ(c.help, cl.help());
    EXPECT_EQ(c.hide, cl.hide_old_entries());
    EXPECT_EQ(c.uninstall, cl.uninstall());
    EXPECT_EQ(std::wstring(c.code), cl.upgrade_code());
    EXPECT_EQ(static_cast<int>(argv.size()), cl.argument_count());
    EXPECT_EQ(std::wstring(L"C:\\tools\\tv_msi_32_s.exe"), cl.program_path());
  }
}

TEST(CommandLine, NoProgramNameAtAll) {
  msitool::CommandLine cl(0, nullptr);
  EXPECT_FALSE(cl.IsValid());
  EXPECT_TRUE(cl.program_path().empty());
}

}  // namespace
