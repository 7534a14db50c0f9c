// IsServiceActive and ControlServiceByName against real services of the
// prefix; the 30 stop passes and the 10-second start wait run on a test clock.
#include "service_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_clock.h"
#include "test_fixtures.h"
#include "test_service.h"
#include "wine_test_env.h"

namespace {

using hxgeneric::ControlServiceByName;
using hxgeneric::IsServiceActive;
using hxgtest::AfterStamp;
using hxgtest::ReadCrLfLines;
using hxgtest::RedirectedTemp;
using hxgtest::TestClock;
using hxgtest::TestService;

std::vector<std::string> LogTexts(const std::string& path) {
  std::vector<std::string> texts;
  for (const std::string& line : ReadCrLfLines(path)) texts.push_back(AfterStamp(line));
  return texts;
}

std::string Quoted(const TestService& svc) { return "\"" + svc.name() + "\""; }

TEST(IsServiceActive, OnlyStartingRunningOrContinuingServicesAreActive) {
  TestService stopped("stopped");
  TestService running("running");
  TestService paused("paused");
  TestService starting("starting", "--start-delay 5000");
  ASSERT_TRUE(stopped.installed() && running.installed() && paused.installed() &&
              starting.installed());
  ASSERT_TRUE(running.Start());
  ASSERT_TRUE(paused.Start());
  ASSERT_TRUE(paused.Pause());
  starting.Start(0);
  ASSERT_EQ(static_cast<DWORD>(SERVICE_START_PENDING), starting.State());

  struct Case {
    std::string name;
    bool active;
  } cases[] = {
      {running.name(), true},  {starting.name(), true}, {paused.name(), false},
      {stopped.name(), false}, {"hxg_no_such_service", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.active, IsServiceActive(c.name.c_str())) << c.name;
}

TEST(ServiceStop, RunningServiceIsStoppedAndTheCourseLogged) {
  RedirectedTemp temp;
  TestService svc("stop");
  ASSERT_TRUE(svc.installed() && svc.Start());
  TestClock clock(4);  // each 1000 ms pass lets 250 ms of real time go by

  EXPECT_EQ(0, ControlServiceByName(svc.name().c_str(), false, 0, clock));
  EXPECT_TRUE(svc.WaitForState(SERVICE_STOPPED, 3000));

  std::vector<std::string> log = LogTexts(temp.StopLog());
  ASSERT_GE(log.size(), 9u);
  const std::string q = Quoted(svc);
  EXPECT_EQ(">log open", log[0]);
  EXPECT_EQ("Service " + q + " opened", log[1]);
  EXPECT_EQ("[Initial] Service " + q + " status=4", log[2]);
  EXPECT_EQ("Sending stop control to service " + q, log[3]);
  EXPECT_EQ(0u, log[4].find("[0] Service " + q + " status=")) << log[4];
  size_t n = log.size();
  EXPECT_EQ("[Final] Service " + q + " status=1", log[n - 4]);
  EXPECT_EQ("Service post-stop timeout=0", log[n - 3]);
  EXPECT_EQ("Service " + q + " stop operation completed, result=0", log[n - 2]);
  EXPECT_EQ("<log close", log[n - 1]);
  // One pass per logged pass line, no post-stop wait.
  EXPECT_EQ(n - 8, clock.sleeps.size());
  for (DWORD ms : clock.sleeps) EXPECT_EQ(1000u, ms);
}

TEST(ServiceStop, AServiceIgnoringTheStopCountsAsStoppedAfterThirtyPasses) {
  RedirectedTemp temp;
  TestService svc("ignore", "--stop-delay 3000");
  ASSERT_TRUE(svc.installed() && svc.Start());
  TestClock clock;

  EXPECT_EQ(0, ControlServiceByName(svc.name().c_str(), false, 250, clock));

  std::vector<DWORD> expected_sleeps(30, 1000);
  expected_sleeps.push_back(250);
  EXPECT_EQ(expected_sleeps, clock.sleeps);
  std::vector<std::string> log = LogTexts(temp.StopLog());
  const std::string q = Quoted(svc);
  ASSERT_EQ(38u, log.size());
  for (int pass = 0; pass < 30; ++pass) {
    EXPECT_EQ("[" + std::to_string(pass) + "] Service " + q + " status=4", log[4 + pass]);
  }
  EXPECT_EQ("[Final] Service " + q + " status=4", log[34]);
  EXPECT_EQ("Service post-stop timeout=250", log[35]);
  EXPECT_EQ("Service " + q + " stop operation completed, result=0", log[36]);
  // The stop did reach the service; it gives in by itself.
  EXPECT_TRUE(svc.WaitForState(SERVICE_STOPPED, 10000));
}

TEST(ServiceStop, ARefusedStopControlFailsAfterThePasses) {
  RedirectedTemp temp;
  // A starting service accepts no controls yet.
  TestService svc("refuse", "--start-delay 5000");
  ASSERT_TRUE(svc.installed());
  svc.Start(0);
  TestClock clock;

  EXPECT_EQ(hxgeneric::kStopFailed, ControlServiceByName(svc.name().c_str(), false, 0, clock));

  EXPECT_EQ(30u, clock.sleeps.size());
  std::vector<std::string> log = LogTexts(temp.StopLog());
  const std::string q = Quoted(svc);
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ("[Initial] Service " + q + " status=2", log[2]);
  EXPECT_EQ("Service " + q + " stop control failed", log[4]);
  EXPECT_EQ("Service " + q + " stop operation completed, result=2", log[log.size() - 2]);
}

TEST(ServiceStop, NothingIsDoneOrLoggedForServicesThatAreNotActive) {
  RedirectedTemp temp;
  TestService stopped("notactive");
  ASSERT_TRUE(stopped.installed());
  TestClock clock;
  for (const std::string& name : {stopped.name(), std::string("hxg_no_such_service")}) {
    EXPECT_EQ(0, ControlServiceByName(name.c_str(), false, 500, clock)) << name;
  }
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_FALSE(hxtest::FileExists(temp.StopLog()));
}

TEST(ServiceStart, ResultsOfTheStartPaths) {
  TestService stopped("start");
  TestService running("already");
  TestService disabled("disabled");
  ASSERT_TRUE(stopped.installed() && running.installed() && disabled.installed());
  ASSERT_TRUE(running.Start());
  ASSERT_TRUE(disabled.SetStartType(SERVICE_DISABLED));

  struct Case {
    std::string name;
    DWORD wait;
    int result;
  } cases[] = {
      {"hxg_no_such_service", 10000, hxgeneric::kStartOpenFailed},
      {disabled.name(), 10000, ERROR_SERVICE_DISABLED},
      {running.name(), 10000, 0},
      {stopped.name(), 0, 0},  // not watched at all
  };
  for (const Case& c : cases) {
    TestClock clock;
    EXPECT_EQ(c.result, ControlServiceByName(c.name.c_str(), true, c.wait, clock)) << c.name;
    EXPECT_TRUE(clock.message_waits.empty()) << c.name;
  }
  EXPECT_TRUE(stopped.WaitForState(SERVICE_RUNNING, 5000));
}

TEST(ServiceStart, SlowStartWithinTheWaitSucceeds) {
  TestService svc("slow", "--start-delay 1500");
  ASSERT_TRUE(svc.installed());
  TestClock clock(1);  // real time
  EXPECT_EQ(0, ControlServiceByName(svc.name().c_str(), true, hxgeneric::kStartWaitMs, clock));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), svc.State());
}

// Counts one private message that the test posts to its own window.
const UINT kPing = WM_APP + 7;
int g_pings = 0;
LRESULT CALLBACK PingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) {
    ++g_pings;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(ServiceStart, NotRunningAfterTheWaitTimesOutWhileServingWindowMessages) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "hxg_ping";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("hxg_ping", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
  ASSERT_NE(nullptr, window);

  TestService slow("late", "--start-delay 4000");
  ASSERT_TRUE(slow.installed());
  g_pings = 0;
  PostMessageA(window, kPing, 0, 0);
  TestClock clock;
  const DWORD begin = clock.now;
  EXPECT_EQ(hxgeneric::kStartTimedOut,
            ControlServiceByName(slow.name().c_str(), true, hxgeneric::kStartWaitMs, clock));
  EXPECT_EQ(1, g_pings) << "window messages are served during the start wait";
  // 100 ms rounds until the 10 seconds are up.
  EXPECT_GE(clock.now - begin, hxgeneric::kStartWaitMs);
  EXPECT_LE(clock.now - begin, hxgeneric::kStartWaitMs + 100);
  EXPECT_TRUE(clock.sleeps.empty());
  DestroyWindow(window);
}

TEST(ServeMessages, ReturnsAfterTheTimeOnTheClock) {
  TestClock clock;
  const DWORD begin = clock.now;
  hxgeneric::ServeMessagesFor(100, clock);
  EXPECT_EQ(100u, clock.now - begin);
  EXPECT_EQ(std::vector<DWORD>{100}, clock.message_waits);
}

}  // namespace
