// The built tvhxstarter.dll driven through its exports as the installer
// drives it, starting the startprobe program for real. Each test loads the
// DLL afresh, so every test begins with the settings a host finds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hxplugin.h"
#include "starter_test_env.h"
#include "wine_test_env.h"

namespace {

using startertest::Contains;
using startertest::Keys;
using startertest::ReadStartRecord;

const char* const kSection = "StarterPlugin";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

class StarterDll : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = LoadLibraryA((hxtest::BinDir() + "tvhxstarter.dll").c_str());
    ASSERT_NE(nullptr, library_);
    initialize_ = Bind<HX_InitializeFn>(HX_INITIALIZE_NAME);
    preUpdate_ = Bind<HX_PreUpdateFn>(HX_PREUPDATE_NAME);
    postUpdate_ = Bind<HX_PostUpdateFn>(HX_POSTUPDATE_NAME);
    getLastError_ = Bind<HX_GetLastErrorFn>(HX_GETLASTERROR_NAME);
    ASSERT_TRUE(initialize_ && preUpdate_ && postUpdate_ && getLastError_);
    EXPECT_EQ(nullptr, GetProcAddress(library_, HX_COPYFILECALLBACK_NAME));
    UseRoot(dir.path() + "product");
  }
  void TearDown() override {
    if (library_) FreeLibrary(library_);
  }

  template <typename Fn>
  Fn Bind(const char* name) {
    // Through void* so that the compiler accepts the change of function type.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
  }

  // Makes root the installation root, with the probe at root\bin.
  void UseRoot(const std::string& root) {
    root_ = root;
    CreateDirectoryA(root_.c_str(), nullptr);
    CreateDirectoryA((root_ + "\\bin").c_str(), nullptr);
    probe_ = root_ + "\\bin\\startprobe.exe";
    ASSERT_TRUE(startertest::PlaceProbe(probe_));
    productRoot.Set(root_);
  }

  int Initialize(const Keys& keys, char* productDir = nullptr, int size = HX_PRODUCT_DIR_SIZE) {
    startertest::WriteIni(ini_, kSection, keys);
    char own[HX_PRODUCT_DIR_SIZE] = {};
    if (productDir == nullptr) productDir = own;
    return initialize_(ini_.c_str(), kSection, productDir, size, 0);
  }
  int PostUpdate(int updateFailed = 0) {
    int reboot = 0;
    int result = postUpdate_(ini_.c_str(), kSection, &reboot, updateFailed);
    EXPECT_EQ(0, reboot);
    return result;
  }
  // Initialises with these keys and runs the post-update step.
  int Start(const Keys& keys, int updateFailed = 0) {
    if (!Initialize(keys)) return -1;
    EXPECT_EQ(1, preUpdate_(ini_.c_str(), kSection));
    return PostUpdate(updateFailed);
  }
  std::string Line(const std::string& text) { return text + "\r\n"; }

  hxtest::TempDir dir{"starterdll"};
  startertest::ProductRoot productRoot;
  startertest::StarterLogFile log;
  HMODULE library_ = nullptr;
  HX_InitializeFn initialize_ = nullptr;
  HX_PreUpdateFn preUpdate_ = nullptr;
  HX_PostUpdateFn postUpdate_ = nullptr;
  HX_GetLastErrorFn getLastError_ = nullptr;
  std::string root_, probe_;
  std::string ini_ = dir / "HOTFIX.INI";
};

TEST_F(StarterDll, CarriesAnAdministratorManifest) {
  HRSRC resource = FindResourceA(library_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(nullptr, resource);
  HGLOBAL loaded = LoadResource(library_, resource);
  ASSERT_NE(nullptr, loaded);
  std::string manifest(static_cast<const char*>(LockResource(loaded)),
                       SizeofResource(library_, resource));
  EXPECT_TRUE(Contains(manifest, "level=\"requireAdministrator\""));
  EXPECT_TRUE(Contains(manifest, "uiAccess=\"false\""));
}

TEST_F(StarterDll, StartsInTheInstallersDirectoryWithQuotedPathAndArgumentsAsGiven) {
  const struct {
    const char* arguments;
    const char* tail;  // after the quoted path
  } cases[] = {{"", ""}, {"exit=0 /q \"x y\"", " exit=0 /q \"x y\""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    DeleteFileA((probe_ + ".started.txt").c_str());
    ASSERT_EQ(1, Start({{"Path", "bin\\startprobe.exe"}, {"CommandLine", c.arguments}}));
    auto record = ReadStartRecord(probe_);
    EXPECT_EQ("\"" + probe_ + "\"" + c.tail, record["cmdline"]);
    EXPECT_EQ(Lower(probe_), Lower(record["module"]));
    // The installer's directory, although the log calls the root the
    // working directory.
    EXPECT_EQ(Lower(WithoutTrailingBackslash(hxtest::BinDir())), Lower(record["workdir"]));
    std::string text = log.Read();
    EXPECT_TRUE(Contains(text, Line("HX_PostUpdate(): Using working directory '" + root_ + "'")));
    EXPECT_TRUE(Contains(text, Line("HX_PostUpdate(): Using application path '" + probe_ + "'")));
    EXPECT_TRUE(Contains(text, Line(std::string("HX_PostUpdate(): Using command line '") +
                                    c.arguments + "'")));
  }
}

TEST_F(StarterDll, LogsEveryStepOfARun) {
  ASSERT_EQ(1, Start({{"Files", "Starter"}, {"Path", "bin\\startprobe.exe"}, {"CommandLine", "exit=0"}}));
  const std::string expected[] = {
      "HX_Initialize(): Using " + ini_ + " file, StarterPlugin section",
      "HX_Initialize(): Got the following Files folder:[Starter].",
      "HX_Initialize(): CharsCopied = 7",
      "HX_Initialize(): Got the following Path to PE-file:[bin\\startprobe.exe].",
      "HX_Initialize(): CharsCopied = 18",
      "HX_Initialize(): Got the following CommandLine:[exit=0].",
      "HX_Initialize(): CharsCopied = 6",
      "HX_Initialize(): Timeout = 120",
      "HX_Initialize(): Terminate = 0",
      "HX_Initialize(): DeletePEfile = 0",
      "HX_Initialize(): GetInstallationRootPath.",
      "GetInstallationRootPath(): InstallationRootPath: [" + root_ + "]",
      "HX_PreUpdate(): Using " + ini_ + " file, StarterPlugin section",
      "HX_PreUpdate(): Will start application bin\\startprobe.exe",
      "HX_PostUpdate(): Using " + ini_ + " file, StarterPlugin section",
      "HX_PostUpdate(): Using working directory '" + root_ + "'",
      "HX_PostUpdate(): Using application path '" + probe_ + "'",
      "HX_PostUpdate(): Using command line 'exit=0'",
      "HX_PostUpdate(): Starting application in own process",
      "HX_PostUpdate(): Process returned with error code 0",
      "HX_PostUpdate(): Used PE-file left on disk " + probe_,
      "HX_PostUpdate(): Done.",
  };
  std::string text = log.Read();
  size_t at = 0;
  for (const auto& line : expected) {
    size_t found = text.find(" " + line + "\r\n", at);
    ASSERT_NE(std::string::npos, found) << "missing or out of order: " << line;
    at = found + line.size();
  }
}

TEST_F(StarterDll, ExitCodeIsLoggedAndNeverChangesTheResult) {
  const struct {
    const char* arguments;
    int updateFailed;
    const char* logged;
  } cases[] = {{"exit=0", 0, "0"}, {"exit=7", 0, "7"}, {"exit=1", 1, "1"}, {"exit=4294967295", 0, "-1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    DeleteFileA(log.path().c_str());
    DeleteFileA((probe_ + ".started.txt").c_str());
    // The update-failed flag changes nothing: the program starts all the same.
    EXPECT_EQ(1, Start({{"Path", "bin\\startprobe.exe"}, {"CommandLine", c.arguments}},
                       c.updateFailed));
    EXPECT_FALSE(ReadStartRecord(probe_).empty());
    EXPECT_TRUE(Contains(log.Read(), Line(std::string("HX_PostUpdate(): Process returned with error code ") +
                                          c.logged)));
  }
}

// Timeout 0 ends the wait at once; only Terminate=1 ends the program.
TEST_F(StarterDll, TimedOutProgramIsTerminatedOnlyForTerminateOne) {
  const struct {
    const char* terminate;
    bool ends;
  } cases[] = {{"1", true}, {"yes", false}, {"2", false}, {"true", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.terminate);
    DeleteFileA(log.path().c_str());
    DeleteFileA((probe_ + ".started.txt").c_str());
    EXPECT_EQ(0, Start({{"Path", "bin\\startprobe.exe"},
                        {"CommandLine", "sleep=60000"},
                        {"Timeout", "0"},
                        {"Terminate", c.terminate}}));
    if (c.ends) {
      // Terminated at once, the probe may not even have written its record;
      // if it did, its process must be gone. Either way it never runs on.
      Sleep(1000);
      auto record = ReadStartRecord(probe_);
      if (!record.empty()) {
        DWORD pid = strtoul(record["pid"].c_str(), nullptr, 10);
        EXPECT_TRUE(startertest::ProcessEnds(pid, 10000));
        startertest::KillProcess(pid);
      }
    } else {
      // The probe writes its record first thing; give it the moment it needs.
      DWORD pid = 0;
      for (int i = 0; i < 100 && pid == 0; ++i, Sleep(50)) {
        pid = strtoul(ReadStartRecord(probe_)["pid"].c_str(), nullptr, 10);
      }
      ASSERT_NE(0u, pid);
      EXPECT_FALSE(startertest::ProcessEnds(pid, 500));
      startertest::KillProcess(pid);
    }

    std::string text = log.Read();
    EXPECT_TRUE(Contains(text, Line(std::string("HX_Initialize(): Terminate = ") + (c.ends ? "1" : "0"))));
    EXPECT_TRUE(Contains(text, Line("HX_PostUpdate(): Application has not finished in time (0 sec): "
                                    "bin\\startprobe.exe with command line sleep=60000")));
    EXPECT_EQ(c.ends, Contains(text, "we try to terminate it"));
    // A timed-out program still has its exit code, file step and end logged.
    EXPECT_TRUE(Contains(text, "HX_PostUpdate(): Process returned with error code "));
    EXPECT_TRUE(Contains(text, Line("HX_PostUpdate(): Used PE-file left on disk " + probe_)));
    EXPECT_TRUE(Contains(text, Line("HX_PostUpdate(): Done.")));
  }
}

TEST_F(StarterDll, ProgramFileIsDeletedAfterTheWait) {
  ASSERT_EQ(1, Start({{"Path", "bin\\startprobe.exe"},
                      {"CommandLine", "sleep=300"},
                      {"DeletePEfile", "1"}}));
  EXPECT_FALSE(ReadStartRecord(probe_).empty());
  EXPECT_FALSE(hxtest::FileExists(probe_));
  std::string text = log.Read();
  EXPECT_TRUE(Contains(text, Line("HX_Initialize(): DeletePEfile = 1")));
  EXPECT_TRUE(Contains(text, Line("HX_PostUpdate(): Deleting used PE-file " + probe_)));
  EXPECT_FALSE(Contains(text, "failed with code"));
}

TEST_F(StarterDll, DeletePEfileOtherThanOneKeepsTheFile) {
  for (const char* value : {"yes", "2"}) {
    SCOPED_TRACE(value);
    ASSERT_EQ(1, Start({{"Path", "bin\\startprobe.exe"}, {"DeletePEfile", value}}));
    EXPECT_TRUE(hxtest::FileExists(probe_));
    EXPECT_TRUE(Contains(log.Read(), Line("HX_Initialize(): DeletePEfile = 0")));
  }
}

TEST_F(StarterDll, ProgramThatCannotStartFailsWithoutDone) {
  EXPECT_EQ(0, Start({{"Path", "bin\\missing.exe"}, {"CommandLine", "a b"}}));
  std::string text = log.Read();
  EXPECT_TRUE(Contains(text, Line("HX_PostUpdate(): Failed to start application: bin\\missing.exe "
                                  "with command line a b")));
  EXPECT_FALSE(Contains(text, "Done."));
  char description[HX_ERROR_TEXT_SIZE] = {};
  getLastError_(description, sizeof description);
  EXPECT_STREQ("", description);
}

// Unquoted, "<temp>\dir with blank\bin\startprobe.exe" would run
// "<temp>\dir.exe" first.
TEST_F(StarterDll, RootWithBlanksRunsTheRightProgramDespiteADecoy) {
  std::string decoy = dir / "dir.exe";
  ASSERT_TRUE(startertest::PlaceProbe(decoy));
  UseRoot(dir / "dir with blank");
  ASSERT_EQ(1, Start({{"Path", "bin\\startprobe.exe"}, {"CommandLine", "exit=3"}}));
  EXPECT_TRUE(ReadStartRecord(decoy).empty());
  auto record = ReadStartRecord(probe_);
  EXPECT_EQ("\"" + probe_ + "\" exit=3", record["cmdline"]);
  EXPECT_TRUE(Contains(log.Read(), Line("HX_PostUpdate(): Process returned with error code 3")));
}

TEST_F(StarterDll, InitializeWithoutPathFailsAfterLoggingWhatItRead) {
  const char* const paths[] = {nullptr, ""};
  for (const char* path : paths) {
    SCOPED_TRACE(path ? "empty" : "missing");
    DeleteFileA(log.path().c_str());
    char productDir[HX_PRODUCT_DIR_SIZE] = "untouched";
    Keys keys = {{"Files", "F"}, {"CommandLine", "x"}, {"Timeout", "5"}};
    if (path) keys.push_back({"Path", path});
    EXPECT_EQ(0, Initialize(keys, productDir));
    EXPECT_STREQ("untouched", productDir);
    std::string text = log.Read();
    EXPECT_TRUE(Contains(text, Line("HX_Initialize(): Got the following Files folder:[F].")));
    EXPECT_TRUE(Contains(text, Line("HX_Initialize(): Got the following Path to PE-file:[].")));
    EXPECT_TRUE(Contains(text, Line("HX_Initialize(): Product cannot be updated - no Path value!")));
    EXPECT_FALSE(Contains(text, "CommandLine:"));
    EXPECT_FALSE(Contains(text, "Timeout"));
    // With no Path, the pre-update step has nothing to announce.
    DeleteFileA(log.path().c_str());
    EXPECT_EQ(1, preUpdate_(ini_.c_str(), kSection));
    EXPECT_EQ("", log.Read());
  }
}

TEST_F(StarterDll, RootIsCopiedIntoTheBufferCutToSizeMinusOne) {
  const int sizes[] = {HX_PRODUCT_DIR_SIZE, 10, 1};
  for (int size : sizes) {
    SCOPED_TRACE(size);
    char buffer[HX_PRODUCT_DIR_SIZE + 1];
    memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(1, Initialize({{"Path", "bin\\startprobe.exe"}}, buffer, size));
    size_t expected = std::min(root_.size(), static_cast<size_t>(size - 1));
    EXPECT_EQ(root_.substr(0, expected), std::string(buffer));
    EXPECT_EQ('x', buffer[size]);  // nothing past the given size
  }
}

TEST_F(StarterDll, MissingRootFailsInitialization) {
  const struct {
    bool removeKey;
    const char* line;
  } cases[] = {{false, "GetInstallationRootPath(): RegQueryValueEx failed"},
               {true, "GetInstallationRootPath(): RegOpenKeyEx failed"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    DeleteFileA(log.path().c_str());
    if (c.removeKey) {
      productRoot.RemoveKey();
    } else {
      productRoot.RemoveValue();
    }
    char productDir[HX_PRODUCT_DIR_SIZE] = "untouched";
    EXPECT_EQ(0, Initialize({{"Path", "bin\\startprobe.exe"}}, productDir));
    EXPECT_STREQ("untouched", productDir);
    std::string text = log.Read();
    EXPECT_TRUE(Contains(text, Line(c.line)));
    EXPECT_TRUE(Contains(text, Line("HX_Initialize(): GetInstallationRootPath failed.")));
  }
}

}  // namespace
