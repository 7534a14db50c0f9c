#include "wait_clock.h"

namespace hxgeneric {

namespace {

class SystemWaitClock : public WaitClock {
 public:
  DWORD TickCount() override { return GetTickCount(); }
  void Sleep(DWORD ms) override { ::Sleep(ms); }
  void WaitForMessage(DWORD ms) override {
    // Waking on new input keeps messages flowing without spinning the CPU.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
  }
};

}  // namespace

WaitClock& SystemClock() {
  static SystemWaitClock clock;
  return clock;
}

void ServeMessagesFor(DWORD ms, WaitClock& clock) {
  const DWORD begin = clock.TickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // Unsigned difference stays right across a wrap of the tick counter.
    const DWORD elapsed = clock.TickCount() - begin;
    if (elapsed >= ms) return;
    clock.WaitForMessage(ms - elapsed);
  }
}

}  // namespace hxgeneric
