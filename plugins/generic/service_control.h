// Stop and start of one Windows service by its key name.
#pragma once

#include <windows.h>

#include "wait_clock.h"

namespace hxgeneric {

// Results of ControlServiceByName besides 0 (success) and, for a start, the
// positive system error with which the start request was refused.
const int kManagerOpenFailed = -1;
const int kStopFailed = -2;
const int kStartTimedOut = -3;
const int kStartWatchOpenFailed = -4;
const int kStartOpenFailed = 1;

// Time a started service is given to reach the running state.
const DWORD kStartWaitMs = 10000;

// True on the NT platform when the service is start pending, running or
// continue pending. Any failure counts as not active.
bool IsServiceActive(const char* name);

// Stops (start false) or starts the service. For a stop, wait is the pause
// after the stop; for a start, the time allowed for reaching the running
// state (0: do not watch). A stop writes its course to "hxgeneric.log" in the
// temporary directory.
int ControlServiceByName(const char* name, bool start, DWORD wait,
                         WaitClock& clock = SystemClock());

}  // namespace hxgeneric
