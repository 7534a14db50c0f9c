#include "agentutil/clock.h"

namespace agentutil {
namespace {

class RealClock : public Clock {
 public:
  DWORD NowMs() override { return GetTickCount(); }
  void SleepMs(DWORD ms) override { Sleep(ms); }
};

}  // namespace

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

}  // namespace agentutil
