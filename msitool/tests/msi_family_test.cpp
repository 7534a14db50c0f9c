// tv_msi_32_s against real Windows Installer products: packages of two
// upgrade families are installed with msiexec, the tool runs as a process
// (or its classes in-process), and the registry and the installed products
// are checked. Every test starts and ends with no test package installed.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <string>
#include <vector>

#include "msi_fixture.h"
#include "product.h"
#include "product_family.h"
#include "wine_test_env.h"

namespace {

using msitest::Package;
using msitest::TestPackage;

const REGSAM k32 = KEY_WOW64_32KEY;
const REGSAM k64 = KEY_WOW64_64KEY;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

class MsiFamilyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    msitest::RemoveAllTestPackages();
    msitest::ClearRemovalLog();
  }
  void TearDown() override {
    msitest::RemoveAllTestPackages();
    msitest::ClearRemovalLog();
  }

  static void InstallAll(const std::vector<const char*>& names) {
    for (const char* name : names) {
      ASSERT_TRUE(msitest::Install(msitest::PackagePath(Package(name)))) << name;
    }
  }

  static std::vector<std::wstring> Codes(const std::vector<const char*>& names) {
    std::vector<std::wstring> codes;
    for (const char* name : names) codes.push_back(Package(name).code);
    return codes;
  }

  // State of SystemComponent in one view: -1 no uninstall key, 0 key without
  // the value, else the value.
  static long Hidden(const char* name, REGSAM view) {
    const TestPackage& p = Package(name);
    if (!msitest::UninstallKeyExists(p, view)) return -1;
    DWORD value = 0;
    return msitest::ReadUninstallDword(p, view, L"SystemComponent", &value) ? long(value) : 0;
  }
};

TEST_F(MsiFamilyTest, HideOldAddRemovesHidesAllButNewestInBothViews) {
  const std::vector<const char*> names = {"hide_5999_x64", "hide_51001_x86", "hide_51001_x64",
                                          "hide_51_x86"};
  InstallAll(names);
  ASSERT_EQ(Codes(names), msitest::EnumerateFamily(msitest::kHideFamily))
      << "the equal-version case needs this enumeration order";

  EXPECT_EQ(0u, msitest::RunTool("/hideoldaddremoves /u:" + Narrow(msitest::kHideFamily)));

  struct Expect {
    const char* name;
    long in32;  // -1: no key in that view
    long in64;
  };
  const Expect expected[] = {
      {"hide_5999_x64", -1, 1},   // 5.9.9.9 is older than 5.10.0.1
      {"hide_51001_x86", 0, -1},  // the newest, enumerated first among equals
      {"hide_51001_x64", -1, 1},  // same version, enumerated later
      {"hide_51_x86", 1, -1},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.in32, Hidden(e.name, k32));
    EXPECT_EQ(e.in64, Hidden(e.name, k64));
    EXPECT_TRUE(msitest::IsInstalled(Package(e.name)));
  }
}

TEST_F(MsiFamilyTest, EntryWithoutDisplayNameIsLeftAlone) {
  InstallAll({"hide_5999_x64", "hide_51001_x86"});
  ASSERT_TRUE(msitest::DeleteUninstallValue(Package("hide_5999_x64"), k64, L"DisplayName"));

  EXPECT_EQ(0u, msitest::RunTool("/hideoldaddremoves /u:" + Narrow(msitest::kHideFamily)));

  EXPECT_EQ(0, Hidden("hide_5999_x64", k64));
  EXPECT_EQ(-1, Hidden("hide_5999_x64", k32));  // no key was created
  EXPECT_EQ(0, Hidden("hide_51001_x86", k32));
}

TEST_F(MsiFamilyTest, UninstallRemovesNewestFirst) {
  const std::vector<const char*> names = {"un_10_x64", "un_30_x64", "un_20_x86"};
  InstallAll(names);
  ASSERT_EQ(Codes(names), msitest::EnumerateFamily(msitest::kUninstallFamily));

  EXPECT_EQ(0u, msitest::RunTool("/uninstall /u:" + Narrow(msitest::kUninstallFamily)));

  EXPECT_EQ((std::vector<std::string>{"3.0.0.0", "2.0.0.0", "1.0.0.0"}), msitest::RemovalLog());
  for (const char* name : names) {
    EXPECT_FALSE(msitest::IsInstalled(Package(name))) << name;
  }
  EXPECT_EQ(-1, Hidden("un_10_x64", k64));
  EXPECT_EQ(-1, Hidden("un_20_x86", k32));
}

// The newest member can be removed neither way: its cached package and its
// installation source are gone. It stays; the others are still removed.
TEST_F(MsiFamilyTest, MemberThatCannotBeRemovedStaysWhileOthersGo) {
  {
    hxtest::TempDir source("msisrc");
    const std::string copy = source / "un_30_x64.msi";
    ASSERT_TRUE(hxtest::CopyFileTo(msitest::PackagePath(Package("un_30_x64")), copy));
    ASSERT_TRUE(msitest::Install(copy));
  }
  InstallAll({"un_10_x64", "un_20_x86"});
  const std::string cached = Narrow(msitest::LocalPackage(Package("un_30_x64")));
  ASSERT_FALSE(cached.empty());
  SetFileAttributesA(cached.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(DeleteFileA(cached.c_str()));

  EXPECT_EQ(0u, msitest::RunTool("/uninstall /u:" + Narrow(msitest::kUninstallFamily)));

  EXPECT_TRUE(msitest::IsInstalled(Package("un_30_x64")));
  EXPECT_FALSE(msitest::IsInstalled(Package("un_20_x86")));
  EXPECT_FALSE(msitest::IsInstalled(Package("un_10_x64")));
  EXPECT_EQ((std::vector<std::string>{"2.0.0.0", "1.0.0.0"}), msitest::RemovalLog());
}

// The fallback alone: removal through a temporary copy of the cached
// package, which replaces a file of the same name and is deleted afterwards.
TEST_F(MsiFamilyTest, CachedPackageFallbackRemovesThroughTemporaryCopy) {
  InstallAll({"un_10_x64"});
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string stale = std::string(temp) + "un_10_x64.msi";
  ASSERT_TRUE(hxtest::WriteTextFile(stale, "not a package"));

  const INSTALLUILEVEL before = MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  msitool::Product product(Package("un_10_x64").code);
  EXPECT_TRUE(product.UninstallFromCachedPackage());
  MsiSetInternalUI(before, nullptr);

  EXPECT_FALSE(msitest::IsInstalled(Package("un_10_x64")));
  EXPECT_FALSE(hxtest::FileExists(stale));
  EXPECT_EQ((std::vector<std::string>{"1.0.0.0"}), msitest::RemovalLog());
  // Nothing left to fall back on.
  EXPECT_FALSE(product.UninstallFromCachedPackage());
}

// In-process: the family sets no user interface for the removals and puts
// back the level that was in force, after a success and after a failure.
TEST_F(MsiFamilyTest, UninstallAllRestoresUserInterfaceLevel) {
  InstallAll({"un_10_x64"});
  const INSTALLUILEVEL before = MsiSetInternalUI(INSTALLUILEVEL_BASIC, nullptr);
  {
    msitool::ProductFamily family(msitest::kUninstallFamily);
    ASSERT_EQ(1u, family.GetCount());
    EXPECT_EQ(std::wstring(L"1.0.0.0"), family.members().front()->GetVersionString());
    EXPECT_EQ(1u, family.UninstallAll());
    EXPECT_EQ(0u, family.GetCount());
    // The product object is gone; a second run finds nothing to do.
    EXPECT_EQ(0u, family.UninstallAll());
  }
  EXPECT_EQ(INSTALLUILEVEL_BASIC, MsiSetInternalUI(INSTALLUILEVEL_BASIC, nullptr));
  EXPECT_FALSE(msitest::IsInstalled(Package("un_10_x64")));

  {
    hxtest::TempDir source("msisrc");
    const std::string copy = source / "un_30_x64.msi";
    ASSERT_TRUE(hxtest::CopyFileTo(msitest::PackagePath(Package("un_30_x64")), copy));
    ASSERT_TRUE(msitest::Install(copy));
  }
  const std::string cached = Narrow(msitest::LocalPackage(Package("un_30_x64")));
  SetFileAttributesA(cached.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(DeleteFileA(cached.c_str()));
  {
    msitool::ProductFamily family(msitest::kUninstallFamily);
    EXPECT_EQ(0u, family.UninstallAll());
    EXPECT_EQ(1u, family.GetCount());
  }
  EXPECT_EQ(INSTALLUILEVEL_BASIC, MsiSetInternalUI(before, nullptr));
}

}  // namespace
