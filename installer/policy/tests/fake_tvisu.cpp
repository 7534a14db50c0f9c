// Test-only stand-in of tvisu.dll for the lazy-binding tests; it lacks
// TVISU_RenameAfterReboot on purpose.
#include "tvisu.h"

extern "C" {
INT32 TVISU_CALL TVISU_DelayLoadInitialize(void) { return 0; }
INT32 TVISU_CALL TVISU_GetPlatform(void) { return 4321; }
INT32 TVISU_CALL TVISU_GetPlatformEx(INT32, INT32, INT32* info) {
  *info = 2;
  return 0;
}
INT32 TVISU_CALL TVISU_Is64BitPlatform(void) { return 1; }
INT32 TVISU_CALL TVISU_CopyFileEx(const char*, const char*, INT32, INT32* status) {
  *status = 0;
  return 0;
}
INT32 TVISU_CALL TVISU_CreateRegistryEntry(const char*, INT32, INT32) { return 0; }
}
