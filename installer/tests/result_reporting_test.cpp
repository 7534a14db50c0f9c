// Reboot request and exit information under <product root>\TVSetup.
#include <string>

#include "exit_codes.h"
#include "gtest/gtest.h"
#include "test_support.h"

using coretest::PackageDir;
using coretest::ScratchRegistryRoot;

namespace {

std::string Flag(const char* key, bool set) { return std::string(key) + (set ? "=1\n" : "=0\n"); }

TEST(RebootRequest, ValueFollowsNeedAdvancedAndDisable) {
  struct Case {
    bool needed, advanced, disabled;
    DWORD value;
  };
  const Case cases[] = {
      {false, false, false, 0}, {true, false, false, 1}, {true, true, false, 2},
      {false, true, false, 0},  {true, true, true, 0},   {true, false, true, 0},
  };
  for (const Case& c : cases) {
    PackageDir dir;
    ScratchRegistryRoot root;
    root.CreateKey("TVSetup");
    std::string log = dir / "hx.log";
    dir.WriteIni("[General]\nLog=" + log + "\n" + Flag("AdvancedReboot", c.advanced) +
                 Flag("DisableReboot", c.disabled));
    {
      HotfixInstaller installer;
      coretest::PrepareInstaller(&installer, dir, root);
      // A request left by an earlier run is overwritten, also by 0.
      DWORD earlier = 1;
      RegSetKeyValueA(HKEY_LOCAL_MACHINE, (root.path() + "\\TVSetup").c_str(),
                      "TVRUNNER_REQUEST_REBOOT", REG_DWORD, &earlier, sizeof(earlier));
      installer.rebootNeeded = c.needed;
      EXPECT_TRUE(installer.WriteRebootRequest());
    }
    DWORD value = 99;
    ASSERT_TRUE(root.ReadDword("TVSetup", "TVRUNNER_REQUEST_REBOOT", &value));
    EXPECT_EQ(c.value, value) << c.needed << c.advanced << c.disabled;
    char expected[256];
    snprintf(expected, sizeof(expected),
             "Reboot conditions: needed=%d, disabled=%d, advanced=%d\n"
             "Setting reboot request value in registry: value=%u, success=1 (error code=0)\n",
             c.needed, c.disabled, c.advanced, static_cast<unsigned>(c.value));
    EXPECT_NE(std::string::npos, coretest::ReadFile(log).find(expected)) << expected;
  }
}

TEST(RebootRequest, ForceRebootAlwaysWithAdvancedGivesTwoAfterTheUpdate) {
  // ForceRebootAlways becomes the reboot-needed flag at the start of the run.
  PackageDir dir;
  dir.WriteIni("[General]\nForceRebootAlways=1\nAdvancedReboot=1\n");
  PackageDescription package;
  HotfixInstaller installer;
  ScratchRegistryRoot root;
  root.CreateKey("TVSetup");
  coretest::PrepareInstaller(&installer, dir, root);
  EXPECT_TRUE(installer.package.forceRebootAlways);
  installer.rebootNeeded = installer.package.forceRebootAlways;
  EXPECT_TRUE(installer.WriteRebootRequest());
  DWORD value = 0;
  ASSERT_TRUE(root.ReadDword("TVSetup", "TVRUNNER_REQUEST_REBOOT", &value));
  EXPECT_EQ(2u, value);
}

TEST(ExitInformation, WritesCodeAndDescription) {
  struct Case {
    int code;
    const char* description;
  };
  const Case cases[] = {
      {0, "Success"},
      {3, "Error occurred during installation of files (may be caused by insufficient free disk "
          "space or access privileges"},
      {5, "Initialization failure: possible mismatch between hotfix package and installed "
          "products, please check the logfile for details"},
      {7, "Unknown error condition"},
      {-1, "Unknown error condition"},
  };
  for (const Case& c : cases) {
    PackageDir dir;
    ScratchRegistryRoot root;
    root.CreateKey("TVSetup");
    std::string log = dir / "hx.log";
    dir.WriteIni("[General]\nLog=" + log + "\n");
    {
      HotfixInstaller installer;
      coretest::PrepareInstaller(&installer, dir, root);
      installer.exitCode = c.code;
      installer.WriteExitInformation();
    }
    DWORD code = 0;
    std::string description;
    ASSERT_TRUE(root.ReadDword("TVSetup", "RESULT_CODE", &code));
    ASSERT_TRUE(root.ReadString("TVSetup", "DESCRIPTION_RESULT_SETUP", &description));
    EXPECT_EQ(static_cast<DWORD>(c.code), code);
    EXPECT_EQ(c.description, description);
    EXPECT_STREQ(c.description, ExitCodeDescription(c.code));
    char expected[512];
    snprintf(expected, sizeof(expected),
             "Writing exit code to registry: %d (success=1, errorcode=0)\n"
             "Writing error description to registry: \"%s\" (success=1, errorcode=0)\n",
             c.code, c.description);
    EXPECT_NE(std::string::npos, coretest::ReadFile(log).find(expected)) << expected;
  }
}

TEST(ExitInformation, MissingSetupKeyIsLoggedAndNeverCreated) {
  PackageDir dir;
  ScratchRegistryRoot root;
  std::string log = dir / "hx.log";
  dir.WriteIni("[General]\nLog=" + log + "\n");
  {
    HotfixInstaller installer;
    coretest::PrepareInstaller(&installer, dir, root);
    installer.rebootNeeded = true;
    installer.exitCode = 3;
    EXPECT_FALSE(installer.WriteRebootRequest());
    installer.WriteExitInformation();
    EXPECT_EQ(3, installer.exitCode);
  }
  EXPECT_FALSE(root.KeyExists("TVSetup"));
  std::string text = coretest::ReadFile(log);
  EXPECT_NE(std::string::npos,
            text.find("Setting reboot request value in registry: value=1, success=0 (error "
                      "code=2)\n"))
      << text;
  EXPECT_NE(std::string::npos,
            text.find("Error 2 opening registry key for writing exit information\n"));
}

}  // namespace
