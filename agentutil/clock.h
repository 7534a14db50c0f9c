// Time seam for the utility's waits (registration attempts, service state
// polling): the program uses the system's clock; tests pass one that only
// counts, so waits cost nothing.
#pragma once

#include <windows.h>

namespace agentutil {

class Clock {
 public:
  virtual ~Clock() {}
  // Milliseconds since some fixed moment; wraps like GetTickCount.
  virtual DWORD NowMs() = 0;
  virtual void SleepMs(DWORD ms) = 0;
};

// The process-wide system clock.
Clock& SystemClock();

}  // namespace agentutil
