// The starter's Log class, linked in: what reaches the file and the debugger
// output, the length limits, error containment and the time stamp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log.h"
#include "seams.h"
#include "starter_test_env.h"
#include "wine_test_env.h"

namespace {

std::vector<std::string> g_debugOutput;
SYSTEMTIME g_fixedTime;

void CaptureDebugOutput(const char* text) { g_debugOutput.push_back(text); }
void FixedClock(SYSTEMTIME* now) { *now = g_fixedTime; }

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_debugOutput.clear();
    Seams().debugOutput = CaptureDebugOutput;
    dir_ = dir.path() + "logs";
    Log::SetLogDirName(dir_.c_str());
    Log::SetLogFileName("test.log");
    file_ = dir_ + "\\test.log";
    Log::SetLogLevel(100);
  }
  void TearDown() override {
    Log::SetLogLevel(0);
    Seams() = SystemSeams();
  }
  std::string FileText() const {
    std::string text;
    hxtest::ReadTextFile(file_, &text);
    return text;
  }
  // Lines of the file without their 13-character time stamps.
  std::string Messages() const {
    std::string text = FileText(), out;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      if (end - start >= 13) out += text.substr(start + 13, end - start - 13) + "|";
      start = end + 2;
    }
    return out;
  }

  hxtest::TempDir dir{"starterlog"};
  std::string dir_;
  std::string file_;
};

TEST_F(LogTest, ThresholdZeroWritesNothingAnywhere) {
  Log::SetLogLevel(0);
  Log::log(30, "hidden %d\n", 1);
  EXPECT_TRUE(g_debugOutput.empty());
  EXPECT_FALSE(hxtest::FileExists(file_));
}

TEST_F(LogTest, LevelsUpToTheThresholdAreWritten) {
  const struct {
    unsigned level;
    bool written;
  } cases[] = {{30, true}, {100, true}, {1, true}, {101, false}, {0, false}};
  std::string expected;
  for (const auto& c : cases) {
    Log::log(c.level, "level %u\n", c.level);
    if (c.written) expected += "level " + std::to_string(c.level) + "|";
  }
  EXPECT_EQ(expected, Messages());
  EXPECT_EQ(3u, g_debugOutput.size());
}

TEST_F(LogTest, LineFeedsBecomeCrLfAfterTheTimeStamp) {
  g_fixedTime = SYSTEMTIME{2026, 12, 5, 11, 1, 2, 3, 4};
  Seams().utcNow = FixedClock;
  Log::log(30, "%s(): Timeout = %d\n", "HX_Initialize", 120);
  Log::log(30, "second\n");
  EXPECT_EQ("01:02:03:004 HX_Initialize(): Timeout = 120\r\n01:02:03:004 second\r\n", FileText());
  ASSERT_EQ(2u, g_debugOutput.size());
  EXPECT_EQ("HX_Initialize(): Timeout = 120\n", g_debugOutput[0]);
}

// The stamp takes 13 characters and the formatted line must stay below 2048;
// the message itself must stay below 2048 to be written anywhere.
TEST_F(LogTest, LengthLimitsOfDebuggerOutputAndFile) {
  const struct {
    size_t length;
    bool debugger;
    bool file;
  } cases[] = {{2034, true, true}, {2035, true, false}, {2047, true, false},
               {2048, false, false}, {5000, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    g_debugOutput.clear();
    DeleteFileA(file_.c_str());
    std::string message(c.length, 'm');
    Log::log(30, "%s", message.c_str());
    EXPECT_EQ(c.debugger ? 1u : 0u, g_debugOutput.size());
    if (c.debugger) {
      EXPECT_EQ(c.length, g_debugOutput[0].size());
    }
    EXPECT_EQ(c.file ? 2047u : 0u, FileText().size());
  }
}

TEST_F(LogTest, FormatStringUsesTheLargerBufferAndGivesUpAt2048) {
  EXPECT_EQ(std::string(1500, 'x'), Log::format_string("%s", std::string(1500, 'x').c_str()));
  EXPECT_EQ(2047u, Log::format_string("%s", std::string(2047, 'x').c_str()).size());
  EXPECT_EQ("", Log::format_string("%s", std::string(2048, 'x').c_str()));
  EXPECT_EQ("", Log::format_string(nullptr));
}

TEST_F(LogTest, DeletedFileIsCreatedAnew) {
  Log::log(30, "one\n");
  ASSERT_TRUE(DeleteFileA(file_.c_str()));
  Log::log(30, "two\n");
  EXPECT_EQ("two|", Messages());
}

TEST_F(LogTest, FileOpenedElsewhereWithoutWriteSharingLosesLines) {
  Log::log(30, "before\n");
  HANDLE holder = CreateFileA(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  Log::log(30, "lost\n");
  CloseHandle(holder);
  Log::log(30, "after\n");
  EXPECT_EQ("before|after|", Messages());
  // Lost silently: only the messages themselves reached the debugger.
  EXPECT_EQ(3u, g_debugOutput.size());
}

TEST_F(LogTest, TimeStampIsUtc) {
  SYSTEMTIME before, after, local;
  GetSystemTime(&before);
  Log::log(30, "now\n");
  GetSystemTime(&after);
  GetLocalTime(&local);
  std::string text = FileText();
  ASSERT_GE(text.size(), 13u);
  unsigned h = 0, m = 0, s = 0, ms = 0;
  ASSERT_EQ(4, sscanf(text.c_str(), "%2u:%2u:%2u:%3u ", &h, &m, &s, &ms));
  auto millis = [](unsigned hh, unsigned mm, unsigned ss, unsigned mss) {
    return ((hh * 60 + mm) * 60 + ss) * 1000 + mss;
  };
  unsigned stamp = millis(h, m, s, ms);
  unsigned from = millis(before.wHour, before.wMinute, before.wSecond, before.wMilliseconds);
  unsigned to = millis(after.wHour, after.wMinute, after.wSecond, after.wMilliseconds);
  if (from <= to) {  // not across midnight
    EXPECT_LE(from, stamp);
    EXPECT_LE(stamp, to);
  }
  // Only meaningful where local time differs from UTC.
  if (local.wHour != after.wHour || local.wMinute != after.wMinute) {
    EXPECT_FALSE(h == local.wHour && m == local.wMinute);
  }
}

TEST_F(LogTest, LongDirectoryAndFilePathAreCutTo260) {
  std::string longDir = dir.path() + std::string(300, 'd');
  Log::SetLogDirName(longDir.c_str());
  EXPECT_EQ(longDir.substr(0, 260), Log::LogDirName());
  Log::SetLogFileName("test.log");
  EXPECT_EQ(260u, strlen(Log::LogFileName()));
  EXPECT_EQ(longDir.substr(0, 260), Log::LogFileName());
}

// Failed argument checks are reported on the debugger output, never thrown,
// and leave the stored state as it was. The error's own text ends in a line
// feed, so each report ends in two.
TEST_F(LogTest, BadArgumentsAreReportedOnTheDebuggerOutput) {
  Log::SetLogDirName(nullptr);
  Log::SetLogFileName(nullptr);
  Log::SetLogLevel(0);
  Log::log(30, nullptr);  // reported even with logging off
  Log::SetLogLevel(100);
  Log::log(30, "");
  Log::log_string(nullptr);
  const std::vector<std::string> expected = {
      "Log::SetLogDirName(): Exception!!! Bad argument!\n\n",
      "Log::SetLogFileName(): Exception!!! Bad argument!\n\n",
      "Log::log(): Exception!!! Bad argument!\n\n",
      "",
      "Log::log_string(): Exception!!! Bad argument!\n\n",
      "Log::log_string(): Exception!!! Bad argument!\n\n",
  };
  EXPECT_EQ(expected, g_debugOutput);
  EXPECT_EQ(dir_, Log::LogDirName());
  EXPECT_EQ(file_, Log::LogFileName());
}

TEST_F(LogTest, MissingDirectoryLosesLinesWithoutReport) {
  std::string deep = dir.path() + "missing\\logs";
  Log::SetLogDirName(deep.c_str());
  Log::SetLogFileName("test.log");
  Log::log(30, "gone\n");
  EXPECT_EQ(std::vector<std::string>{"gone\n"}, g_debugOutput);
  EXPECT_FALSE(hxtest::FileExists(deep));
}

}  // namespace
