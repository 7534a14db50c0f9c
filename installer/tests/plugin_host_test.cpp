// Plug-in host: loading, the three phases with their messages, the error
// text, the reboot answer, version directories and unloading.
#include <string>

#include "gtest/gtest.h"
#include "package_parser.h"
#include "plugin_host.h"
#include "test_support.h"

using coretest::CaptureSink;
using coretest::g_captured;
using coretest::PackageDir;

namespace {

// A package whose plug-ins are given as "[Section]\n..." texts; every
// plug-in traces its calls into trace.txt.
class PluginHostTest : public ::testing::Test {
 protected:
  void Write(const std::string& pluginsSection, const std::string& sections) {
    dir_.WriteIni("[General]\nID=HF\n[Product]\nProductOID=1.2\nProductName=P\n[Plugins]\n" +
                  pluginsSection + sections);
    ParsePackageFile(dir_.IniPath().c_str(), &package_);
    coretest::ResetCapture();
  }
  std::string Section(const std::string& name, const std::string& dll,
                      const std::string& extra = "") {
    return "[" + name + "]\nFiles=" + name + "\nPlugIn=" + dll + "\nTestTrace=" +
           (dir_ / "trace.txt") + "\n" + extra;
  }
  std::string Trace() { return coretest::ReadFile(dir_ / "trace.txt"); }
  bool LoadAndInitialize() {
    bool loaded = LoadAllPlugins(package_.plugins, dir_.path().c_str(), CaptureSink);
    bool initialized =
        InitializeAllPlugins(package_.plugins, dir_.IniPath().c_str(), 0, CaptureSink);
    return loaded && initialized;
  }
  PluginEntry* At(int index) {
    PluginEntry* entry = package_.plugins.First();
    while (entry && index-- > 0) entry = package_.plugins.Next();
    return entry;
  }

  PackageDir dir_;
  PackageDescription package_;
};

TEST_F(PluginHostTest, FirstOfTwoCannotBeLoaded) {
  dir_.AddBinary("hxtest_plugin.dll", "second.dll");
  Write("PlugIn_1=First\nPlugIn_2=Second\n",
        Section("First", "missing.dll") + Section("Second", "second.dll"));
  EXPECT_FALSE(LoadAllPlugins(package_.plugins, dir_.path().c_str(), CaptureSink));
  EXPECT_FALSE(At(0)->IsLoaded());
  EXPECT_TRUE(At(1)->IsLoaded());
  EXPECT_EQ("\nLoading \"" + (dir_ / "missing.dll") + "\" failed, error 126\n\n", g_captured);

  coretest::ResetCapture();
  EXPECT_FALSE(InitializeAllPlugins(package_.plugins, dir_.IniPath().c_str(), 0, CaptureSink));
  EXPECT_EQ("Plug-in First initialization failed, error description: \"\"\n\n", g_captured);
  EXPECT_EQ("init Second 0\n", Trace());
  EXPECT_TRUE(UnloadAllPlugins(package_.plugins));
  EXPECT_FALSE(At(1)->IsLoaded());
}

TEST_F(PluginHostTest, ExcusedInitFailureLeavesThePluginOut) {
  dir_.AddBinary("hxtest_plugin.dll", "a.dll");
  dir_.AddBinary("hxtest_plugin.dll", "b.dll");
  Write("PlugIn_1=A\nPlugIn_2=B\n",
        Section("A", "a.dll", "TestInit=0\nIgnoreInitFailure=1\nTestError=ignored\n") +
            Section("B", "b.dll"));
  EXPECT_TRUE(LoadAndInitialize());
  EXPECT_EQ("", g_captured);
  EXPECT_FALSE(At(0)->initSucceeded);
  EXPECT_TRUE(At(1)->initSucceeded);
  EXPECT_TRUE(PreUpdateAllPlugins(package_.plugins, dir_.IniPath().c_str(), CaptureSink));
  EXPECT_TRUE(PostUpdateAllPlugins(package_.plugins, dir_.IniPath().c_str(), false, CaptureSink));
  EXPECT_EQ("init A 0\ninit B 0\npre B\npost B 0\n", Trace());
}

TEST_F(PluginHostTest, MissingEntryPoints) {
  struct Case {
    const char* dll;
    const char* extra;
    bool initialized;
    const char* report;
  };
  const Case cases[] = {
      // Without HX_Initialize nothing excuses the failure (and the plug-in,
      // never called, has no error text).
      {"hxtest_plugin_noinit.dll", "IgnoreInitFailure=1\nTestError=never asked\n", false,
       "Plug-in P initialization failed, error description: \"\"\n\n"},
      // Without HX_GetLastError the description stays empty.
      {"hxtest_plugin_three.dll", "TestInit=0\nTestError=unused\n", false,
       "Plug-in P initialization failed, error description: \"\"\n\n"},
      {"hxtest_plugin_three.dll", "", true, ""},
  };
  for (const Case& c : cases) {
    PackageDir dir;
    dir.AddBinary(c.dll, "p.dll");
    dir.WriteIni(std::string("[Plugins]\nPlugIn_1=P\n[P]\nFiles=f\nPlugIn=p.dll\n") + c.extra);
    PackageDescription package;
    ParsePackageFile(dir.IniPath().c_str(), &package);
    coretest::ResetCapture();
    ASSERT_TRUE(LoadAllPlugins(package.plugins, dir.path().c_str(), CaptureSink)) << c.dll;
    EXPECT_EQ(c.initialized,
              InitializeAllPlugins(package.plugins, dir.IniPath().c_str(), 0, CaptureSink))
        << c.dll;
    EXPECT_EQ(c.report, g_captured) << c.dll;
    EXPECT_EQ(nullptr, package.plugins.First()->copyCallback) << c.dll;
  }
}

TEST_F(PluginHostTest, VetoBySecondOfThree) {
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) dir_.AddBinary("hxtest_plugin.dll", name);
  Write("PlugIn_1=A\nPlugIn_2=B\nPlugIn_3=C\n",
        Section("A", "a.dll", "TestPost=0\nTestReboot=1\n") +
            Section("B", "b.dll", "TestPre=0\nTestError=services still running\n") +
            Section("C", "c.dll"));
  ASSERT_TRUE(LoadAndInitialize());
  EXPECT_FALSE(PreUpdateAllPlugins(package_.plugins, dir_.IniPath().c_str(), CaptureSink));
  EXPECT_EQ(
      "Plug-in B pre-update failed, error description: \"services still running\"\n\n",
      g_captured);
  EXPECT_TRUE(At(0)->preUpdateCalled);
  EXPECT_TRUE(At(1)->preUpdateCalled);
  EXPECT_FALSE(At(2)->preUpdateCalled);

  coretest::ResetCapture();
  // After a failed pre-update phase the post-update results are not used,
  // but the reboot answer is still recorded.
  EXPECT_TRUE(PostUpdateAllPlugins(package_.plugins, dir_.IniPath().c_str(), true, CaptureSink));
  EXPECT_EQ("", g_captured);
  EXPECT_TRUE(At(0)->rebootRequired);
  EXPECT_EQ("init A 0\ninit B 0\ninit C 0\npre A\npre B\npost A 1\npost B 1\n", Trace());
}

TEST_F(PluginHostTest, PostUpdateFailureDoesNotStopTheOthers) {
  dir_.AddBinary("hxtest_plugin.dll", "a.dll");
  dir_.AddBinary("hxtest_plugin.dll", "b.dll");
  Write("PlugIn_1=A\nPlugIn_2=B\n",
        Section("A", "a.dll", "TestPost=0\nTestReboot=1\nTestError=program failed\n") +
            Section("B", "b.dll", "TestReboot=5\n"));
  ASSERT_TRUE(LoadAndInitialize());
  ASSERT_TRUE(PreUpdateAllPlugins(package_.plugins, dir_.IniPath().c_str(), CaptureSink));
  EXPECT_FALSE(PostUpdateAllPlugins(package_.plugins, dir_.IniPath().c_str(), false, CaptureSink));
  EXPECT_EQ("Plug-in A post-update failed, error description: \"program failed\"\n\n", g_captured);
  EXPECT_FALSE(At(0)->rebootRequired);  // a failed call leaves it as it was
  EXPECT_TRUE(At(1)->rebootRequired);
  EXPECT_EQ("init A 0\ninit B 0\npre A\npre B\npost A 0\npost B 0\n", Trace());
}

TEST_F(PluginHostTest, CopyEventsReachThePluginsCallback) {
  dir_.AddBinary("hxtest_plugin.dll", "a.dll");
  Write("PlugIn_1=A\n", Section("A", "a.dll", "TestInit=0\nIgnoreInitFailure=1\n"));
  ASSERT_TRUE(LoadAndInitialize());
  // Looked up whatever HX_Initialize returned.
  ASSERT_NE(nullptr, At(0)->copyCallback);
  ForwardCopyEvent(*At(0), "C:\\dest\\file.txt");
  EXPECT_EQ("init A 0\ncopy A C:\\dest\\file.txt\n", Trace());
}

class VersionDirectoryTest : public PluginHostTest {
 protected:
  coretest::ScratchRegistryRoot root_;
};

TEST_F(VersionDirectoryTest, FilesDirectoryFollowsTheApplicationVersion) {
  root_.SetString("App", "CurrentVersion", "5.20");
  Write("PlugIn_1=Plain\nPlugIn_2=Versioned\nPlugIn_3=Unlisted\n",
        Section("Plain", "p.dll") +
            Section("Versioned", "v.dll", "MultiVersionSupport=1\nRegKey=App\nFiles_5.20=v520\n") +
            Section("Unlisted", "u.dll", "MultiVersionSupport=1\nRegKey=App\n"));
  EXPECT_TRUE(ResolvePluginVersionDirectories(package_.plugins, dir_.IniPath().c_str(),
                                              root_.path().c_str(), CaptureSink));
  EXPECT_STREQ("Plain", At(0)->files);
  EXPECT_STREQ("v520", At(1)->files);
  EXPECT_STREQ("Unlisted", At(2)->files);
  std::string key = root_.path() + "\\App";
  EXPECT_EQ("Multiversion support not used by plug-in \"Plain\"\n\n"
            "Multiversion support used by plug-in \"Versioned\", obtaining version from registry "
            "key \"App\"\n\n"
            "Application version successfully read from registry key \"" + key + "\": 5.20\n\n"
            "Version-specific files directoy specified: \"Files_5.20\" = \"v520\"\n\n"
            "Multiversion support used by plug-in \"Unlisted\", obtaining version from registry "
            "key \"App\"\n\n"
            "Application version successfully read from registry key \"" + key + "\": 5.20\n\n"
            "Version-specific files directoy \"Files_5.20\" not specified, using the main files "
            "directory \"Unlisted\"\n\n",
            g_captured);
}

TEST_F(VersionDirectoryTest, LookupFailuresAreReportedAndDoNotStopTheOthers) {
  root_.CreateKey("NoVersion");
  Write("PlugIn_1=NoKey\nPlugIn_2=Missing\nPlugIn_3=Empty\nPlugIn_4=Fine\n",
        Section("NoKey", "a.dll", "MultiVersionSupport=1\n") +
            Section("Missing", "b.dll", "MultiVersionSupport=1\nRegKey=Gone\n") +
            Section("Empty", "c.dll", "MultiVersionSupport=1\nRegKey=NoVersion\n") +
            Section("Fine", "d.dll"));
  EXPECT_FALSE(ResolvePluginVersionDirectories(package_.plugins, dir_.IniPath().c_str(),
                                               root_.path().c_str(), CaptureSink));
  EXPECT_NE(std::string::npos,
            g_captured.find("No registry key specified, unable to determine application version\n"));
  EXPECT_NE(std::string::npos,
            g_captured.find("Cannot open registry key \"" + root_.path() +
                            "\\Gone\" (error 2), unable to determine application version\n"));
  EXPECT_NE(std::string::npos,
            g_captured.find("Cannot read application version from registry key \"" + root_.path() +
                            "\\NoVersion\" (error 2), unable to determine application version\n"));
  EXPECT_NE(std::string::npos,
            g_captured.find("Multiversion support not used by plug-in \"Fine\"\n"));
}

}  // namespace
