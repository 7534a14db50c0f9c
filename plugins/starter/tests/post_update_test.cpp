// The starter's code linked in, with the process wait and the pauses between
// deletion attempts replaced so that long waits take no time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hxplugin.h"
#include "log.h"
#include "seams.h"
#include "starter_test_env.h"
#include "wine_test_env.h"

extern "C" {
int HX_CALL HX_Initialize(const char*, const char*, char*, int, int);
int HX_CALL HX_PostUpdate(const char*, const char*, int*, int);
}

namespace {

using startertest::Contains;
using startertest::Keys;

std::vector<DWORD> g_waits;
std::vector<DWORD> g_pauses;

// Records the time-out asked for, then waits for the (quick) program.
DWORD RecordingWait(HANDLE process, DWORD milliseconds) {
  g_waits.push_back(milliseconds);
  return WaitForSingleObject(process, 30000);
}
void RecordingSleep(DWORD milliseconds) { g_pauses.push_back(milliseconds); }

class PostUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_waits.clear();
    g_pauses.clear();
    Seams().waitForProcess = RecordingWait;
    Seams().sleep = RecordingSleep;
    root_ = dir.path() + "root";
    CreateDirectoryA(root_.c_str(), nullptr);
    probe_ = root_ + "\\startprobe.exe";
    ASSERT_TRUE(startertest::PlaceProbe(probe_));
    ini_ = dir / "HOTFIX.INI";
    productRoot.Set(root_);
  }
  void TearDown() override {
    Log::SetLogLevel(0);
    Seams() = SystemSeams();
  }
  int Run(const Keys& keys) {
    startertest::WriteIni(ini_, "Starter", keys);
    char productDir[HX_PRODUCT_DIR_SIZE] = {};
    if (!HX_Initialize(ini_.c_str(), "Starter", productDir, sizeof productDir, 0)) return -1;
    int reboot = 0;
    return HX_PostUpdate(ini_.c_str(), "Starter", &reboot, 0);
  }

  hxtest::TempDir dir{"starterpost"};
  startertest::ProductRoot productRoot;
  startertest::StarterLogFile log;
  std::string root_, probe_, ini_;
};

TEST_F(PostUpdateTest, TimeoutIsTurnedIntoMilliseconds) {
  const struct {
    const char* value;  // nullptr: key missing
    DWORD milliseconds;
  } cases[] = {{nullptr, 120000}, {"0", 0}, {"7", 7000}, {"abc", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(missing)");
    g_waits.clear();
    Keys keys = {{"Path", "startprobe.exe"}};
    if (c.value) keys.push_back({"Timeout", c.value});
    EXPECT_EQ(1, Run(keys));
    EXPECT_EQ(std::vector<DWORD>{c.milliseconds}, g_waits);
  }
}

TEST_F(PostUpdateTest, UndeletableFileIsTriedTenTimesOverNinetySeconds) {
  ASSERT_TRUE(SetFileAttributesA(probe_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(1, Run({{"Path", "startprobe.exe"}, {"DeletePEfile", "1"}}));
  const std::vector<DWORD> expected = {2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000, 18000};
  EXPECT_EQ(expected, g_pauses);
  std::string text = log.Read();
  EXPECT_TRUE(Contains(text, "HX_PostUpdate(): Deleting used PE-file " + probe_ + "\r\n"));
  EXPECT_TRUE(Contains(text, "HX_PostUpdate(): Deleting used PE-file failed with code: 5\r\n"));
  EXPECT_TRUE(Contains(text, "HX_PostUpdate(): Done.\r\n"));
  EXPECT_TRUE(hxtest::FileExists(probe_));
}

TEST_F(PostUpdateTest, ApplicationPathBeyondMaxPathStartsNothing) {
  // 200 + 1 + 59 characters leave no room for the terminator.
  std::string longRoot = root_ + "\\" + std::string(200 - root_.size() - 1, 'r');
  productRoot.Set(longRoot);
  std::string path = std::string(59 - 15, 'p') + "\\startprobe.exe";
  EXPECT_EQ(0, Run({{"Path", path}}));
  EXPECT_TRUE(g_waits.empty());
  std::string text = log.Read();
  EXPECT_TRUE(Contains(text, "HX_PostUpdate(): Application path does not fit into 259 characters: " +
                                 longRoot + "\\" + path + "\r\n"));
  EXPECT_FALSE(Contains(text, "Starting application"));
  EXPECT_FALSE(Contains(text, "Done."));
}

}  // namespace
