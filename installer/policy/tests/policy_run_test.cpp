// hxupd.exe against the simulated product: the back-end chosen by the state
// of the agent service, the product check, the installed-hotfix rows, and a
// run without the policy library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wine_test_env.h"

namespace {

const char kSetupKey[] = "Software\\Quillmoor\\Tarnvale\\TVSetup";
const char kProductOid[] = "1.3.6.1.4.1.5839.11";

std::string Tool() { return "\"" + hxtest::BinDir() + "tvsim_setup.exe\" "; }

std::string ToolOutput(const std::string& arguments) {
  std::string output;
  hxtest::RunProcessCapture(Tool() + arguments, &output);
  return output;
}

bool ReadResultCode(DWORD* value) {
  DWORD size = sizeof(*value);
  return RegGetValueA(HKEY_LOCAL_MACHINE, kSetupKey, "RESULT_CODE", RRF_RT_REG_DWORD, nullptr,
                      value, &size) == ERROR_SUCCESS;
}

class PolicyRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + "hxupd.exe", pkg_ / "hxupd.exe"));
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSetupKey, "RESULT_CODE");
  }
  void TearDown() override {
    if (services_) hxtest::RunProcess(Tool() + "services remove");
    if (installed_) hxtest::RunProcess(Tool() + "uninstall");
  }
  void InstallProduct(bool startAgent) {
    if (!hxtest::FileExists(hxtest::BinDir() + "tvsim_setup.exe") ||
        !hxtest::FileExists(hxtest::BinDir() + "hxtest_plugin.dll"))
      GTEST_SKIP() << "simulated product not built";
    std::string root = root_.path();
    // Installing the product registers and starts the agent's services.
    services_ = true;
    ASSERT_EQ(0u, hxtest::RunProcess(Tool() + "install --root \"" +
                                     root.substr(0, root.size() - 1) + "\"")
                      .exit_code);
    installed_ = true;
    if (!startAgent) ASSERT_EQ(0u, hxtest::RunProcess(Tool() + "services stop").exit_code);
  }
  void WritePackage(const char* verMin, const char* verMax) {
    ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + "hxtest_plugin.dll", pkg_ / "main.dll"));
    CreateDirectoryA((root_ / "dest").c_str(), nullptr);
    ASSERT_TRUE(hxtest::WriteTextFile(
        pkg_ / "HOTFIX.INI",
        "[General]\nID=HF-POLICY-1\nDescription_ENG=Policy run\nReleaseDate=2024-01-02\nLog=" +
            (pkg_ / "hx.log") + "\n[Product]\nProductOID=" + kProductOid +
            "\nProductName=Tarnvale Agent\nVerMin=" + verMin + "\nVerMax=" + verMax +
            "\n[Plugins]\nPlugIn_1=main\n[main]\nFiles=main\nPlugIn=main.dll\nTestProductDir=" +
            (root_ / "dest\\") + "\n"));
  }
  int Run() {
    hxtest::ProcessResult r = hxtest::RunProcess("\"" + (pkg_ / "hxupd.exe") + "\"", pkg_.path(),
                                                 600000);
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timed_out);
    return static_cast<int>(r.exit_code);
  }
  std::string Log() {
    std::string text;
    hxtest::ReadTextFile(pkg_ / "hx.log", &text);
    std::string lines;
    for (char c : text)
      if (c != '\r') lines += c;
    return lines;
  }
  void ExpectHotfixRecorded() {
    std::string product = ToolOutput(std::string("get ") + kProductOid + ".2.9.10");
    EXPECT_NE(std::string::npos, product.find("HF-POLICY-1")) << product;
    std::string agent = ToolOutput("get 1.3.6.1.4.1.5839.11.2.27.1");
    EXPECT_NE(std::string::npos, agent.find("HF-POLICY-1")) << agent;
    EXPECT_NE(std::string::npos, Log().find("New hotfix entries successfully written to policy.\n"))
        << Log();
  }

  hxtest::TempDir pkg_{"hxpol"};
  hxtest::TempDir root_{"hxpolroot"};
  bool installed_ = false;
  bool services_ = false;
};

TEST_F(PolicyRun, PolicyChannelWhenAgentServiceStopped) {
  InstallProduct(false);
  WritePackage("8.00", "8.50");
  EXPECT_EQ(0, Run());
  std::string log = Log();
  EXPECT_NE(std::string::npos, log.find("PolicyAdapterWrapper::Initialize\nInitializing TCH "
                                        "policy connection\nTCH connection initialized\nPolicy "
                                        "access ok\n"))
      << log;
  EXPECT_EQ(std::string::npos, log.find("Establishing TVMA session...")) << log;
  EXPECT_NE(std::string::npos, log.find("Product version within range=1\n")) << log;
  ExpectHotfixRecorded();
}

TEST_F(PolicyRun, AgentWhenAgentServiceRuns) {
  InstallProduct(true);
  WritePackage("8.00", "8.50");
  EXPECT_EQ(0, Run());
  std::string log = Log();
  EXPECT_NE(std::string::npos, log.find("PolicyAdapterWrapper::Initialize\nEstablishing TVMA "
                                        "session...\nTVMA session created\nPolicy access ok\n"))
      << log;
  EXPECT_EQ(std::string::npos, log.find("Initializing TCH policy connection")) << log;
  ExpectHotfixRecorded();
}

TEST_F(PolicyRun, VersionOutOfRangeEndsTheRun) {
  InstallProduct(false);
  WritePackage("9.00", "9.50");
  EXPECT_EQ(0, Run());
  std::string log = Log();
  EXPECT_NE(std::string::npos,
            log.find("Currently installed version of product \"1.3.6.1.4.1.5839.11\": "
                     "8.00.1234\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("Product version within range=0\n")) << log;
  EXPECT_EQ(std::string::npos, log.find("New hotfix entries")) << log;
  std::string product = ToolOutput(std::string("get ") + kProductOid + ".2.9.10");
  EXPECT_EQ(std::string::npos, product.find("HF-POLICY-1")) << product;
}

TEST_F(PolicyRun, WithoutThePolicyLibraryTheRunStillReports) {
  // The calling set-up program's key, where the exit information goes; the
  // levels made here are removed again.
  struct ScopedSetupKey {
    std::vector<std::string> created;
    ScopedSetupKey() {
      for (const char* k : {"Software\\Quillmoor", "Software\\Quillmoor\\Tarnvale", kSetupKey}) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, k, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition) == ERROR_SUCCESS) {
          if (disposition == REG_CREATED_NEW_KEY) created.insert(created.begin(), k);
          RegCloseKey(key);
        }
      }
    }
    ~ScopedSetupKey() {
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSetupKey, "RESULT_CODE");
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSetupKey, "DESCRIPTION_RESULT_SETUP");
      for (const std::string& k : created) RegDeleteKeyA(HKEY_LOCAL_MACHINE, k.c_str());
    }
  } setupKey;
  // No product: neither the libraries beside the installer nor a registry path.
  ASSERT_TRUE(hxtest::WriteTextFile(
      pkg_ / "HOTFIX.INI", "[General]\nID=HF-X\nLog=" + (pkg_ / "hx.log") +
                               "\n[Product]\nProductOID=1.3.6.1.4.1.5839.11\nProductName=X\n"
                               "VerMin=1.00\nVerMax=9.00\n"));
  EXPECT_EQ(0, Run());
  DWORD code = 99;
  EXPECT_TRUE(ReadResultCode(&code));
  EXPECT_EQ(0u, code);
  std::string log = Log();
  EXPECT_NE(std::string::npos, log.find("Failed to initialize TCH\n")) << log;
  EXPECT_NE(std::string::npos, log.find("Failed to initialize the secondary policy adapter. "
                                        "Policy connection will not work.\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("Exit code: 0\n")) << log;
}

}  // namespace
