#include "platform_kind.h"

#include <windows.h>

namespace hxgeneric {

int GetPlatformKind() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // only the platform id is used, which never lies
#endif
  if (!GetVersionExA(&info)) return kPlatformUnknown;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return kPlatformNT;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return kPlatformWin9x;
  return kPlatformUnknown;
}

}  // namespace hxgeneric
