// Installer log: where it lies, its banners, appending, and the sink.
#include <cstdio>
#include <string>

#include "gtest/gtest.h"
#include "installer_log.h"
#include "test_support.h"

using coretest::PackageDir;
using coretest::ScratchRegistryRoot;

namespace {

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

std::string PackageWithLog(const std::string& log) {
  return "[General]\nID=HF-1\nLog=" + log + "\n";
}

TEST(InstallerLogPath, BareNameGoesToTheWindowsDirectoryAndPathsAreKept) {
  char out[MAX_PATH];
  ASSERT_TRUE(FormLogPath(out, sizeof(out), "hx.log", "C:\\windows"));
  EXPECT_STREQ("C:\\windows\\hx.log", out);
  ASSERT_TRUE(FormLogPath(out, sizeof(out), "D:\\logs\\hx.log", "C:\\windows"));
  EXPECT_STREQ("D:\\logs\\hx.log", out);
  ASSERT_TRUE(FormLogPath(out, sizeof(out), ".\\hx.log", "C:\\windows"));
  EXPECT_STREQ(".\\hx.log", out);
  // A path that does not fit is refused rather than cut to another name.
  std::string longName(300, 'a');
  EXPECT_FALSE(FormLogPath(out, sizeof(out), longName.c_str(), "C:\\windows"));
  EXPECT_STREQ("", out);
}

TEST(InstallerLog, BareNameIsCreatedInTheWindowsDirectory) {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof(windows));
  char name[64];
  snprintf(name, sizeof(name), "hxcore_test_%lu.log", static_cast<unsigned long>(GetCurrentProcessId()));
  std::string path = std::string(windows) + "\\" + name;
  DeleteFileA(path.c_str());
  {
    PackageDir dir;
    ScratchRegistryRoot root;
    dir.WriteIni(PackageWithLog(name));
    HotfixInstaller installer;
    coretest::PrepareInstaller(&installer, dir, root);
  }
  std::string text = coretest::ReadFile(path);
  DeleteFileA(path.c_str());
  EXPECT_NE(std::string::npos, text.find("HXUPD version 1.10.242 \n")) << text;
}

TEST(InstallerLog, TwoRunsAppendTwoSections) {
  PackageDir dir;
  ScratchRegistryRoot root;
  std::string logPath = dir / "logs\\hx.log";
  CreateDirectoryA((dir / "logs").c_str(), nullptr);
  dir.WriteIni(PackageWithLog(logPath));
  for (int run = 0; run < 2; ++run) {
    HotfixInstaller installer;
    coretest::PrepareInstaller(&installer, dir, root);
  }
  std::string text = coretest::ReadFile(logPath);
  EXPECT_EQ(2u, CountOf(text, "\n======\nLog open:  "));
  EXPECT_EQ(2u, CountOf(text, "Log close:  "));
  EXPECT_EQ(0u, text.find("\n======\nLog open:  ")) << text;
  // Every section: banner, version line, parse result, unloading, close.
  size_t version = text.find("HXUPD version 1.10.242 \nReading initialization file \"" +
                             dir.IniPath() + "\": success=0\n");
  EXPECT_NE(std::string::npos, version) << text;
  size_t unloading = text.find("Unloading plug-ins... success\nLog close:  ");
  EXPECT_NE(std::string::npos, unloading) << text;
  EXPECT_LT(version, unloading);
  // "<caption> YYYY-MM-DD hh:mm:ss.mmm" ends the file.
  size_t lastClose = text.rfind("Log close:  ");
  EXPECT_EQ(lastClose + strlen("Log close:  ") + strlen("2024-01-01 00:00:00.000\n"), text.size());
}

TEST(InstallerLog, SinkAddsALineBreakAfterTheMessage) {
  PackageDir dir;
  ScratchRegistryRoot root;
  std::string logPath = dir / "hx.log";
  dir.WriteIni(PackageWithLog(logPath));
  {
    HotfixInstaller installer;
    coretest::PrepareInstaller(&installer, dir, root);
    InstallerLogSink("Multiversion support not used by plug-in \"%s\"\n", "Main");
    installer.Print("next\n");
  }
  std::string text = coretest::ReadFile(logPath);
  EXPECT_NE(std::string::npos,
            text.find("Multiversion support not used by plug-in \"Main\"\n\nnext\n"))
      << text;
}

TEST(InstallerLog, NoLogValueWritesNoFile) {
  PackageDir dir;
  ScratchRegistryRoot root;
  dir.WriteIni("[General]\nID=HF-1\n");
  {
    HotfixInstaller installer;
    coretest::PrepareInstaller(&installer, dir, root);
    InstallerLogSink("message");
    EXPECT_FALSE(installer.log.IsOpen());
  }
  // Only the package itself is in the folder.
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((dir / "*").c_str(), &entry);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  int files = 0;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  EXPECT_EQ(1, files);
}

TEST(InstallerLog, SinkWithoutInstallerDoesNothing) {
  ASSERT_EQ(nullptr, HotfixInstaller::Current());
  InstallerLogSink("dropped %d", 1);
}

}  // namespace
