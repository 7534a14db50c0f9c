#include "platform_detect.h"

#include <cstring>

#include "platform.h"
#include "tvisu.h"

namespace {

INT32 GetPlatformWithTvisu() { return TVISU_GetPlatform(); }
INT32 GetPlatformExWithTvisu(INT32* info) {
  return TVISU_GetPlatformEx(TVISU_PLATFORM_EX_QUERY, 0, info);
}
INT32 Is64BitWithTvisu() { return TVISU_Is64BitPlatform(); }

bool GetWindowsVersion(OSVERSIONINFOEXA* info) {
  memset(info, 0, sizeof(*info));
  info->dwOSVersionInfoSize = sizeof(*info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info)) != 0;
}

const PlatformCalls kTvisuPlatformCalls = {GetPlatformWithTvisu, GetPlatformExWithTvisu,
                                           Is64BitWithTvisu, GetWindowsVersion};

}  // namespace

const PlatformCalls& ProductPlatformCalls() { return kTvisuPlatformCalls; }

void DetectPlatform(const PlatformCalls& calls, PlatformInfo* info) {
  memset(info, 0, sizeof(*info));
  info->code = static_cast<UINT32>(calls.getPlatform());
  INT32 ex = 0;
  if (calls.getPlatformEx(&ex) == 0) info->servicePack = static_cast<unsigned short>(ex & 0xFFFF);
  bool windows64 = calls.is64BitPlatform() != 0;
  if (FixedPlatformName(static_cast<int>(info->code), windows64, info->name, sizeof(info->name)))
    return;
  OSVERSIONINFOEXA version;
  if (!calls.getVersion(&version)) {
    lstrcpynA(info->name, "unknown", sizeof(info->name));
    return;
  }
  FormPlatformName(version.dwPlatformId == VER_PLATFORM_WIN32_NT, version.dwMajorVersion,
                   version.dwMinorVersion, version.wProductType == VER_NT_WORKSTATION, windows64,
                   info->name, sizeof(info->name));
}
