// tvisu.dll stand-in: platform detection, copy with deferral to the next
// restart, rename after restart and registry entries.
#include <windows.h>

#include <string>
#include <vector>

#include "platform_code.h"
#include "registry_entry.h"
#include "shared/scoped_handle.h"
#include "tvisu.h"

namespace {

// The version as the system reports it, without the compatibility shims that
// GetVersionEx applies.
bool SystemVersion(OSVERSIONINFOEXW* info) {
  ZeroMemory(info, sizeof *info);
  info->dwOSVersionInfoSize = sizeof *info;
  typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOEXW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  RtlGetVersionFn get =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(
                  reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  return get && get(info) == 0;
}

bool IsInUseError(DWORD error, const char* destination) {
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
      error == ERROR_USER_MAPPED_FILE)
    return true;
  // A running program or loaded library can also answer "access denied"; a
  // read-only file cannot be replaced later either, so it stays an error.
  DWORD attributes = GetFileAttributesA(destination);
  return error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// Copies the source beside the destination under a free name and schedules
// it to replace the destination at the next restart.
INT32 CopyForRestart(const char* source, const char* destination) {
  std::string dest = destination;
  for (unsigned n = 1; n < 1000; ++n) {
    std::string staged = dest + ".tvisu" + std::to_string(n);
    if (!CopyFileA(source, staged.c_str(), TRUE)) {
      DWORD e = GetLastError();
      if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) continue;
      return static_cast<INT32>(e);
    }
    if (!MoveFileExA(staged.c_str(), destination,
                     MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
      DWORD e = GetLastError();
      DeleteFileA(staged.c_str());
      return static_cast<INT32>(e ? e : ERROR_GEN_FAILURE);
    }
    return 0;
  }
  return ERROR_FILE_EXISTS;
}

HKEY RootKey(int index) {
  switch (index) {
    case 0: return HKEY_CLASSES_ROOT;
    case 1: return HKEY_CURRENT_USER;
    case 2: return HKEY_LOCAL_MACHINE;
    default: return HKEY_USERS;
  }
}

}  // namespace

extern "C" {

INT32 TVISU_CALL TVISU_DelayLoadInitialize(void) { return 0; }

INT32 TVISU_CALL TVISU_GetPlatform(void) {
  OSVERSIONINFOEXW v;
  if (!SystemVersion(&v)) return 102;
  return tvisu::PlatformCode(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion, v.wProductType);
}

INT32 TVISU_CALL TVISU_GetPlatformEx(INT32 query, INT32 /*reserved*/, INT32* info) {
  if (query != TVISU_PLATFORM_EX_QUERY || !info) return ERROR_INVALID_PARAMETER;
  OSVERSIONINFOEXW v;
  if (!SystemVersion(&v)) return ERROR_NOT_SUPPORTED;
  // Low 16 bits: service pack major; high 16 bits: service pack minor.
  *info = static_cast<INT32>((static_cast<UINT32>(v.wServicePackMinor) << 16) |
                             v.wServicePackMajor);
  return 0;
}

INT32 TVISU_CALL TVISU_Is64BitPlatform(void) {
#if defined(_WIN64)
  return 1;
#else
  typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, BOOL*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  IsWow64ProcessFn is_wow64 =
      kernel ? reinterpret_cast<IsWow64ProcessFn>(
                   reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
             : nullptr;
  BOOL wow64 = FALSE;
  return is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
#endif
}

INT32 TVISU_CALL TVISU_CopyFileEx(const char* source, const char* destination, INT32 /*flags*/,
                                  INT32* status) {
  if (!source || !destination || !status) return ERROR_INVALID_PARAMETER;
  *status = 0;
  if (CopyFileA(source, destination, FALSE)) return 0;
  DWORD error = GetLastError();
  if (GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES || !IsInUseError(error, destination))
    return static_cast<INT32>(error ? error : ERROR_GEN_FAILURE);
  INT32 r = CopyForRestart(source, destination);
  if (r == 0) *status = TVISU_COPY_DEFERRED;
  return r;
}

INT32 TVISU_CALL TVISU_RenameAfterReboot(const char* path, const char* new_path) {
  if (!path) return ERROR_INVALID_PARAMETER;
  // Without a new name the file is deleted at the next restart.
  if (!MoveFileExA(path, new_path, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
    return static_cast<INT32>(GetLastError());
  return 0;
}

INT32 TVISU_CALL TVISU_CreateRegistryEntry(const char* entry, INT32 type, INT32 /*flags*/) {
  if (!entry) return ERROR_INVALID_PARAMETER;
  tvisu::RegistryEntry e;
  if (!tvisu::ParseRegistryEntry(entry, &e)) return ERROR_INVALID_PARAMETER;
  std::vector<unsigned char> bytes;
  if (e.has_data && !tvisu::EncodeRegistryData(static_cast<uint32_t>(type), e.data, &bytes))
    return ERROR_INVALID_DATA;
  HKEY root = RootKey(tvisu::RootIndex(e.root));
  hx::ScopedRegKey key;
  HKEY target = root;
  if (!e.sub_key.empty()) {
    LONG r = RegCreateKeyExA(root, e.sub_key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
    if (r != ERROR_SUCCESS) return r;
    target = key.Get();
  }
  if (!e.has_data) return 0;
  LONG r = RegSetValueExA(target, e.value_name.c_str(), 0, static_cast<DWORD>(type),
                          bytes.empty() ? nullptr : bytes.data(),
                          static_cast<DWORD>(bytes.size()));
  if (r == ERROR_SUCCESS && key) RegFlushKey(key.Get());
  return r;
}

}  // extern "C"
