// Forming the program's path and command line.
#include <gtest/gtest.h>

#include <string>

#include "launch_line.h"

namespace {

TEST(LaunchLine, CommandLineQuotesThePathAndKeepsTheArgumentsAsGiven) {
  const struct {
    const char* path;
    const char* arguments;
    const char* expected;
  } cases[] = {
      {"C:\\Program Files\\Tarnvale\\bin\\tool.exe", "", "\"C:\\Program Files\\Tarnvale\\bin\\tool.exe\""},
      {"C:\\T\\tool.exe", "/s -x \"a b\"", "\"C:\\T\\tool.exe\" /s -x \"a b\""},
      {"C:\\T\\tool.exe", " lead", "\"C:\\T\\tool.exe\"  lead"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FormCommandLine(c.path, c.arguments));
  }
}

TEST(LaunchLine, ApplicationPathFitsOnlyWithinMaxPath) {
  char out[MAX_PATH];
  // root + "\" + path = 259 characters: fits with its terminator.
  std::string root(200, 'r');
  ASSERT_TRUE(FormApplicationPath(root.c_str(), std::string(58, 'p').c_str(), out));
  EXPECT_EQ(root + "\\" + std::string(58, 'p'), out);
  EXPECT_FALSE(FormApplicationPath(root.c_str(), std::string(59, 'p').c_str(), out));
  EXPECT_STREQ("", out);
  EXPECT_FALSE(FormApplicationPath(std::string(259, 'r').c_str(), std::string(258, 'p').c_str(), out));
}

TEST(LaunchLine, DirectoryKeepsItsLastBackslash) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {{"C:\\pkg\\hxupd.exe", "C:\\pkg\\"}, {"C:\\hxupd.exe", "C:\\"}, {"hxupd.exe", "hxupd.exe"}};
  for (const auto& c : cases) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%s", c.path);
    CutAfterLastBackslash(buffer);
    EXPECT_STREQ(c.expected, buffer);
  }
}

}  // namespace
