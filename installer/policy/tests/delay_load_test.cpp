// Lazy binding end to end: a probe program copied into a scratch folder
// finds tvisu.dll beside itself or through the registry path, and the
// guarded call reports missing libraries and functions.
#include <gtest/gtest.h>

#include <string>

#include "delay_load.h"
#include "wine_test_env.h"

namespace {

const char kTestDir[] = "policy_delay_test\\";

// Sets the registry path of tvisu.dll for the scope; removes the value and
// any key it had to create.
class ScopedLibraryPath {
 public:
  explicit ScopedLibraryPath(const std::string& path) {
    const char* keys[] = {"Software\\Quillmoor", "Software\\Quillmoor\\Tarnvale",
                          HX_DELAY_LOADING_KEY};
    for (const char* k : keys) {
      HKEY h = nullptr;
      DWORD disposition = 0;
      if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, k, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                          &disposition) == ERROR_SUCCESS) {
        if (disposition == REG_CREATED_NEW_KEY) created_.insert(created_.begin(), k);
        RegCloseKey(h);
      }
    }
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_DELAY_LOADING_KEY, 0, KEY_SET_VALUE, &h) ==
        ERROR_SUCCESS) {
      RegSetValueExA(h, "tvisu.dll", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>(path.size() + 1));
      RegCloseKey(h);
    }
  }
  ~ScopedLibraryPath() {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_DELAY_LOADING_KEY, 0, KEY_SET_VALUE, &h) ==
        ERROR_SUCCESS) {
      RegDeleteValueA(h, "tvisu.dll");
      RegCloseKey(h);
    }
    for (const std::string& k : created_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, k.c_str());
  }

 private:
  std::vector<std::string> created_;
};

std::string Probe(const hxtest::TempDir& dir, const std::string& what) {
  std::string output;
  hxtest::ProcessResult r =
      hxtest::RunProcessCapture("\"" + (dir / "delay_probe.exe") + "\" " + what, &output,
                                dir.path(), 60000);
  EXPECT_TRUE(r.started);
  return output;
}

std::string FakeLibrary() { return hxtest::BinDir() + kTestDir + "tvisu.dll"; }

TEST(DelayLoad, LibraryBesideTheProgramWins) {
  hxtest::TempDir dir("hxdl");
  ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + kTestDir + "delay_probe.exe",
                                 dir / "delay_probe.exe"));
  ASSERT_TRUE(hxtest::CopyFileTo(FakeLibrary(), dir / "tvisu.dll"));
  ScopedLibraryPath path("C:\\nowhere\\tvisu.dll");
  EXPECT_NE(std::string::npos, Probe(dir, "platform").find("result=0 second=0 code=0x00000000 "
                                                           "library= function= value=4321"));
}

TEST(DelayLoad, LibraryFoundThroughRegistryPath) {
  hxtest::TempDir dir("hxdl");
  ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + kTestDir + "delay_probe.exe",
                                 dir / "delay_probe.exe"));
  {
    ScopedLibraryPath path(FakeLibrary());
    EXPECT_NE(std::string::npos, Probe(dir, "platform").find("result=0 second=0"));
    EXPECT_NE(std::string::npos, Probe(dir, "platform").find("value=4321"));
  }
  // Without the path the library is missing: result 1 with its name.
  EXPECT_NE(std::string::npos,
            Probe(dir, "platform").find("result=1 second=1 code=0xC06D007E library=tvisu.dll "
                                        "function= value=-1"));
}

TEST(DelayLoad, GuardedCallReportsMissingFunctionAndLibrary) {
  hxtest::TempDir dir("hxdl");
  ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + kTestDir + "delay_probe.exe",
                                 dir / "delay_probe.exe"));
  ASSERT_TRUE(hxtest::CopyFileTo(FakeLibrary(), dir / "tvisu.dll"));
  EXPECT_NE(std::string::npos,
            Probe(dir, "rename").find("result=2 second=2 code=0xC06D007F library=tvisu.dll "
                                      "function=TVISU_RenameAfterReboot value=-1"));
  EXPECT_NE(std::string::npos,
            Probe(dir, "policy").find("result=1 second=1 code=0xC06D007E library=TVPMAPI.dll"));
}

TEST(DelayLoad, UnguardedMissingLibraryRaisesTheStandardException) {
  hxtest::TempDir dir("hxdl");
  ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + kTestDir + "delay_probe.exe",
                                 dir / "delay_probe.exe"));
  std::string output;
  hxtest::ProcessResult r = hxtest::RunProcessCapture(
      "\"" + (dir / "delay_probe.exe") + "\" unguarded", &output, dir.path(), 60000);
  ASSERT_TRUE(r.started);
  EXPECT_EQ(3u, r.exit_code);
  EXPECT_NE(std::string::npos,
            output.find("raised=0xC06D007E library=tvisu.dll function=TVISU_GetPlatform "
                        "lasterror=1285"))
      << output;
}

}  // namespace
