// Whole hxupd.exe runs under Wine: a package folder with the installer, its
// HOTFIX.INI and test plug-ins, against no product or against the simulated
// product installed by tvsim_setup.
#include <string>

#include "gtest/gtest.h"
#include "shared/scoped_handle.h"
#include "test_support.h"

using coretest::PackageDir;

namespace {

const char kSetupKey[] = "Software\\Quillmoor\\Tarnvale\\TVSetup";

bool ReadSetupDword(const char* name, DWORD* value) {
  DWORD size = sizeof(*value);
  return RegGetValueA(HKEY_LOCAL_MACHINE, kSetupKey, name, RRF_RT_REG_DWORD, nullptr, value,
                      &size) == ERROR_SUCCESS;
}

std::string ReadSetupText(const char* name) {
  char text[512] = "";
  DWORD size = sizeof(text);
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kSetupKey, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS)
    return "<missing>";
  return text;
}

// The last lines of every run's log. A run that still holds its policy
// connection at the end releases it after unloading the plug-ins, and the
// policy channel reports that with a line of its own.
void ExpectLogEnding(const std::string& log, int exitCode, bool policyHeld = false) {
  std::string ending = "Exit code: " + std::to_string(exitCode) +
                       "\nUnloading plug-ins... success\n" +
                       (policyHeld ? "TCH policy connection uninitialized\n" : "") + "Log close:  ";
  size_t at = log.rfind(ending);
  ASSERT_NE(std::string::npos, at) << log;
  EXPECT_EQ(at + ending.size() + strlen("2024-01-01 00:00:00.000\n"), log.size()) << log;
}

class HxupdRun : public ::testing::Test {
 protected:
  void SetUp() override {
    pkg_.AddBinary("hxupd.exe", "hxupd.exe");
  }
  // The product's libraries beside the installer: reachable even when no
  // product is installed.
  void AddProductLibraries() {
    for (const char* library : {"TVPMAPI.dll", "tvisu.dll"})
      if (hxtest::FileExists(hxtest::BinDir() + library)) pkg_.AddBinary(library, library);
  }
  int RunInstaller() {
    hxtest::ProcessResult result =
        hxtest::RunProcess("\"" + (pkg_ / "hxupd.exe") + "\"", pkg_.path(), 600000);
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.timed_out);
    return static_cast<int>(result.exit_code);
  }
  std::string Log() { return coretest::ReadFile(pkg_ / "hx.log"); }
  std::string Trace() { return coretest::ReadFile(pkg_ / "trace.txt"); }

  PackageDir pkg_;
};

TEST_F(HxupdRun, NoProductInstalledEndsWithSuccess) {
  AddProductLibraries();
  pkg_.AddBinary("hxtest_plugin.dll", "main.dll");
  pkg_.WriteIni("[General]\nID=HF-1\nLog=" + (pkg_ / "hx.log") +
                "\n[Product]\nProductOID=1.3.6.1.4.1.5839.999\nProductName=Nothing\n"
                "VerMin=1.00\nVerMax=9.00\n[Plugins]\nPlugIn_1=Main\n"
                "[Main]\nFiles=main\nPlugIn=main.dll\nTestTrace=" + (pkg_ / "trace.txt") + "\n");
  EXPECT_EQ(0, RunInstaller());
  std::string log = Log();
  EXPECT_EQ(0u, log.find("\n======\nLog open:  ")) << log;
  EXPECT_NE(std::string::npos,
            log.find("HXUPD version 1.10.242 \nReading initialization file \"" + pkg_.IniPath() +
                     "\": success=1\n"));
  ExpectLogEnding(log, 0);
  EXPECT_EQ("", Trace());  // no plug-in was loaded
}

TEST_F(HxupdRun, MissingPackageEndsWithSuccess) {
  AddProductLibraries();
  EXPECT_EQ(0, RunInstaller());
}

// Runs against the simulated product, installed for each test.
class HxupdProductRun : public HxupdRun {
 protected:
  void SetUp() override {
    if (!hxtest::FileExists(hxtest::BinDir() + "tvsim_setup.exe"))
      GTEST_SKIP() << "simulated product not built";
    HxupdRun::SetUp();
    std::string root = root_.path();
    // The product's registry, files and policy store are what the installer
    // meets. The agent's services are stopped so that every run talks to the
    // policy store through the policy channel (the agent path has tests of its
    // own), which makes the channel's release line part of the log's ending.
    hxtest::RunProcess("\"" + hxtest::BinDir() + "tvsim_setup.exe\" install --root \"" +
                       root.substr(0, root.size() - 1) + "\"");
    hxtest::RunProcess("\"" + hxtest::BinDir() + "tvsim_setup.exe\" services stop");
    installed_ = true;
    hxtest::ProcessResult status =
        hxtest::RunProcess("\"" + hxtest::BinDir() + "tvsim_setup.exe\" status");
    ASSERT_EQ(0u, status.exit_code) << "simulated product not installed";
    // Results of earlier runs must not count for this one.
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSetupKey, "TVRUNNER_REQUEST_REBOOT");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSetupKey, "RESULT_CODE");
    CreateDirectoryA(Dest("").c_str(), nullptr);
  }
  void TearDown() override {
    if (installed_)
      hxtest::RunProcess("\"" + hxtest::BinDir() + "tvsim_setup.exe\" uninstall");
  }
  std::string Dest(const std::string& name) { return root_ / ("dest\\" + name); }
  // A package of the installed product with the given plug-ins ("PlugIn_n=..."
  // lines) and sections.
  void WritePackage(const std::string& plugins, const std::string& sections) {
    pkg_.WriteIni("[General]\nID=HF-RUN-1\nDescription_ENG=Run test\nReleaseDate=2024-01-02\n"
                  "Log=" + (pkg_ / "hx.log") +
                  "\n[Product]\nProductOID=1.3.6.1.4.1.5839.11\nProductName=Tarnvale\n"
                  "VerMin=8.00\nVerMax=8.50\n[Plugins]\n" + plugins + sections);
  }
  std::string Plugin(const std::string& name, const std::string& extra = "") {
    pkg_.AddBinary("hxtest_plugin.dll", name + ".dll");
    return "[" + name + "]\nFiles=" + name + "\nPlugIn=" + name + ".dll\nTestProductDir=" +
           Dest("") + "\nTestTrace=" + (pkg_ / "trace.txt") + "\n" + extra;
  }

  hxtest::TempDir root_{"hxroot"};
  bool installed_ = false;
};

TEST_F(HxupdProductRun, InstalledWithoutPluginsGivesFive) {
  WritePackage("", "");
  EXPECT_EQ(5, RunInstaller());
  DWORD code = 0;
  EXPECT_TRUE(ReadSetupDword("RESULT_CODE", &code));
  EXPECT_EQ(5u, code);
  DWORD reboot = 0;
  EXPECT_FALSE(ReadSetupDword("TVRUNNER_REQUEST_REBOOT", &reboot));
  ExpectLogEnding(Log(), 5, true);
}

TEST_F(HxupdProductRun, CompleteInstallation) {
  pkg_.AddFile("Common\\main\\common.txt", "common");
  pkg_.AddFile("64\\main\\bin\\platform.txt", "platform");
  pkg_.AddFile("32\\main\\wrong.txt", "32-bit");
  // The messaging libraries of the product's common directory are moved away.
  std::string common = root_ / "Common\\";
  for (const char* library : {"TVMA32.DLL", "TVMA_64.DLL"})
    if (!hxtest::FileExists(common + library)) hxtest::WriteTextFile(common + library, "old");
  // The plug-in's reboot answer is recorded but does not make a request.
  WritePackage("PlugIn_1=main\n",
               Plugin("main", "TestReboot=1\n") +
                   "[CustomPolicySettings]\nSetValue0=1.3.6.1.4.1.5839.11.1.2,DEU\n"
                   "SetValue1=1.3.6.1.4.1.5839.11.2.9.10,not a table value\n");
  WritePrivateProfileStringA("General", "TVMAUpdate", "1", pkg_.IniPath().c_str());
  EXPECT_EQ(0, RunInstaller());
  EXPECT_TRUE(hxtest::FileExists(common + "TVMA32.DLL.ToDelete.1"));
  EXPECT_TRUE(hxtest::FileExists(common + "TVMA_64.DLL.ToDelete.1"));
  EXPECT_NE(std::string::npos, Log().find("TVMA libraries have to be renamed\n"
                                          "renameTVMALibraries() SUCCEEDED\n"));
  // The product language is handed to the plug-ins through the package.
  char language[8] = "";
  GetPrivateProfileStringA("TVHXUPD", "ProductLanguage", "", language, sizeof(language),
                           pkg_.IniPath().c_str());
  EXPECT_STREQ("ENU", language);
  // The hotfix is recorded, and the custom setting applied after it.
  std::string table;
  hxtest::RunProcessCapture("\"" + hxtest::BinDir() + "tvsim_setup.exe\" get "
                            "1.3.6.1.4.1.5839.11.2.9.10", &table);
  EXPECT_NE(std::string::npos, table.find("HF-RUN-1")) << table;
  std::string language2;
  hxtest::RunProcessCapture("\"" + hxtest::BinDir() + "tvsim_setup.exe\" get "
                            "1.3.6.1.4.1.5839.11.1.2", &language2);
  EXPECT_NE(std::string::npos, language2.find("DEU")) << language2;
  EXPECT_NE(std::string::npos,
            Log().find("Setting custom policy setting 1.3.6.1.4.1.5839.11.1.2=\"DEU\" (result: 0)\n"));
  EXPECT_NE(std::string::npos,
            Log().find("Setting custom policy setting 1.3.6.1.4.1.5839.11.2.9.10=\"not a table "
                       "value\" (result: -511)\n"))
      << Log();
  EXPECT_EQ("common", coretest::ReadFile(Dest("common.txt")));
  EXPECT_EQ("platform", coretest::ReadFile(Dest("bin\\platform.txt")));
  EXPECT_FALSE(hxtest::FileExists(Dest("wrong.txt")));
  EXPECT_EQ("init main 0\npre main\ncopy main " + Dest("common.txt") + "\ncopy main " +
                Dest("bin\\platform.txt") + "\npost main 0\n",
            Trace());
  DWORD value = 9;
  EXPECT_TRUE(ReadSetupDword("TVRUNNER_REQUEST_REBOOT", &value));
  EXPECT_EQ(0u, value);
  EXPECT_EQ("Success", ReadSetupText("DESCRIPTION_RESULT_SETUP"));
  ExpectLogEnding(Log(), 0, true);
}

// A package that cannot be brought to the update is not a success.
TEST_F(HxupdProductRun, PluginsThatCannotStartGiveFive) {
  struct Case {
    const char* name;
    std::string extra;
    int exitCode;
  };
  const Case cases[] = {
      {"first DLL missing", "[a]\nFiles=a\nPlugIn=missing.dll\n", 5},
      {"initialisation fails", "TestInit=0\n", 5},
      {"initialisation failure excused", "TestInit=0\nIgnoreInitFailure=1\n", 0},
  };
  for (const Case& c : cases) {
    std::string sections = c.extra[0] == '[' ? c.extra + Plugin("b") : Plugin("a", c.extra) + Plugin("b");
    hxtest::WriteTextFile(pkg_ / "trace.txt", "");
    WritePackage("PlugIn_1=a\nPlugIn_2=b\n", sections);
    EXPECT_EQ(c.exitCode, RunInstaller()) << c.name;
    std::string trace = Trace();
    EXPECT_NE(std::string::npos, trace.find("init b 0\n")) << c.name;
    EXPECT_EQ(c.exitCode == 0, trace.find("pre b\n") != std::string::npos) << c.name;
  }
}

TEST_F(HxupdProductRun, VetoedUpdateCopiesNothing) {
  pkg_.AddFile("Common\\a\\common.txt", "common");
  WritePackage("PlugIn_1=a\nPlugIn_2=b\n", Plugin("a") + Plugin("b", "TestPre=0\n"));
  EXPECT_EQ(0, RunInstaller());
  EXPECT_FALSE(hxtest::FileExists(Dest("common.txt")));
  EXPECT_EQ("init a 0\ninit b 0\npre a\npre b\npost a 1\npost b 1\n", Trace());
  DWORD value = 9;
  EXPECT_TRUE(ReadSetupDword("TVRUNNER_REQUEST_REBOOT", &value));
  EXPECT_EQ(0u, value);
}

TEST_F(HxupdProductRun, CopyFailureInCommonGivesThree) {
  pkg_.AddFile("Common\\main\\blocked.txt", "new");
  pkg_.AddFile("64\\main\\platform.txt", "platform");
  CreateDirectoryA(Dest("blocked.txt").c_str(), nullptr);  // a folder cannot be overwritten
  WritePackage("PlugIn_1=main\n", Plugin("main", "TestPost=0\n"));
  EXPECT_EQ(3, RunInstaller());
  EXPECT_EQ("platform", coretest::ReadFile(Dest("platform.txt")));
  EXPECT_NE(std::string::npos, Trace().find("post main 0\n"));
  EXPECT_NE(std::string::npos, Log().find("Error 5 copying " + (pkg_ / "Common\\main\\blocked.txt")));
}

TEST_F(HxupdProductRun, PostUpdateFailureGivesOne) {
  pkg_.AddFile("Common\\main\\common.txt", "common");
  WritePackage("PlugIn_1=main\n", Plugin("main", "TestPost=0\nTestError=program failed\n"));
  EXPECT_EQ(1, RunInstaller());
  EXPECT_EQ("Error occurred during installation", ReadSetupText("DESCRIPTION_RESULT_SETUP"));
  EXPECT_NE(std::string::npos,
            Log().find("Plug-in main post-update failed, error description: \"program failed\"\n"));
}

TEST_F(HxupdProductRun, FileInUseIsReplacedAtRestart) {
  pkg_.AddFile("Common\\main\\busy.dll", "new content");
  ASSERT_TRUE(hxtest::WriteTextFile(Dest("busy.dll"), "old content"));
  WritePackage("PlugIn_1=main\n", Plugin("main"));

  // Another process holds the file open while the installer runs.
  std::string command = "\"" + hxtest::BinDir() + "holdfile.exe\" \"" + Dest("busy.dll") + "\" 120";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::string writable = command;
  ASSERT_TRUE(CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  hx::ScopedKernelHandle holder(process.hProcess);
  hx::ScopedKernelHandle holderThread(process.hThread);
  for (int i = 0; i < 200 && !hxtest::FileExists(Dest("busy.dll.held")); ++i) Sleep(50);
  ASSERT_TRUE(hxtest::FileExists(Dest("busy.dll.held")));

  EXPECT_EQ(0, RunInstaller());
  TerminateProcess(holder.Get(), 0);
  WaitForSingleObject(holder.Get(), 10000);

  DWORD value = 0;
  EXPECT_TRUE(ReadSetupDword("TVRUNNER_REQUEST_REBOOT", &value));
  EXPECT_EQ(1u, value);
  EXPECT_NE(std::string::npos, Log().find("Reboot needed for copying: " +
                                          (pkg_ / "Common\\main\\busy.dll") + " => " +
                                          Dest("busy.dll")));
  EXPECT_EQ("old content", coretest::ReadFile(Dest("busy.dll")));

  hxtest::RunProcess("C:\\windows\\system32\\wineboot.exe -r", "", 300000);
  EXPECT_EQ("new content", coretest::ReadFile(Dest("busy.dll")));
}

}  // namespace
