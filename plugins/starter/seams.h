// The few operating-system calls whose effect a test must observe or whose
// waiting a test must skip: sleeping between deletion attempts, waiting for
// the started program, the debugger output and the clock. Each points to the
// real call unless a test has put its own function in place.
#pragma once

#include <windows.h>

struct StarterSeams {
  void (*sleep)(DWORD milliseconds);
  // Returns what WaitForSingleObject returns.
  DWORD (*waitForProcess)(HANDLE process, DWORD milliseconds);
  void (*debugOutput)(const char* text);
  void (*utcNow)(SYSTEMTIME* now);
};

// The process-wide set in use.
StarterSeams& Seams();

// The set that calls the operating system.
StarterSeams SystemSeams();
