// minilog: stamped lines, open and close lines, reopening, a log that never
// opened.
#include "minilog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_fixtures.h"
#include "wine_test_env.h"

namespace {

using hxgeneric::minilog;
using hxgtest::AfterStamp;
using hxgtest::ReadCrLfLines;

std::vector<std::string> Texts(const std::string& path) {
  std::vector<std::string> texts;
  for (const std::string& line : ReadCrLfLines(path)) texts.push_back(AfterStamp(line));
  return texts;
}

TEST(Minilog, LinesAreStampedFlushedAndFramedByOpenAndClose) {
  hxtest::TempDir dir("minilog");
  const std::string path = dir / "a.log";
  {
    minilog log;
    ASSERT_TRUE(log.Open(path.c_str()));
    EXPECT_EQ(8, log.Printf("x=%d %s\n", 42, "ab"));
    // Flushed at once and readable while the log holds the file.
    EXPECT_EQ((std::vector<std::string>{">log open", "x=42 ab"}), Texts(path));
  }
  EXPECT_EQ((std::vector<std::string>{">log open", "x=42 ab", "<log close"}), Texts(path));
}

TEST(Minilog, SuccessiveLogsAppendToTheSameFile) {
  hxtest::TempDir dir("minilog");
  const std::string path = dir / "a.log";
  ASSERT_TRUE(hxtest::WriteTextFile(path, "earlier\r\n"));
  for (const char* text : {"one\n", "two\n"}) {
    minilog log;
    ASSERT_TRUE(log.Open(path.c_str()));
    log.Printf("%s", text);
  }
  std::vector<std::string> lines = ReadCrLfLines(path);
  ASSERT_EQ(7u, lines.size());
  EXPECT_EQ("earlier", lines[0]);
  const char* expected[] = {">log open", "one", "<log close", ">log open", "two", "<log close"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(expected[i], AfterStamp(lines[i + 1]));
}

TEST(Minilog, OpenOnAnOpenLogClosesTheOldFileFirst) {
  hxtest::TempDir dir("minilog");
  const std::string first = dir / "first.log";
  const std::string second = dir / "second.log";
  minilog log;
  ASSERT_TRUE(log.Open(first.c_str()));
  log.Printf("a\n");
  ASSERT_TRUE(log.Open(second.c_str()));
  log.Printf("b\n");
  EXPECT_EQ((std::vector<std::string>{">log open", "a", "<log close"}), Texts(first));
  EXPECT_EQ((std::vector<std::string>{">log open", "b"}), Texts(second));

  // No path only closes.
  EXPECT_FALSE(log.Open(nullptr));
  EXPECT_EQ(0, log.Printf("dropped\n"));
  EXPECT_EQ(0, log.WriteStamp("%s dropped\n"));
  EXPECT_EQ((std::vector<std::string>{">log open", "b", "<log close"}), Texts(second));
}

TEST(Minilog, ALogThatNeverOpenedWritesNothing) {
  hxtest::TempDir dir("minilog");
  const std::string unreachable = dir / "missing\\folder\\a.log";
  {
    minilog log;
    EXPECT_FALSE(log.Open(unreachable.c_str()));
    EXPECT_EQ(0, log.Printf("dropped %d\n", 1));
    EXPECT_EQ(0, log.WriteStamp("%s\n"));
  }
  {
    minilog never_opened;
    EXPECT_EQ(0, never_opened.Printf("dropped\n"));
  }
  EXPECT_FALSE(hxtest::FileExists(unreachable));
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir / "*.log").c_str(), &found);
  EXPECT_EQ(INVALID_HANDLE_VALUE, h);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST(Minilog, StampHasFixedWidthFields) {
  char stamp[32];
  hxgeneric::FormatLocalStamp(stamp, sizeof stamp);
  EXPECT_EQ(23u, strlen(stamp)) << stamp;
  EXPECT_EQ("", AfterStamp(std::string(stamp) + " "));
  char tiny[5];
  hxgeneric::FormatLocalStamp(tiny, sizeof tiny);
  EXPECT_EQ(4u, strlen(tiny));
}

}  // namespace
