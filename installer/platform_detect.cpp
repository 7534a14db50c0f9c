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

INT32 NoPlatformCode() { return 0; }
INT32 NoServicePack(INT32*) { return -1; }
// The installer's own view: a 64-bit installer, or a 32-bit one under WOW64.
INT32 Is64BitWindows() {
#if defined(_WIN64)
  return 1;
#else
  typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleA("kernel32");
  IsWow64ProcessFn isWow64 = kernel ? reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
                                          GetProcAddress(kernel, "IsWow64Process")))
                                    : nullptr;
  BOOL wow64 = FALSE;
  return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
#endif
}

const PlatformCalls kFallbackPlatformCalls = {NoPlatformCode, NoServicePack, Is64BitWindows,
                                              GetWindowsVersion};

}  // namespace

const PlatformCalls& ProductPlatformCalls() { return kTvisuPlatformCalls; }
const PlatformCalls& FallbackPlatformCalls() { return kFallbackPlatformCalls; }

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
