// Faults injected into whole hxupd.exe runs against the simulated product:
// the agent killed while a policy request waits for its answer, the policy
// store refusing the channel, a product library missing, the TVSetup key
// missing, and destinations or sources that cannot be copied. Each checks the
// outcome the installer promises for it and that nothing that was there
// before is lost.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "system_env.h"

namespace {

const char kHotfixId[] = "HF-FAULT-1";

std::string ReadAll(const std::string& path) {
  std::string text;
  hxtest::ReadTextFile(path, &text);
  return text;
}

// The log is written in text mode; its lines are compared with "\n" ends.
std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// Whether this platform refuses to overwrite a read-only file (Wine run by
// root does not: the attribute lives in the Unix permissions, which root
// ignores).
bool ReadOnlyFilesAreProtected(const std::string& folder) {
  std::string from = folder + "ro-probe-from.txt", to = folder + "ro-probe-to.txt";
  hxtest::WriteTextFile(from, "new");
  hxtest::WriteTextFile(to, "old");
  SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_READONLY);
  bool refused = !CopyFileA(from.c_str(), to.c_str(), FALSE);
  SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(from.c_str());
  DeleteFileA(to.c_str());
  return refused;
}

class FaultTest : public ::testing::Test {
 public:  // the case tables below reach in through plain function pointers
  void SetUp() override {
    if (!hxtest::FileExists(hxtest::BinDir() + "tvsim_setup.exe"))
      GTEST_SKIP() << "simulated product not built";
    dest_ = root_ / "dest\\";
    pkg_.reset(new hxtest::TempDir("hxfault"));
  }
  void TearDown() override {
    // Read-only files would keep the scratch folders alive.
    for (const std::string& f : readonly_) SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
    pkg_.reset();
  }

  void InstallProduct(bool with_agent) {
    ASSERT_TRUE(product_.Install(root_.path(), with_agent));
    hxsys::ClearSetupResults();
    ASSERT_TRUE(hxsys::MakeDirs(dest_));
  }
  std::string Pkg(const std::string& name = "") const { return pkg_->path() + name; }
  void AddPackageFile(const std::string& relative, const std::string& content) {
    std::string path = Pkg(relative);
    ASSERT_TRUE(hxsys::MakeDirs(path.substr(0, path.find_last_of('\\'))));
    ASSERT_TRUE(hxtest::WriteTextFile(path, content));
  }
  // A package with one plug-in "main" whose files go to dest_; plugin is the
  // built DLL that plays it, extra adds lines to its section.
  void WritePackage(const std::string& plugin = "hxtest_plugin.dll", const std::string& extra = "") {
    ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + "hxupd.exe", Pkg("hxupd.exe")));
    ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + plugin, Pkg("main.dll")));
    ASSERT_TRUE(hxtest::WriteTextFile(
        Pkg("HOTFIX.INI"),
        "[General]\nID=" + id_ + "\nDescription_ENG=Fault test\nReleaseDate=2024-03-04\nLog=" +
            Pkg("hx.log") + "\n[Product]\nProductOID=" + hxsys::kProductOid +
            "\nProductName=Tarnvale\nVerMin=8.00\nVerMax=8.50\n[Plugins]\nPlugIn_1=main\n"
            "[main]\nFiles=main\nPlugIn=main.dll\nTestProductDir=" + dest_ + "\nProductDir=" + dest_ +
            "\n" + extra +
            "[CustomPolicySettings]\nSetValue0=1.3.6.1.4.1.5839.11.90.90.1,fault\n"));
  }
  hxsys::RunOutcome Run(DWORD timeout_ms = 300000) {
    hxsys::RunOutcome run = hxsys::RunInstaller(Pkg(), timeout_ms);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timed_out) << "the installer did not end by itself";
    return run;
  }
  std::string Log() const { return WithoutCarriageReturns(ReadAll(Pkg("hx.log"))); }
  void ExpectResult(DWORD exit_code, const hxsys::RunOutcome& run) {
    EXPECT_EQ(exit_code, run.exit_code) << Log();
    DWORD stored = 0xFFFFFFFF;
    EXPECT_TRUE(hxsys::ReadSetupDword("RESULT_CODE", &stored));
    EXPECT_EQ(exit_code, stored);
    std::string description;
    EXPECT_TRUE(hxsys::ReadSetupText("DESCRIPTION_RESULT_SETUP", &description));
    EXPECT_EQ(hxsys::DescriptionOf(exit_code), description);
    EXPECT_NE(std::string::npos, Log().find("Exit code: " + std::to_string(exit_code) + "\n"));
  }
  bool HotfixRecorded() {
    return hxsys::PolicyTableText(hxsys::kProductTable).find(id_) != std::string::npos;
  }
  void MakeReadOnly(const std::string& path) {
    readonly_.push_back(path);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  }

  hxtest::TempDir root_{"hxfaultroot"};
  std::string dest_;
  std::unique_ptr<hxtest::TempDir> pkg_;
  hxsys::SimulatedProduct product_;
  std::vector<std::string> readonly_;
  std::string id_ = kHotfixId;
};

// Destinations that cannot be replaced and a source that disappears: each
// file that fails is logged, the run ends with 3, the other files are still
// copied, the file in the way stays as it was, and no hotfix entry is made.
TEST_F(FaultTest, FilesThatCannotBeCopied) {
  struct Case {
    const char* name;
    const char* plugin;
    // Prepares the destination (and the plug-in's section); returns the
    // extra section lines.
    std::string (*prepare)(FaultTest* t);
    // Checks that what was in the way is still there.
    void (*check)(FaultTest* t);
    DWORD error;  // the error the log reports for the file
    bool needs_readonly_protection;
  };
  const Case cases[] = {
      {"destination file read-only", "hxtest_plugin.dll",
       [](FaultTest* t) {
         EXPECT_TRUE(hxtest::WriteTextFile(t->dest_ + "victim.txt", "old victim"));
         t->MakeReadOnly(t->dest_ + "victim.txt");
         return std::string();
       },
       [](FaultTest* t) {
         EXPECT_EQ("old victim", ReadAll(t->dest_ + "victim.txt"));
         EXPECT_NE(0u, GetFileAttributesA((t->dest_ + "victim.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
       },
       ERROR_ACCESS_DENIED, true},
      {"destination is a directory", "hxtest_plugin.dll",
       [](FaultTest* t) {
         EXPECT_TRUE(hxsys::MakeDirs(t->dest_ + "victim.txt"));
         EXPECT_TRUE(hxtest::WriteTextFile(t->dest_ + "victim.txt\\inside.txt", "kept"));
         return std::string();
       },
       [](FaultTest* t) {
         EXPECT_NE(0u, GetFileAttributesA((t->dest_ + "victim.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
         EXPECT_EQ("kept", ReadAll(t->dest_ + "victim.txt\\inside.txt"));
       },
       ERROR_ACCESS_DENIED, false},
      {"source vanishes between listing and copy", "hxsys_vanish_plugin.dll",
       [](FaultTest* t) {
         EXPECT_TRUE(hxtest::WriteTextFile(t->dest_ + "victim.txt", "old victim"));
         return "VanishName=victim.txt\nVanishSource=" + t->Pkg("Common\\main\\victim.txt") + "\n";
       },
       [](FaultTest* t) { EXPECT_EQ("old victim", ReadAll(t->dest_ + "victim.txt")); },
       ERROR_FILE_NOT_FOUND, false},
  };
  InstallProduct(false);
  const bool readonly_protected = ReadOnlyFilesAreProtected(dest_);
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    id_ = "HF-FAULT-COPY-" + std::to_string(++number);
    if (c.needs_readonly_protection && !readonly_protected) {
      std::printf("skipped \"%s\": this platform overwrites read-only files\n", c.name);
      continue;
    }
    hxtest::DeleteTree(dest_);
    ASSERT_TRUE(hxsys::MakeDirs(dest_));
    pkg_.reset(new hxtest::TempDir("hxfault"));
    hxsys::ClearSetupResults();
    AddPackageFile("Common\\main\\first.txt", "first");
    AddPackageFile("Common\\main\\victim.txt", "new victim");
    AddPackageFile("Common\\main\\zlast.txt", "last");
    AddPackageFile("64\\main\\platform.txt", "platform");
    std::string extra = c.prepare(this);
    WritePackage(c.plugin, extra);

    hxsys::RunOutcome run = Run();
    ExpectResult(3, run);
    c.check(this);
    EXPECT_EQ("first", ReadAll(dest_ + "first.txt"));
    EXPECT_EQ("last", ReadAll(dest_ + "zlast.txt"));
    EXPECT_EQ("platform", ReadAll(dest_ + "platform.txt"));
    EXPECT_NE(std::string::npos,
              Log().find("Error " + std::to_string(c.error) + " copying " +
                         Pkg("Common\\main\\victim.txt") + " => " + dest_ + "victim.txt\n"))
        << Log();
    EXPECT_FALSE(HotfixRecorded());
    // The custom settings are applied all the same.
    EXPECT_NE(std::string::npos,
              Log().find("Setting custom policy setting 1.3.6.1.4.1.5839.11.90.90.1=\"fault\""));
    for (const std::string& f : readonly_) SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
    readonly_.clear();
  }
}

// Without the TVSetup key the run still installs everything and ends with its
// exit code; the key is only opened, never created.
TEST_F(FaultTest, SetupKeyMissing) {
  InstallProduct(false);
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, hxsys::kSetupKey));
  AddPackageFile("Common\\main\\file.txt", "content");
  WritePackage();
  hxsys::RunOutcome run = Run();
  EXPECT_EQ(0u, run.exit_code) << Log();
  EXPECT_EQ("content", ReadAll(dest_ + "file.txt"));
  EXPECT_TRUE(HotfixRecorded());
  EXPECT_FALSE(hxsys::SetupKeyExists());
  EXPECT_NE(std::string::npos, Log().find("Error 2 opening registry key for writing exit information\n"))
      << Log();
  EXPECT_NE(std::string::npos, Log().find("Exit code: 0\n"));
}

// The policy store refuses the policy library's channel. With the agent
// stopped no policy connection can be made: the product is still found
// through the registry, the package counts as not ready, nothing is copied
// and the run ends with 5. With the agent running the agent's back-end is used
// and the installation completes.
TEST_F(FaultTest, PolicyChannelRefused) {
  struct Case {
    bool agent;
    DWORD exit_code;
    bool installed;
  };
  for (const Case& c : {Case{false, 5, false}, Case{true, 0, true}}) {
    SCOPED_TRACE(c.agent ? "agent running" : "agent stopped");
    pkg_.reset(new hxtest::TempDir("hxfault"));
    InstallProduct(c.agent);
    ASSERT_EQ(ERROR_SUCCESS, hxsys::SetupTool("fault channel-refused on"));
    AddPackageFile("Common\\main\\file.txt", "new");
    ASSERT_TRUE(hxtest::WriteTextFile(dest_ + "file.txt", "old"));
    WritePackage();
    hxsys::RunOutcome run = Run();
    ExpectResult(c.exit_code, run);
    EXPECT_EQ(c.installed ? "new" : "old", ReadAll(dest_ + "file.txt"));
    ASSERT_EQ(ERROR_SUCCESS, hxsys::SetupTool("fault channel-refused off"));
    EXPECT_EQ(c.installed, HotfixRecorded());
  }
}

// Finds the agent service's process.
DWORD AgentProcessId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  DWORD id = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (_stricmp(entry.szExeFile, "tvmasvc.exe") == 0) id = entry.th32ProcessID;
  CloseHandle(snapshot);
  return id;
}

// The agent dies while the installer's policy probe waits for its answer: the
// agent back-end gives up after its probes, the policy channel takes over,
// and the installation completes with the hotfix recorded and the policy
// store's other contents intact.
TEST_F(FaultTest, AgentKilledDuringPolicyRequest) {
  InstallProduct(true);
  ASSERT_NE(0u, AgentProcessId()) << "the agent service is not running";
  std::string store_before = hxsys::PolicyTableText("1.3.6.1.4.1.5839.11.4.14.10");
  ASSERT_EQ(0, hxsys::SetupTool("agent reply-delay 20000"));
  AddPackageFile("Common\\main\\file.txt", "content");
  WritePackage();

  std::string command = hxsys::Quoted(Pkg("hxupd.exe"));
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                             Pkg().c_str(), &startup, &process));
  // Wait until the installer has its agent session; its first request (the
  // probe) then waits for the delayed answer.
  bool session = false;
  for (int i = 0; i < 600 && !session; ++i) {
    session = Log().find("TVMA session created") != std::string::npos;
    if (!session) Sleep(100);
  }
  EXPECT_TRUE(session) << Log();
  Sleep(1000);
  DWORD agent = AgentProcessId();
  ASSERT_NE(0u, agent);
  HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, agent);
  ASSERT_NE(nullptr, handle);
  EXPECT_TRUE(TerminateProcess(handle, 9));
  WaitForSingleObject(handle, 10000);
  CloseHandle(handle);

  DWORD waited = WaitForSingleObject(process.hProcess, 400000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  DWORD exit_code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ASSERT_EQ(WAIT_OBJECT_0, waited) << "the installer did not end by itself\n" << Log();

  hxsys::RunOutcome run;
  run.exit_code = exit_code;
  ExpectResult(0, run);
  EXPECT_EQ("content", ReadAll(dest_ + "file.txt"));
  EXPECT_TRUE(HotfixRecorded());
  EXPECT_EQ(store_before, hxsys::PolicyTableText("1.3.6.1.4.1.5839.11.4.14.10"));
  EXPECT_NE(std::string::npos, Log().find("Failed to initialize the default policy adapter")) << Log();
}

// A library of the product missing from its common folder. The messaging
// library is loaded only by the agent back-end, which then fails and leaves
// the policy to the channel: the installation completes. Without the policy
// library neither back-end connects, and the run ends as for a package that
// is not ready, before anything is copied. Without the install-support
// library no file can be copied: the run ends with 3 and the old file stays.
TEST_F(FaultTest, ProductLibraryMissing) {
  struct Case {
    const char* library;
    bool agent;
    DWORD exit_code;
    bool installed;
  };
  const Case cases[] = {
      // Only the agent back-end loads it; the channel takes over.
      {"tvma32.dll", true, 0, true},
      // Neither back-end connects; the product is found through the registry
      // and the package counts as not ready.
      {"TVPMAPI.dll", false, 5, false},
      // Platform detection does without it; every copy fails, the post-update
      // phase and the exit information follow.
      {"tvisu.dll", false, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    pkg_.reset(new hxtest::TempDir("hxfault"));
    id_ = std::string("HF-FAULT-LIB-") + c.library;
    InstallProduct(c.agent);
    std::string library = root_ / ("Common\\" + std::string(c.library));
    std::string aside = library + ".away";
    if (c.agent) {
      ASSERT_EQ(0, hxsys::SetupTool("services stop"));
    }
    ASSERT_TRUE(MoveFileA(library.c_str(), aside.c_str())) << library;
    if (c.agent) {
      ASSERT_EQ(0, hxsys::SetupTool("services start"));
    }
    AddPackageFile("Common\\main\\file.txt", "new");
    ASSERT_TRUE(hxtest::WriteTextFile(dest_ + "file.txt", "old"));
    WritePackage();
    hxsys::RunOutcome run = Run();
    ExpectResult(c.exit_code, run);
    EXPECT_EQ(c.installed ? "new" : "old", ReadAll(dest_ + "file.txt"));
    EXPECT_EQ(c.installed, HotfixRecorded());
    if (c.agent) {
      EXPECT_NE(std::string::npos, Log().find("loadApiTable('tvma32.dll') failed")) << Log();
    }
    if (c.exit_code == 3) {
      EXPECT_NE(std::string::npos, Log().find("Error 126 copying ")) << Log();
    }
    MoveFileA(aside.c_str(), library.c_str());
  }
}

}  // namespace
