// The StopService list: which services are stopped and recorded before the
// update, and how the recorded ones are started again after it.
#include "service_cycle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform_kind.h"
#include "test_clock.h"
#include "test_fixtures.h"
#include "test_service.h"
#include "wine_test_env.h"

namespace {

using hxgeneric::StoppedServiceTable;
using hxgtest::PackageIni;
using hxgtest::RedirectedTemp;
using hxgtest::TestClock;
using hxgtest::TestService;

const char kSection[] = "Generic";

class ServiceCycle : public ::testing::Test {
 protected:
  ServiceCycle() : events_dir_("hxgevents"), events_(events_dir_ / "events.txt") {}

  // A running service that records its starts and stops in the events file.
  TestService& AddRunning(const std::string& tag, const std::string& args = "") {
    TestService& svc = Add(tag, args);
    EXPECT_TRUE(svc.Start()) << svc.name();
    return svc;
  }
  TestService& Add(const std::string& tag, const std::string& args = "") {
    services_.emplace_back(new TestService(tag, "--events \"" + events_ + "\" " + args));
    EXPECT_TRUE(services_.back()->installed());
    return *services_.back();
  }
  void List(int n, const std::string& value) {
    ini_.Set(kSection, "StopService" + std::to_string(n), value);
  }
  void Set(const std::string& key, const std::string& value) { ini_.Set(kSection, key, value); }

  StoppedServiceTable Stop(TestClock& clock, int kind = hxgeneric::kPlatformNT) {
    StoppedServiceTable table;
    memset(&table, 0x5A, sizeof table);  // whatever an earlier run left
    hxgeneric::StopListedServices(ini_.path().c_str(), kSection, kind, table, clock);
    return table;
  }
  int Start(const StoppedServiceTable& table, TestClock& clock,
            int kind = hxgeneric::kPlatformNT) {
    int reboot = 0;
    hxgeneric::StartStoppedServices(ini_.path().c_str(), kSection, kind, table, &reboot, clock);
    return reboot;
  }

  // "<name> start" / "<name> stop" lines the services wrote, in order.
  std::vector<std::string> Events() const {
    std::vector<std::string> lines;
    std::string text;
    hxtest::ReadTextFile(events_, &text);
    size_t pos = 0, end;
    while ((end = text.find("\r\n", pos)) != std::string::npos) {
      lines.push_back(text.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }
  static std::vector<int> Numbers(const StoppedServiceTable& table) {
    return std::vector<int>(table.slots, table.slots + hxgeneric::kMaxStopServices);
  }
  static std::vector<int> Recorded(std::vector<int> numbers) {
    numbers.resize(hxgeneric::kMaxStopServices, 0);
    return numbers;
  }

  RedirectedTemp temp_;  // keeps the stop log out of the shared temp folder
  PackageIni ini_;
  hxtest::TempDir events_dir_;
  std::string events_;
  std::vector<std::unique_ptr<TestService>> services_;
};

TEST_F(ServiceCycle, ListEndsOnlyAtDefaultStringAndSkipsIdleOrEmptyEntries) {
  TestService& a = AddRunning("a");
  TestService& idle = Add("idle");
  TestService& c = AddRunning("c");
  TestService& d = AddRunning("d");
  List(1, a.name());
  List(2, idle.name());
  List(3, "");
  List(4, c.name());
  List(5, "Default String");
  List(6, d.name());
  Set("StartServiceDelay", "700");
  Set("PostStartServiceDelay", "900");
  TestClock clock(4);

  StoppedServiceTable table = Stop(clock);
  EXPECT_EQ(Recorded({1, 4}), Numbers(table));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), a.State());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), c.State());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), d.State());

  clock.sleeps.clear();
  EXPECT_EQ(0, Start(table, clock));
  // A pause before every start but the first, one after the last.
  EXPECT_EQ((std::vector<DWORD>{700, 900}), clock.sleeps);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), a.State());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), c.State());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), idle.State());
  const std::vector<std::string> events = Events();
  ASSERT_EQ(7u, events.size());
  EXPECT_EQ(a.name() + " start", events[5]);
  EXPECT_EQ(c.name() + " start", events[6]) << "started in the order they were stopped";
}

TEST_F(ServiceCycle, AGapInTheNumbersEndsTheList) {
  TestService& first = AddRunning("first");
  TestService& third = AddRunning("third");
  List(1, first.name());
  List(3, third.name());
  TestClock clock(4);
  EXPECT_EQ(Recorded({1}), Numbers(Stop(clock)));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), third.State());
}

TEST_F(ServiceCycle, WithoutAnyListedServiceNothingIsStartedAndNothingAwaited) {
  Set("StopServiceDelay", "500");
  Set("StartServiceDelay", "700");
  Set("PostStartServiceDelay", "900");
  TestClock clock;
  StoppedServiceTable table = Stop(clock);
  EXPECT_EQ(Recorded({}), Numbers(table));
  EXPECT_EQ(0, Start(table, clock));
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_TRUE(clock.message_waits.empty());
}

TEST_F(ServiceCycle, FailedStartsAskForARebootAndTheRestStillStart) {
  hxtest::TempDir flags("hxgflags");
  TestService& a = AddRunning("a");
  TestService& refused = AddRunning("refused");
  TestService& late = AddRunning("neverup", "--fail-start-if \"" + flags / "fail" + "\"");
  TestService& d = AddRunning("d");
  List(1, a.name());
  List(2, refused.name());
  List(3, late.name());
  List(4, d.name());
  TestClock clock(4);
  StoppedServiceTable table = Stop(clock);
  ASSERT_EQ(Recorded({1, 2, 3, 4}), Numbers(table));

  ASSERT_TRUE(refused.SetStartType(SERVICE_DISABLED));   // start request refused
  ASSERT_TRUE(hxtest::WriteTextFile(flags / "fail", "x"));  // never reaches running
  EXPECT_EQ(1, Start(table, clock));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), a.State());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), d.State());
  EXPECT_NE(static_cast<DWORD>(SERVICE_RUNNING), refused.State());
}

TEST_F(ServiceCycle, AServiceThatIgnoresTheStopIsStillRecordedAndStartedAgain) {
  TestService& stubborn = AddRunning("stubborn", "--stop-delay 2000");
  List(1, stubborn.name());
  TestClock clock;  // the 30 passes end long before the service gives in
  StoppedServiceTable table = Stop(clock);
  EXPECT_EQ(Recorded({1}), Numbers(table));
  ASSERT_TRUE(stubborn.WaitForState(SERVICE_STOPPED, 10000));

  EXPECT_EQ(0, Start(table, clock));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), stubborn.State());
  const std::string n = stubborn.name();
  EXPECT_EQ((std::vector<std::string>{n + " start", n + " stop", n + " start"}), Events());
}

TEST_F(ServiceCycle, OnlyTheNtPlatformHandlesServices) {
  TestService& svc = AddRunning("platform");
  List(1, svc.name());
  for (int kind : {hxgeneric::kPlatformWin9x, hxgeneric::kPlatformUnknown}) {
    TestClock clock;
    EXPECT_EQ(Recorded({}), Numbers(Stop(clock, kind))) << kind;
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), svc.State());
  }
  StoppedServiceTable table = {};
  table.slots[0] = 1;
  TestClock clock(4);
  ASSERT_EQ(Recorded({1}), Numbers(Stop(clock)));
  EXPECT_EQ(0, Start(table, clock, hxgeneric::kPlatformWin9x));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), svc.State());
}

TEST_F(ServiceCycle, UnusedSlotsStartNothingEvenWithAStopService0Key) {
  TestService& zero = Add("zero");
  List(0, zero.name());
  StoppedServiceTable table = {};
  TestClock clock;
  EXPECT_EQ(0, Start(table, clock));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), zero.State());
}

TEST_F(ServiceCycle, EachStopPhaseRefillsTheTableFromTheStart) {
  TestService& a = AddRunning("a");
  TestService& b = AddRunning("b");
  List(1, a.name());
  List(2, b.name());
  TestClock clock(4);
  StoppedServiceTable table = {};
  hxgeneric::StopListedServices(ini_.path().c_str(), kSection, hxgeneric::kPlatformNT, table,
                                clock);
  ASSERT_EQ(Recorded({1, 2}), Numbers(table));
  ASSERT_TRUE(b.Start());
  hxgeneric::StopListedServices(ini_.path().c_str(), kSection, hxgeneric::kPlatformNT, table,
                                clock);
  EXPECT_EQ(Recorded({2}), Numbers(table));
}

}  // namespace
