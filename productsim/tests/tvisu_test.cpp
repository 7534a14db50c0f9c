// tvisu.dll stand-in under Wine: platform, deferred copy completed by a
// restart (wineboot -r), rename after restart, registry entries.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shared/scoped_handle.h"
#include "tvisu.h"
#include "wine_test_env.h"

namespace {

bool SystemVersion(OSVERSIONINFOEXW* v) {
  ZeroMemory(v, sizeof *v);
  v->dwOSVersionInfoSize = sizeof *v;
  typedef LONG(WINAPI * Fn)(OSVERSIONINFOEXW*);
  Fn get = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  return get && get(v) == 0;
}

std::string ReadFile(const std::string& path) {
  std::string text;
  hxtest::ReadTextFile(path, &text);
  return text;
}

hx::ScopedKernelHandle StartSelf(const std::string& filter) {
  std::string cmd = "\"" + hxtest::BinDir() + "tvisu_test.exe\" --gtest_filter=" + filter;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return hx::ScopedKernelHandle();
  CloseHandle(pi.hThread);
  return hx::ScopedKernelHandle(pi.hProcess);
}

void RestartWine() {
  auto r = hxtest::RunProcess("C:\\windows\\system32\\wineboot.exe -r", "", 120000);
  ASSERT_TRUE(r.started);
}

TEST(TvisuPlatform, ReportsTheRunningSystem) {
  OSVERSIONINFOEXW v;
  ASSERT_TRUE(SystemVersion(&v));
  INT32 code = TVISU_GetPlatform();
  if (v.dwMajorVersion == 10)
    EXPECT_EQ(v.wProductType == VER_NT_WORKSTATION ? 121 : 122, code);
  else
    EXPECT_TRUE(code == 0 || (code >= 102 && code <= 122)) << code;
  EXPECT_NE(0, TVISU_Is64BitPlatform());
  INT32 info = 0;
  ASSERT_EQ(0, TVISU_GetPlatformEx(TVISU_PLATFORM_EX_QUERY, 0, &info));
  EXPECT_EQ(v.wServicePackMajor, info & 0xffff);
  EXPECT_NE(0, TVISU_GetPlatformEx(1, 0, &info));
  EXPECT_EQ(0, TVISU_DelayLoadInitialize());
}

// Wine reports another Windows version to one program when asked through
// AppDefaults; the child (this program) then sees that version.
TEST(TvisuPlatform, OtherWineVersionsGiveTheirCodes) {
  const char kKey[] = "Software\\Wine\\AppDefaults\\tvisu_test.exe";
  const struct {
    const char* version;
    int code;
  } kCases[] = {{"win10", 121}, {"winxp64", 112}, {"win81", 119}, {"win2003", 112}};
  for (const auto& c : kCases) {
    {
      hx::ScopedRegKey key;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                               KEY_SET_VALUE, nullptr, key.Receive(), nullptr));
      RegSetValueExA(key.Get(), "Version", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(c.version),
                     static_cast<DWORD>(strlen(c.version) + 1));
    }
    std::string out;
    auto r = hxtest::RunProcessCapture(
        "\"" + hxtest::BinDir() + "tvisu_test.exe\" --gtest_filter=TvisuPlatformChild.*", &out);
    hxtest::DeleteRegTree(HKEY_CURRENT_USER, kKey);
    ASSERT_TRUE(r.started);
    EXPECT_NE(std::string::npos, out.find("platform=" + std::to_string(c.code) + ";"))
        << c.version << ": " << out;
  }
}

TEST(TvisuPlatformChild, PrintsPlatform) {
  OSVERSIONINFOEXW v;
  SystemVersion(&v);
  std::printf("platform=%d; version %lu.%lu type %u\n", TVISU_GetPlatform(), v.dwMajorVersion,
              v.dwMinorVersion, v.wProductType);
}

TEST(TvisuCopy, PlainCopyAndErrors) {
  hxtest::TempDir dir("tvisu");
  ASSERT_TRUE(hxtest::WriteTextFile(dir / "src.txt", "new"));
  ASSERT_TRUE(hxtest::WriteTextFile(dir / "dst.txt", "old"));
  INT32 status = 7;
  EXPECT_EQ(0, TVISU_CopyFileEx((dir / "src.txt").c_str(), (dir / "dst.txt").c_str(), 0, &status));
  EXPECT_EQ(0, status);
  EXPECT_EQ("new", ReadFile(dir / "dst.txt"));
  EXPECT_NE(0, TVISU_CopyFileEx((dir / "missing.txt").c_str(), (dir / "x.txt").c_str(), 0,
                                &status));
  EXPECT_NE(0, TVISU_CopyFileEx((dir / "src.txt").c_str(), (dir / "no\\such\\x.txt").c_str(), 0,
                                &status));
  EXPECT_EQ(0, status);
}

// A destination held open by another process without write sharing is
// copied beside it (status 1) and replaced at the next restart; a renamed
// library passed to TVISU_RenameAfterReboot is gone after it.
TEST(TvisuCopy, FileInUseIsReplacedAtTheNextRestart) {
  hxtest::TempDir dir("tvisu");
  std::string src = dir / "src.dll", dst = dir / "dst.dll", old = dir / "old.dll.ToDelete.1";
  ASSERT_TRUE(hxtest::WriteTextFile(src, "new"));
  ASSERT_TRUE(hxtest::WriteTextFile(dst, "old"));
  ASSERT_TRUE(hxtest::WriteTextFile(old, "renamed"));

  std::string tag = std::to_string(GetCurrentProcessId());
  hx::ScopedKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, ("TvsimHoldReady" + tag).c_str()));
  hx::ScopedKernelHandle release(
      CreateEventA(nullptr, TRUE, FALSE, ("TvsimHoldRelease" + tag).c_str()));
  SetEnvironmentVariableA("TVSIM_HOLD_FILE", dst.c_str());
  SetEnvironmentVariableA("TVSIM_HOLD_TAG", tag.c_str());
  hx::ScopedKernelHandle holder = StartSelf("TvisuHolderChild.*");
  SetEnvironmentVariableA("TVSIM_HOLD_FILE", nullptr);
  SetEnvironmentVariableA("TVSIM_HOLD_TAG", nullptr);
  ASSERT_TRUE(holder);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.Get(), 60000));

  INT32 status = 0;
  EXPECT_EQ(0, TVISU_CopyFileEx(src.c_str(), dst.c_str(), 0, &status));
  EXPECT_EQ(TVISU_COPY_DEFERRED, status);
  EXPECT_EQ(0, TVISU_RenameAfterReboot(old.c_str(), nullptr));
  SetEvent(release.Get());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.Get(), 60000));
  EXPECT_EQ("old", ReadFile(dst));  // not before the restart

  RestartWine();
  EXPECT_EQ("new", ReadFile(dst));
  EXPECT_FALSE(hxtest::FileExists(old));
  EXPECT_FALSE(hxtest::FileExists(dst + ".tvisu1"));
}

TEST(TvisuHolderChild, HoldsFileOpen) {
  char path[MAX_PATH] = {}, tag[32] = {};
  if (!GetEnvironmentVariableA("TVSIM_HOLD_FILE", path, sizeof path)) GTEST_SKIP();
  GetEnvironmentVariableA("TVSIM_HOLD_TAG", tag, sizeof tag);
  hx::ScopedKernelHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  hx::ScopedKernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE,
                                          (std::string("TvsimHoldReady") + tag).c_str()));
  hx::ScopedKernelHandle release(
      OpenEventA(SYNCHRONIZE, FALSE, (std::string("TvsimHoldRelease") + tag).c_str()));
  ASSERT_TRUE(ready && release);
  SetEvent(ready.Get());
  WaitForSingleObject(release.Get(), 60000);
}

TEST(TvisuRegistry, CreatesEntriesByType) {
  const char kBase[] = "HKEY_CURRENT_USER\\Software\\TvsimTvisuTest\\Sub";
  hxtest::DeleteRegTree(HKEY_CURRENT_USER, "Software\\TvsimTvisuTest");
  EXPECT_EQ(0, TVISU_CreateRegistryEntry((std::string(kBase) + "\\\\Text|C:\\Prog\\\\bin").c_str(),
                                         REG_SZ, 0));
  EXPECT_EQ(0, TVISU_CreateRegistryEntry((std::string(kBase) + "\\\\Number|0x10").c_str(),
                                         REG_DWORD, 0));
  EXPECT_EQ(0, TVISU_CreateRegistryEntry((std::string(kBase) + "\\Only\\\\Key").c_str(), REG_SZ, 0));
  EXPECT_NE(0, TVISU_CreateRegistryEntry((std::string(kBase) + "\\\\Bad|x").c_str(), 99, 0));
  EXPECT_NE(0, TVISU_CreateRegistryEntry("HKEY_CURRENT_USER\\Software\\Name|1", REG_SZ, 0));
  EXPECT_NE(0, TVISU_CreateRegistryEntry("HKCU\\Software\\\\Name|1", REG_SZ, 0));

  hx::ScopedRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TvsimTvisuTest\\Sub", 0,
                                         KEY_READ, key.Receive()));
  char text[64] = {};
  DWORD size = sizeof text, type = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key.Get(), "Text", nullptr, &type,
                                            reinterpret_cast<BYTE*>(text), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_STREQ("C:\\Prog\\\\bin", text);
  DWORD number = 0;
  size = sizeof number;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key.Get(), "Number", nullptr, &type,
                                            reinterpret_cast<BYTE*>(&number), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(16u, number);
  EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(key.Get(), "Bad", nullptr, nullptr, nullptr, nullptr));
  hx::ScopedRegKey only;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key.Get(), "Only", 0, KEY_READ, only.Receive()));
  key.Close();
  only.Close();
  hxtest::DeleteRegTree(HKEY_CURRENT_USER, "Software\\TvsimTvisuTest");
}

}  // namespace
