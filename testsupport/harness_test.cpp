// The test harness itself: programs run under Wine, child processes report
// their exit codes, scratch folders vanish.
#include <gtest/gtest.h>

#include "wine_test_env.h"

TEST(Harness, ChildExitCodeAndScratchFolder) {
  std::string kept;
  {
    hxtest::TempDir dir("harness");
    kept = dir.path();
    ASSERT_TRUE(hxtest::WriteTextFile(dir / "a.txt", "x"));
    auto r = hxtest::RunProcess("C:\\windows\\system32\\cmd.exe /c exit 7", dir.path());
    ASSERT_TRUE(r.started);
    EXPECT_EQ(7u, r.exit_code);
  }
  EXPECT_FALSE(hxtest::FileExists(kept));
}
