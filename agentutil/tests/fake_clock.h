// A clock that only counts: sleeping moves its time on at once.
#pragma once

#include <vector>

#include "agentutil/clock.h"

namespace agentutil_test {

class FakeClock : public agentutil::Clock {
 public:
  DWORD NowMs() override { return now; }
  void SleepMs(DWORD ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  DWORD now = 0xFFFFF000u;  // close to the wrap, as GetTickCount can be
  std::vector<DWORD> sleeps;
};

}  // namespace agentutil_test
