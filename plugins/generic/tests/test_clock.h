// A clock for the plug-in's waits whose time moves only when someone waits on
// it. Each wait may also pass real time, a fraction of the asked one (divisor
// 0: none), so that real services make progress while the test runs fast.
#pragma once

#include <vector>

#include "wait_clock.h"

namespace hxgtest {

class TestClock : public hxgeneric::WaitClock {
 public:
  explicit TestClock(DWORD real_divisor = 0) : real_divisor_(real_divisor) {}

  DWORD TickCount() override { return now; }
  void Sleep(DWORD ms) override {
    sleeps.push_back(ms);
    Pass(ms);
  }
  void WaitForMessage(DWORD ms) override {
    message_waits.push_back(ms);
    Pass(ms);
  }

  DWORD now = 0xFFFFF000u;  // close to a wrap of the 32-bit counter on purpose
  std::vector<DWORD> sleeps;
  std::vector<DWORD> message_waits;

 private:
  void Pass(DWORD ms) {
    now += ms;
    if (real_divisor_) ::Sleep(ms / real_divisor_);
  }

  DWORD real_divisor_;
};

}  // namespace hxgtest
