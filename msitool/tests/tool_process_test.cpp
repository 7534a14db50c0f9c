// tv_msi_32_s run as a process with redirected output: exit codes, and what
// reaches the pipe.
#include <gtest/gtest.h>

#include <string>

#include "wine_test_env.h"

namespace {

const char kBanner[] = "\nTarnvale Msi Tool v10.0.110 \n";
const char kUsage[] =
    "\nUsage: tv_msi_32_s.exe [/?] [/hideoldaddremoves] [/u:UPGRADECODE]\n\n"
    " /?                  : Prints this usage info\n\n"
    " /hideoldaddremoves  : Hides add/remove programs for all the old products\n"
    "                       that have same UPGRADE code. Versions that are older\n"
    "                       than the newest installed are hidden.\n"
    "                       /u:UPGRADECODE is required for this switch.\n\n"
    " /uninstall          : Uninstalls all products with same UPGRADE code.\n"
    "                       If the msi uninstallation fails it tries to\n"
    "                       uninstall it by copying the cached msi file to\n"
    "                       temp and using it for MsiInstallProduct with\n"
    "                       REMOVE=ALL REBOOT=ReallySuppress.\n"
    "                       /u:UPGRADECODE is required for this switch.\n\n"
    " [/u:UPGRADECODE]    : msi UpgradeCode.\n"
    "                       E.g. /u:{3B7D2A95-C14E-4a06-8E5B-D2F9047C6A18}\n";

const char kNoSuchFamily[] = "{0BADC0DE-0000-4000-8000-0000000000FF}";

TEST(ToolProcess, CommandLineTable) {
  struct Case {
    std::string args;
    DWORD exit_code;
    bool usage;
  };
  const Case cases[] = {
      {"", 160, true},
      {"/?", 0, true},
      {"-HELP", 0, true},
      {"-help junk", 0, true},
      {"junk /?", 160, true},
      {"/hideoldaddremoves /uninstall /u:" + std::string(kNoSuchFamily), 160, true},
      {"/U:" + std::string(kNoSuchFamily), 160, true},
      {"/u:" + std::string(kNoSuchFamily), 0, false},
      {"/HideOldAddRemoves /u:" + std::string(kNoSuchFamily), 0, false},
      {"/uninstall x/u:{junk}:" + std::string(kNoSuchFamily), 0, false},
      {"/hideoldaddremoves /uninstall", 0, false},
      {"/uninstall /u:", 0, false},
  };
  const std::string exe = hxtest::BinDir() + "tv_msi_32_s.exe";
  for (const Case& c : cases) {
    SCOPED_TRACE("args: " + c.args);
    std::string output;
    hxtest::ProcessResult r = hxtest::RunProcessCapture("\"" + exe + "\" " + c.args, &output);
    ASSERT_TRUE(r.started);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(c.exit_code, r.exit_code);
    EXPECT_EQ(c.usage ? std::string(kBanner) + kUsage : std::string(kBanner), output);
  }
}

// The usage text names the program by its own file name, whatever it is.
TEST(ToolProcess, UsageNamesRenamedProgram) {
  hxtest::TempDir dir("msitool");
  const std::string copy = dir / "renamed tool.exe";
  ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + "tv_msi_32_s.exe", copy));
  std::string output;
  hxtest::ProcessResult r = hxtest::RunProcessCapture("\"" + copy + "\" /?", &output);
  EXPECT_EQ(0u, r.exit_code);
  EXPECT_NE(std::string::npos, output.find("\nUsage: renamed tool.exe [/?]")) << output;
}

}  // namespace
