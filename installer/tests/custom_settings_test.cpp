// Custom policy and registry settings: value syntax, passes, %TVDIR% and the
// registry deletions with their results.
#include <string>

#include "custom_settings_text.h"
#include "gtest/gtest.h"
#include "test_support.h"

using coretest::PackageDir;
using coretest::ScratchRegistryRoot;

namespace {

TEST(CustomSettingsText, SplitFirstField) {
  struct Case {
    const char* value;
    const char* first;
    const char* rest;
  };
  const Case cases[] = {
      {"1.2.3,some text", "1.2.3", "some text"},
      {"1.2.3,a,b,,c", "1.2.3", "a,b,,c"},
      {"1.2.3", "1.2.3", ""},
      {",x", "", "x"},
      {"1.2,line\r\nnext", "1.2", "line"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    char first[16];
    char rest[16];
    SplitFirstField(c.value, first, sizeof(first), rest, sizeof(rest));
    EXPECT_STREQ(c.first, first) << c.value;
    EXPECT_STREQ(c.rest, rest) << c.value;
  }
  char first[4];
  char rest[4];
  SplitFirstField("123456,abcdef", first, sizeof(first), rest, sizeof(rest));
  EXPECT_STREQ("123", first);
  EXPECT_STREQ("abc", rest);
}

TEST(CustomSettingsText, TableSettings) {
  struct Case {
    const char* value;
    bool ok;
    const char* oid;
    int row, column;
    const char* text;
  };
  const Case cases[] = {
      {"1.2.3,1,2,value, with comma", true, "1.2.3", 1, 2, "value, with comma"},
      {"1.2.3,4,5", true, "1.2.3", 4, 5, ""},
      {"1.2.3,4,5,", true, "1.2.3", 4, 5, ""},
      {"1.2.3,4", false, "", 0, 0, ""},
      {"1.2.3,,5,x", false, "", 0, 0, ""},
      {"1.2.3,4,,x", false, "", 0, 0, ""},
      {",4,5,x", false, "", 0, 0, ""},
      {"1.2.3", false, "", 0, 0, ""},
  };
  for (const Case& c : cases) {
    TableSetting setting;
    EXPECT_EQ(c.ok, ParseTableSetting(c.value, &setting)) << c.value;
    if (!c.ok) continue;
    EXPECT_STREQ(c.oid, setting.oid);
    EXPECT_EQ(c.row, setting.row);
    EXPECT_EQ(c.column, setting.column);
    EXPECT_STREQ(c.text, setting.text);
  }
}

TEST(CustomSettingsText, LeadingInteger) {
  EXPECT_EQ(12, LeadingInteger("12abc"));
  EXPECT_EQ(-7, LeadingInteger(" -7"));
  EXPECT_EQ(0, LeadingInteger("abc"));
  EXPECT_EQ(0, LeadingInteger(""));
}

TEST(CustomSettingsText, ReplaceAll) {
  char out[32];
  EXPECT_EQ(2, ReplaceAll(out, sizeof(out), "%tvdir%\\bin;%TVDir%", "%TVDIR%", "C:\\P\\", true));
  EXPECT_STREQ("C:\\P\\\\bin;C:\\P\\", out);
  EXPECT_EQ(0, ReplaceAll(out, sizeof(out), "%tvdir%", "%TVDIR%", "X", false));
  EXPECT_STREQ("%tvdir%", out);
  // The output ends before a piece that does not fit.
  char small[8];
  EXPECT_EQ(1, ReplaceAll(small, sizeof(small), "ab%T%cd%T%", "%T%", "XYZ", false));
  EXPECT_STREQ("abXYZcd", small);
  EXPECT_EQ(0, ReplaceAll(small, sizeof(small), "%T%", "%T%", "0123456789", false));
  EXPECT_STREQ("", small);
}

class CustomSettingsTest : public ::testing::Test {
 protected:
  std::string Run(const std::string& sections, bool policy) {
    std::string log = dir_ / "hx.log";
    dir_.WriteIni("[General]\nLog=" + log + "\n" + sections);
    {
      HotfixInstaller installer;
      coretest::PrepareInstaller(&installer, dir_, root_);
      if (policy)
        installer.ApplyCustomPolicySettings();
      else
        installer.ApplyCustomRegistrySettings();
    }
    return coretest::ReadFile(log);
  }
  std::string RootPath() { return "HKEY_LOCAL_MACHINE\\" + root_.path(); }

  PackageDir dir_;
  ScratchRegistryRoot root_;
};

TEST_F(CustomSettingsTest, RegistryEntriesNumberedZeroTo31WithTvDir) {
  root_.SetString("", "InstallationRootDirectory", "C:\\Prog\\");
  std::string log = Run("[CustomRegistrySettings]\nSetValue31=2,last\nSetValue0=1,%tvdir%\\bin\n"
                        "SetValue32=3,ignored\nSetValue5=4\nSetValue6=5,keep %TVDIRX,a\n",
                        false);
  EXPECT_EQ("1:C:\\Prog\\\\bin\n4:\n5:keep %TVDIRX,a\n2:last\n", coretest::g_createdEntries);
  EXPECT_NE(std::string::npos,
            log.find("Setting custom registry setting \"C:\\Prog\\\\bin\" type=1 (result: 7)\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("Setting custom registry setting \"\" type=4 (result: 7)\n"));
}

TEST_F(CustomSettingsTest, TvDirStaysWhenTheRootCannotBeRead) {
  Run("[CustomRegistrySettings]\nSetValue1=1,%TVDIR%\\bin\n", false);
  EXPECT_EQ("1:%TVDIR%\\bin\n", coretest::g_createdEntries);
}

TEST_F(CustomSettingsTest, RegistryDeletions) {
  root_.CreateKey("Old\\Child");
  root_.CreateKey("Parent\\Nested\\Deeper");
  std::string sections =
      "[CustomRegistrySettings]\n"
      "DeleteKey0=" + RootPath() + "\\Old\\\\Child\n"
      "DeleteKey1=" + RootPath() + "\\Old\\Gone\n"
      "DeleteKey2=" + RootPath() + "\\Old\\\\NotThere\n"
      "DeleteKey3=" + RootPath() + "\\Parent\\\\Nested\n"
      "DeleteValue0=" + RootPath() + "\\Fresh\\\\Value\n";
  std::string log = Run(sections, false);
  EXPECT_FALSE(root_.KeyExists("Old\\Child"));
  EXPECT_TRUE(root_.KeyExists("Parent\\Nested"));  // has a subkey of its own
  EXPECT_TRUE(root_.KeyExists("Fresh"));             // created by the value deletion
  auto line = [&](const char* what, const std::string& path, int result) {
    return std::string("Deleting registry ") + what + " \"" + path + "\" (result: " +
           std::to_string(result) + ")\n";
  };
  EXPECT_NE(std::string::npos, log.find(line("key", RootPath() + "\\Old\\\\Child", 0))) << log;
  EXPECT_NE(std::string::npos, log.find(line("key", RootPath() + "\\Old\\Gone", 4)));
  EXPECT_NE(std::string::npos, log.find(line("key", RootPath() + "\\Old\\\\NotThere", 0)));
  EXPECT_NE(std::string::npos, log.find(line("key", RootPath() + "\\Parent\\\\Nested", 2)));
  EXPECT_NE(std::string::npos, log.find(line("value", RootPath() + "\\Fresh\\\\Value", 2)));
  // Keys before values.
  EXPECT_LT(log.find("Deleting registry key"), log.find("Deleting registry value"));
}

TEST_F(CustomSettingsTest, PolicyPassesRunInTheirOrder) {
  std::string log = Run("[CustomPolicySettings]\nClearTable0=1.2.9\nSetValueTable3=1.2.9,1,2,x,y\n"
                        "SetValueTable4=1.2.9,1\nSetValue31=1.2.3,abc\nSetValue32=1.2.4,no\n"
                        "SetValue0=1.2.5\n",
                        true);
  size_t value0 = log.find("Setting custom policy setting 1.2.5=\"\" (result: ");
  size_t value31 = log.find("Setting custom policy setting 1.2.3=\"abc\" (result: ");
  size_t table = log.find("Setting custom policy setting 1.2.9[1,2]=\"x,y\" (result: ");
  size_t clear = log.find("ClearPolicyTable 1.2.9 (result: ");
  ASSERT_NE(std::string::npos, value0) << log;
  ASSERT_NE(std::string::npos, value31);
  ASSERT_NE(std::string::npos, table);
  ASSERT_NE(std::string::npos, clear);
  EXPECT_LT(value0, value31);
  EXPECT_LT(value31, table);
  EXPECT_LT(table, clear);
  EXPECT_EQ(std::string::npos, log.find("1.2.4"));
  EXPECT_EQ(std::string::npos, log.find("1.2.9[1,"  "0]"));
  // Without a policy connection no setting reports success.
  EXPECT_EQ(std::string::npos, log.find("(result: 0)"));
}

}  // namespace
