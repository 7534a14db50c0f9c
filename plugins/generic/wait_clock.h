// The plug-in's waits (stop passes, post-stop and start pauses, the start poll)
// go through a WaitClock so that they can be run against a clock other than
// the system's.
#pragma once

#include <windows.h>

namespace hxgeneric {

class WaitClock {
 public:
  virtual ~WaitClock() {}
  // Milliseconds on a free-running counter (wraps like GetTickCount).
  virtual DWORD TickCount() = 0;
  // Blocks the thread for ms milliseconds.
  virtual void Sleep(DWORD ms) = 0;
  // Blocks until a message arrives in the thread's queue or ms pass.
  virtual void WaitForMessage(DWORD ms) = 0;
};

// The system's clock.
WaitClock& SystemClock();

// Takes, translates and dispatches every waiting window message of the calling
// thread, again and again, until ms have passed on clock.
void ServeMessagesFor(DWORD ms, WaitClock& clock);

}  // namespace hxgeneric
