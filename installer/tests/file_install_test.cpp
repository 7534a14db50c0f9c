// File installation: the per-plug-in copy of a package subdirectory, the
// installer's answer to each copy event, and moving the messaging libraries.
#include <cstring>
#include <string>

#include "file_version.h"
#include "gtest/gtest.h"
#include "messaging_library_rename.h"
#include "test_support.h"

using coretest::PackageDir;
using coretest::ScratchRegistryRoot;

namespace {

class FileInstallTest : public ::testing::Test {
 protected:
  // One plug-in "Main" (files "main") installing into <package>\dest, ready
  // for the copy as if it had been pre-updated.
  void Prepare(const std::string& general, const std::string& pluginExtra = "") {
    CreateDirectoryA((dir_ / "dest").c_str(), nullptr);
    dir_.WriteIni("[General]\nID=HF\n" + general +
                  "[Product]\nProductOID=1.2\nProductName=P\n[Plugins]\nPlugIn_1=Main\n"
                  "[Main]\nFiles=main\nPlugIn=main.dll\n" + pluginExtra);
    coretest::PrepareInstaller(&installer_, dir_, root_);
    PluginEntry* entry = installer_.package.plugins.First();
    ASSERT_NE(nullptr, entry);
    entry->preUpdateCalled = true;
    snprintf(entry->productDirectory, sizeof(entry->productDirectory), "%s",
             Dest("").c_str());
  }
  std::string Dest(const std::string& name) { return dir_ / ("dest\\" + name); }
  std::string Source(const std::string& name) { return dir_ / ("Common\\main\\" + name); }
  std::string LogText() { return coretest::ReadFile(dir_ / "hx.log"); }
  std::string LogGeneral() { return "Log=" + (dir_ / "hx.log") + "\n"; }
  void AddVersioned(const std::string& built, const std::string& path) {
    dir_.AddFile(path);  // makes the folders
    ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + built, dir_ / path));
  }
  FileVersion VersionOf(const std::string& path) { return ReadFileVersion(path.c_str()); }

  PackageDir dir_;
  ScratchRegistryRoot root_;
  HotfixInstaller installer_;
};

const FileVersion kV1234 = {0x00010002, 0x00030004};
const FileVersion kV1240 = {0x00010002, 0x00040000};

TEST(FileVersion, ReadsTheFixedVersionOrZero) {
  FileVersion version = ReadFileVersion((hxtest::BinDir() + "hxtest_ver_1234.dll").c_str());
  EXPECT_EQ(kV1234.high, version.high);
  EXPECT_EQ(kV1234.low, version.low);
  EXPECT_TRUE(ReadFileVersion((hxtest::BinDir() + "nothing-here.dll").c_str()).IsZero());
  PackageDir dir;
  dir.AddFile("plain.txt", "no version");
  EXPECT_TRUE(ReadFileVersion((dir / "plain.txt").c_str()).IsZero());
  EXPECT_LT(CompareFileVersions(kV1234, kV1240), 0);
  EXPECT_EQ(0, CompareFileVersions(kV1234, kV1234));
  EXPECT_GT(CompareFileVersions({0x80000000u, 0}, {0x7FFFFFFFu, 0xFFFFFFFFu}), 0);
}

TEST(FileVersion, ParsesOnlyCompleteSignedRecords) {
  BYTE resource[40 + sizeof(VS_FIXEDFILEINFO)] = {};
  WORD valueLength = sizeof(VS_FIXEDFILEINFO);
  memcpy(resource + 2, &valueLength, sizeof(valueLength));
  VS_FIXEDFILEINFO fixed = {};
  fixed.dwSignature = 0xFEEF04BD;
  fixed.dwFileVersionMS = 0x00050006;
  fixed.dwFileVersionLS = 0x00070008;
  memcpy(resource + 40, &fixed, sizeof(fixed));
  FileVersion version;
  EXPECT_TRUE(ParseVersionResource(resource, sizeof(resource), &version));
  EXPECT_EQ(0x00050006u, version.high);
  EXPECT_EQ(0x00070008u, version.low);
  EXPECT_FALSE(ParseVersionResource(resource, sizeof(resource) - 1, &version));
  EXPECT_TRUE(version.IsZero());
  EXPECT_FALSE(ParseVersionResource(nullptr, 0, &version));
  resource[40] ^= 1;  // signature broken
  EXPECT_FALSE(ParseVersionResource(resource, sizeof(resource), &version));
  resource[40] ^= 1;
  valueLength = 0;  // no fixed record
  memcpy(resource + 2, &valueLength, sizeof(valueLength));
  EXPECT_FALSE(ParseVersionResource(resource, sizeof(resource), &version));
}

TEST_F(FileInstallTest, NewerFilesOnlyKeepsNewerDestinations) {
  Prepare(LogGeneral(), "NewerFilesOnly=1\n");
  AddVersioned("hxtest_ver_1234.dll", "Common\\main\\older.dll");
  AddVersioned("hxtest_ver_1240.dll", "dest\\older.dll");
  AddVersioned("hxtest_ver_1234.dll", "Common\\main\\equal.dll");
  AddVersioned("hxtest_ver_1234.dll", "dest\\equal.dll");
  AddVersioned("hxtest_ver_1234.dll", "Common\\main\\unversioned.dll");
  dir_.AddFile("dest\\unversioned.dll", "plain text");
  AddVersioned("hxtest_ver_1240.dll", "Common\\main\\newer.dll");
  AddVersioned("hxtest_ver_1234.dll", "dest\\newer.dll");

  EXPECT_TRUE(installer_.InstallFiles("Common"));
  EXPECT_EQ(0, installer_.exitCode);
  EXPECT_EQ(kV1240.low, VersionOf(Dest("older.dll")).low);
  EXPECT_EQ(kV1234.low, VersionOf(Dest("unversioned.dll")).low);
  EXPECT_EQ(kV1240.low, VersionOf(Dest("newer.dll")).low);
  std::string log = LogText();
  EXPECT_NE(std::string::npos,
            log.find("Don't overwrite newer file: " + Source("older.dll") + "(1.2.3.4) => " +
                     Dest("older.dll") + "(1.2.4.0) (00000050)\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("Copying: " + Source("equal.dll") + "(1.2.3.4) => " +
                                        Dest("equal.dll") + "(1.2.3.4) (00000050)\n"));
  EXPECT_NE(std::string::npos, log.find("Copying: " + Source("unversioned.dll") +
                                        "(1.2.3.4) => " + Dest("unversioned.dll") +
                                        "(0.0.0.0) (00000050)\n"));
}

TEST_F(FileInstallTest, DecisionsStandWithoutALog) {
  Prepare("", "NewerFilesOnly=1\n");
  AddVersioned("hxtest_ver_1234.dll", "Common\\main\\older.dll");
  AddVersioned("hxtest_ver_1240.dll", "dest\\older.dll");
  dir_.AddFile("Common\\main\\fail.txt");
  EXPECT_FALSE(installer_.InstallFiles("Common"));
  EXPECT_EQ(3, installer_.exitCode);
  EXPECT_EQ(kV1240.low, VersionOf(Dest("older.dll")).low);
  EXPECT_FALSE(installer_.log.IsOpen());
}

TEST_F(FileInstallTest, CopiesTheTreeButNotPointDirectories) {
  Prepare(LogGeneral());
  dir_.AddFile("Common\\main\\top.txt", "top");
  dir_.AddFile("Common\\main\\sub\\deeper\\inner.txt", "inner");
  dir_.AddFile("Common\\main\\.svn\\entries", "hidden");
  EXPECT_TRUE(installer_.InstallFiles("Common"));
  EXPECT_EQ("top", coretest::ReadFile(Dest("top.txt")));
  EXPECT_EQ("inner", coretest::ReadFile(Dest("sub\\deeper\\inner.txt")));
  EXPECT_FALSE(hxtest::FileExists(Dest(".svn")));
  std::string log = LogText();
  EXPECT_NE(std::string::npos, log.find("Installing 'Common' files:\nInstalling files for plug-in "
                                        "\"Main\" (main.dll)\n source=\"" +
                                        (dir_ / "Common\\main") + "\", dest=\"" + Dest("") +
                                        "\"\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("Copying: " + Source("top.txt") + " => " +
                                        Dest("top.txt") + " (00000010)\n"));
  EXPECT_NE(std::string::npos, log.find("Files for this plug-in installed, reboot request=0\n"));
}

TEST_F(FileInstallTest, MissingSubdirectoryInstallsNothingWithoutError) {
  Prepare(LogGeneral());
  EXPECT_TRUE(installer_.InstallFiles("64"));
  EXPECT_EQ(0, installer_.exitCode);
  EXPECT_EQ(std::string::npos, LogText().find("Copying"));
  EXPECT_NE(std::string::npos,
            LogText().find("Installing '64' files:\nInstalling files for plug-in \"Main\" "
                           "(main.dll)\n source=\"" + (dir_ / "64\\main") + "\""));
  EXPECT_NE(std::string::npos, LogText().find("Files for this plug-in installed, reboot request=0"));
}

TEST_F(FileInstallTest, CopyErrorsSetExitCodeThreeOnceAndTheCopyGoesOn) {
  Prepare(LogGeneral());
  dir_.AddFile("Common\\main\\fail1.txt");
  dir_.AddFile("Common\\main\\fail2.txt");
  dir_.AddFile("Common\\main\\good.txt", "good");
  EXPECT_FALSE(installer_.InstallFiles("Common"));
  EXPECT_EQ(3, installer_.exitCode);
  EXPECT_EQ("good", coretest::ReadFile(Dest("good.txt")));
  std::string log = LogText();
  EXPECT_NE(std::string::npos, log.find("Error 5 copying " + Source("fail1.txt") + " => " +
                                        Dest("fail1.txt") + "\n"));
  EXPECT_NE(std::string::npos, log.find("Error 5 copying " + Source("fail2.txt") + " => " +
                                        Dest("fail2.txt") + "\n"));
  // Exit code 3 stays for the next subdirectory too.
  EXPECT_FALSE(installer_.InstallFiles("64"));
}

TEST_F(FileInstallTest, DeferredCopyRequestsAReboot) {
  Prepare(LogGeneral());
  dir_.AddFile("Common\\main\\locked.dll");
  EXPECT_TRUE(installer_.InstallFiles("Common"));
  EXPECT_TRUE(installer_.rebootNeeded);
  EXPECT_EQ(0, installer_.exitCode);
  std::string log = LogText();
  EXPECT_NE(std::string::npos, log.find("Reboot needed for copying: " + Source("locked.dll") +
                                        " => " + Dest("locked.dll") + " (00000020)\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("Files for this plug-in installed, reboot request=1\n"));
}

TEST_F(FileInstallTest, PluginsWithoutPreUpdateAreSkipped) {
  Prepare(LogGeneral());
  installer_.package.plugins.First()->preUpdateCalled = false;
  dir_.AddFile("Common\\main\\top.txt");
  EXPECT_TRUE(installer_.InstallFiles("Common"));
  EXPECT_FALSE(hxtest::FileExists(Dest("top.txt")));
  EXPECT_NE(std::string::npos, LogText().find("Skipping files for plug-in \"Main\"\n"));
}

TEST_F(FileInstallTest, EmptyProductDirectoryIsAFailedCopyNotTheDriveRoot) {
  Prepare(LogGeneral());
  installer_.package.plugins.First()->productDirectory[0] = '\0';
  dir_.AddFile("Common\\main\\top.txt");
  EXPECT_FALSE(installer_.InstallFiles("Common"));
  EXPECT_EQ(3, installer_.exitCode);
  EXPECT_FALSE(hxtest::FileExists("\\top.txt"));
}

TEST_F(FileInstallTest, EveryCopyEventReachesThePlugin) {
  dir_.AddBinary("hxtest_plugin.dll", "main.dll");
  Prepare(LogGeneral(), "TestTrace=" + (dir_ / "trace.txt") + "\n");
  PluginEntry* entry = installer_.package.plugins.First();
  ASSERT_TRUE(installer_.LoadPlugins());
  ASSERT_TRUE(installer_.InitializePlugins());
  snprintf(entry->productDirectory, sizeof(entry->productDirectory), "%s", Dest("").c_str());
  dir_.AddFile("Common\\main\\fail.txt");
  dir_.AddFile("Common\\main\\locked.txt");
  EXPECT_FALSE(installer_.InstallFiles("Common"));
  std::string trace = coretest::ReadFile(dir_ / "trace.txt");
  // Before and after a failed copy; before and after a deferred one.
  EXPECT_EQ("init Main 0\ncopy Main " + Dest("fail.txt") + "\ncopy Main " + Dest("fail.txt") +
                "\ncopy Main " + Dest("locked.txt") + "\ncopy Main " + Dest("locked.txt") + "\n",
            trace);
}

TEST(MessagingLibraryRename, TakesTheFirstFreeNumber) {
  PackageDir dir;
  dir.AddFile("TVMA32.DLL", "library");
  dir.AddFile("TVMA32.DLL.ToDelete.1", "older");
  coretest::g_renamedAfterReboot.clear();
  std::wstring directory(dir.path().begin(), dir.path().end());
  EXPECT_TRUE(RenameMessagingLibraries(directory.c_str(), false, coretest::FakeRenameAfterReboot));
  EXPECT_FALSE(hxtest::FileExists(dir / "TVMA32.DLL"));
  EXPECT_EQ("library", coretest::ReadFile(dir / "TVMA32.DLL.ToDelete.2"));
  EXPECT_EQ("older", coretest::ReadFile(dir / "TVMA32.DLL.ToDelete.1"));
  EXPECT_EQ(dir / "TVMA32.DLL.ToDelete.2\n", coretest::g_renamedAfterReboot);
}

TEST(MessagingLibraryRename, FailsForMissingLibrariesAndDirectories) {
  PackageDir dir;
  dir.AddFile("TVMA32.DLL");
  std::wstring withoutSlash(dir.path().begin(), dir.path().end() - 1);
  // On 64-bit Windows TVMA_64.DLL is needed too; the 32-bit one still moves.
  EXPECT_FALSE(RenameMessagingLibraries(withoutSlash.c_str(), true, nullptr));
  EXPECT_TRUE(hxtest::FileExists(dir / "TVMA32.DLL.ToDelete.1"));
  EXPECT_FALSE(RenameMessagingLibraries(withoutSlash.c_str(), false, nullptr));
  EXPECT_FALSE(RenameMessagingLibraries(L"", false, nullptr));
}

}  // namespace
