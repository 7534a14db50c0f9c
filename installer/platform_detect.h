// Detects the Windows platform through the install-support library.
#pragma once

#include <windows.h>

#include <cstddef>

struct PlatformInfo {
  UINT32 code;
  char name[65];
  unsigned short servicePack;
};

// The platform calls of the install-support library; tests put others in place.
struct PlatformCalls {
  INT32 (*getPlatform)();
  // 0 on success with *info holding the service pack in its low 16 bits.
  INT32 (*getPlatformEx)(INT32* info);
  INT32 (*is64BitPlatform)();
  // Extended version information of Windows; false when unavailable.
  bool (*getVersion)(OSVERSIONINFOEXA* info);
};

const PlatformCalls& ProductPlatformCalls();
// For a run without the install-support library: no platform code (the name
// is formed from the Windows version), no service pack.
const PlatformCalls& FallbackPlatformCalls();

void DetectPlatform(const PlatformCalls& calls, PlatformInfo* info);
