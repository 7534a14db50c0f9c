// hxgeneric.dll driven as the installer drives it: loaded by file name, entry
// points bound by export name and called with the host's full argument lists.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "include/hxplugin.h"
#include "shared/scoped_handle.h"
#include "test_fixtures.h"
#include "test_service.h"
#include "wine_test_env.h"

namespace {

using hxgtest::PackageIni;
using hxgtest::ProductKey;
using hxgtest::RedirectedTemp;
using hxgtest::TestService;

const char kSection[] = "GenericPlugin";

class GenericDll : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every HX_PostUpdate appends to (and creates) the language log in the
    // Windows directory; it is put back as it was after each test.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    language_log_.reset(new hxgtest::FileTail(std::string(windows) + "\\tvhxgeneric.log"));
    // A fresh load per test: the stopped-service table starts empty.
    dll_.Reset(LoadLibraryA((hxtest::BinDir() + "hxgeneric.dll").c_str()));
    ASSERT_TRUE(dll_.IsValid());
    init_ = Bind<HX_InitializeFn>(HX_INITIALIZE_NAME);
    pre_ = Bind<HX_PreUpdateFn>(HX_PREUPDATE_NAME);
    post_ = Bind<HX_PostUpdateFn>(HX_POSTUPDATE_NAME);
    error_ = Bind<HX_GetLastErrorFn>(HX_GETLASTERROR_NAME);
    ASSERT_TRUE(init_ && pre_ && post_ && error_);
    EXPECT_EQ(nullptr, GetProcAddress(dll_.Get(), HX_COPYFILECALLBACK_NAME));
  }

  template <typename Fn>
  Fn Bind(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll_.Get(), name)));
  }
  int PreUpdate() { return pre_(ini_.path().c_str(), kSection); }
  int PostUpdate(int* reboot, int update_failed) {
    *reboot = 0;
    return post_(ini_.path().c_str(), kSection, reboot, update_failed);
  }

  hx::ScopedLibrary dll_;
  HX_InitializeFn init_ = nullptr;
  HX_PreUpdateFn pre_ = nullptr;
  HX_PostUpdateFn post_ = nullptr;
  HX_GetLastErrorFn error_ = nullptr;
  PackageIni ini_;
  std::unique_ptr<hxgtest::FileTail> language_log_;
};

TEST_F(GenericDll, InitializeTellsTheProductDirectoryFromTheProductKey) {
  ProductKey key("C:\\Program Files\\Tarnvale\\Agent");
  struct Case {
    const char* what;
    const char* key_name;  // nullptr: RegKEy not written; "*": the product key
    int size;
    int result;
    std::string dir;
  } cases[] = {
      {"found", "*", HX_PRODUCT_DIR_SIZE, 1, "C:\\Program Files\\Tarnvale\\Agent"},
      {"cut to the buffer", "*", 8, 1, "C:\\Prog"},
      {"no RegKEy", nullptr, HX_PRODUCT_DIR_SIZE, 0, "untouched"},
      {"empty RegKEy", "", HX_PRODUCT_DIR_SIZE, 0, "untouched"},
      {"no such product key", "HxGenericNoSuchProduct", HX_PRODUCT_DIR_SIZE, 0, "untouched"},
  };
  for (const Case& c : cases) {
    PackageIni ini;
    // Written as the installer's own key name; lookup ignores letter case.
    if (c.key_name) {
      ini.Set(kSection, "RegKey", strcmp(c.key_name, "*") ? c.key_name : key.name());
    }
    char dir[HX_PRODUCT_DIR_SIZE];
    memset(dir, 'z', sizeof dir);
    strcpy(dir, "untouched");
    char before[HX_PRODUCT_DIR_SIZE];
    memcpy(before, dir, sizeof dir);
    EXPECT_EQ(c.result, init_(ini.path().c_str(), kSection, dir, c.size, 0)) << c.what;
    EXPECT_EQ(c.dir, dir) << c.what;
    // Nothing is written past the size the host gave.
    EXPECT_EQ(0, memcmp(before + c.size, dir + c.size, sizeof dir - c.size)) << c.what;
  }
}

TEST_F(GenericDll, GetLastErrorAlwaysGivesTheSameTextCutToTheBuffer) {
  char text[HX_ERROR_TEXT_SIZE] = {};
  error_(text, sizeof text);
  EXPECT_STREQ("Error information not available.", text);
  char small[8];
  memset(small, 'z', sizeof small);
  error_(small, 6);
  EXPECT_STREQ("Error", small);
  EXPECT_EQ('z', small[6]);
}

TEST_F(GenericDll, ServicesStoppedBeforeAFailedUpdateRunAgainAndLanguageFilesArePlaced) {
  RedirectedTemp temp;
  hxtest::TempDir product("hxgdllprod");
  std::string dir = product.path().substr(0, product.path().size() - 1);
  ProductKey key(dir);
  ASSERT_TRUE(hxtest::WriteTextFile(product / "ui.dll.ITA", "italiano"));
  TestService running("dllrun");
  TestService idle("dllidle");
  ASSERT_TRUE(running.installed() && idle.installed() && running.Start());
  ini_.Set(kSection, "RegKEy", key.name());
  ini_.Set(kSection, "StopService1", running.name());
  ini_.Set(kSection, "StopService2", idle.name());
  ini_.Set(HX_HOST_SECTION, HX_PRODUCT_LANGUAGE_KEY, "ITA");
  ini_.Set(kSection, "LanguageFile1", "ui.dll");

  EXPECT_EQ(1, PreUpdate());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), running.State());
  std::vector<std::string> stop_log = hxgtest::ReadCrLfLines(temp.StopLog());
  ASSERT_FALSE(stop_log.empty());
  EXPECT_EQ("Service \"" + running.name() + "\" stop operation completed, result=0",
            hxgtest::AfterStamp(stop_log[stop_log.size() - 2]));

  int reboot = 0;
  EXPECT_EQ(1, PostUpdate(&reboot, 1));  // another plug-in vetoed the update
  EXPECT_EQ(0, reboot);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), running.State());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), idle.State());
  std::string text;
  EXPECT_TRUE(hxtest::ReadTextFile(product / "ui.dll", &text));
  EXPECT_EQ("italiano", text);
  std::vector<std::string> added = language_log_->Added();
  ASSERT_EQ(3u, added.size());
  EXPECT_EQ("Copying language file #1: ui.dll", added[1]);
  EXPECT_EQ("File copy " + dir + "\\ui.dll.ITA=>" + dir + "\\ui.dll: success=1, errorcode=0",
            added[2]);
}

TEST_F(GenericDll, ARefusedRestartAsksForAReboot) {
  RedirectedTemp temp;
  TestService svc("dllrefuse");
  ASSERT_TRUE(svc.installed() && svc.Start());
  ini_.Set(kSection, "StopService1", svc.name());
  EXPECT_EQ(1, PreUpdate());
  ASSERT_TRUE(svc.SetStartType(SERVICE_DISABLED));
  int reboot = 0;
  EXPECT_EQ(1, PostUpdate(&reboot, 0));
  EXPECT_EQ(1, reboot);
}

TEST_F(GenericDll, TwentyServicesAreStoppedAndStartedAgainInOrder) {
  RedirectedTemp temp;
  hxtest::TempDir events_dir("hxgevents");
  const std::string events = events_dir / "events.txt";
  std::vector<std::unique_ptr<TestService>> services;
  for (int n = 1; n <= 20; ++n) {
    services.emplace_back(new TestService("twenty", "--events \"" + events + "\""));
    ASSERT_TRUE(services.back()->installed() && services.back()->Start());
    ini_.Set(kSection, "StopService" + std::to_string(n), services.back()->name());
  }
  ASSERT_TRUE(DeleteFileA(events.c_str()));  // only the plug-in's stops and starts

  EXPECT_EQ(1, PreUpdate());
  int reboot = 0;
  EXPECT_EQ(1, PostUpdate(&reboot, 0));
  EXPECT_EQ(0, reboot);

  std::vector<std::string> expected;
  for (const char* what : {" stop", " start"}) {
    for (const auto& svc : services) expected.push_back(svc->name() + what);
  }
  std::string text;
  ASSERT_TRUE(hxtest::ReadTextFile(events, &text));
  std::vector<std::string> lines;
  size_t pos = 0, end;
  while ((end = text.find("\r\n", pos)) != std::string::npos) {
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  EXPECT_EQ(expected, lines);
  for (const auto& svc : services) {
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), svc->State()) << svc->name();
  }
}

}  // namespace
