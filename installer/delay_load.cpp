#include "delay_load.h"

#include <delayimp.h>

#include "shared/scoped_handle.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;

// The messaging library variant tvma32s.dll belongs to the installer's
// lazy-binding table although nothing calls it: this reference keeps its
// descriptor in the image. (Its import symbols carry a prefix so that they
// cannot clash with tvma32.dll, which the agent adapter loads at run time.)
extern "C" UINT32 __stdcall tvma32s_TVMAInitialize(UINT32 version, UINT32 flags);
extern "C" UINT32(__stdcall* const hxMessagingVariantEntry)(UINT32, UINT32) =
    tvma32s_TVMAInitialize;

namespace {

// A path longer than this is not tried.
const size_t kMaxLibraryPath = 521;
// Value names are cut to this length.
const size_t kMaxValueName = 260;
// The last-error value that goes with a library that could not be loaded.
const DWORD kLibraryNotFoundError = 1285;

// The failure a guarded call is told about, kept per thread.
struct GuardState {
  int depth = 0;
  DWORD code = 0;
  char libraryName[32] = {};
  char functionName[1024] = {};
};

thread_local GuardState tGuard;

struct DelayLoadFailure {};

// Reached by a jump from the entry stub instead of the missing function; the
// caller's frame is the innermost one, so the exception unwinds normally.
void GuardBailOut() { throw DelayLoadFailure(); }

// The lock of the guarded calls, made at process start and removed at the end.
class GuardLock {
 public:
  GuardLock() { InitializeCriticalSection(&section_); }
  ~GuardLock() { DeleteCriticalSection(&section_); }
  GuardLock(const GuardLock&) = delete;
  GuardLock& operator=(const GuardLock&) = delete;
  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

GuardLock gGuardLock;

class GuardScope {
 public:
  GuardScope() {
    gGuardLock.Enter();
    ++tGuard.depth;
  }
  ~GuardScope() {
    --tGuard.depth;
    gGuardLock.Leave();
  }
  GuardScope(const GuardScope&) = delete;
  GuardScope& operator=(const GuardScope&) = delete;
};

// The registry path buffer: one per process, grown when a longer value comes.
char* gRegistryPath = nullptr;
DWORD gRegistryPathSize = 0;

bool TryLoad(const char* directoryPath, const char* fileName, HMODULE* module) {
  char path[kMaxLibraryPath + 260];
  const char* slash = strrchr(directoryPath, '\\');
  if (!slash) return false;
  size_t dirLength = static_cast<size_t>(slash - directoryPath) + 1;
  if (strlen(directoryPath) >= kMaxLibraryPath) return false;
  int n = snprintf(path, sizeof(path), "%.*s%s", static_cast<int>(dirLength), directoryPath,
                   fileName);
  if (n < 0 || static_cast<size_t>(n) >= sizeof(path)) return false;
  *module = LoadLibraryA(path);
  return *module != nullptr;
}

bool ModulePath(HMODULE module, char* buffer, DWORD size) {
  DWORD n = GetModuleFileNameA(module, buffer, size);
  return n > 0 && n < size;
}

template <typename T>
T FromRva(DWORD rva) {
  return reinterpret_cast<T>(reinterpret_cast<BYTE*>(&__ImageBase) + rva);
}

void FillInfo(DelayLoadInfo* info, PCImgDelayDescr descriptor, FARPROC* slot, LPCSTR dll) {
  memset(info, 0, sizeof(*info));
  info->cb = sizeof(DelayLoadInfo);
  info->pidd = descriptor;
  info->ppfn = slot;
  info->szDll = dll;
}

// Reports a failure: to the active guarded call on this thread, or as the
// standard delay-load exception. Returns what the entry stub jumps to.
FARPROC Fail(DWORD code, DWORD lastError, DelayLoadInfo* info) {
  info->dwLastError = lastError;
  SetLastError(lastError);
  if (tGuard.depth > 0) {
    tGuard.code = code;
    snprintf(tGuard.libraryName, sizeof(tGuard.libraryName), "%s",
             info->szDll ? info->szDll : "");
    if (code == HX_DELAYLOAD_PROC_NOT_FOUND && info->dlp.fImportByName && info->dlp.szProcName) {
      snprintf(tGuard.functionName, sizeof(tGuard.functionName), "%s", info->dlp.szProcName);
    } else if (code == HX_DELAYLOAD_PROC_NOT_FOUND) {
      snprintf(tGuard.functionName, sizeof(tGuard.functionName), "#%lu",
               static_cast<unsigned long>(info->dlp.dwOrdinal));
    } else {
      tGuard.functionName[0] = '\0';
    }
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GuardBailOut));
  }
  ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
  RaiseException(code, 0, 1, &argument);
  return nullptr;
}

}  // namespace

const char* ProductLibraryPathFromRegistry(const char* fileName) {
  static char empty[1] = {0};
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, HX_DELAY_LOADING_KEY, 0, KEY_READ, &raw) != ERROR_SUCCESS)
    return empty;
  hx::ScopedRegKey key(raw);
  char valueName[kMaxValueName + 1];
  snprintf(valueName, sizeof(valueName), "%s", fileName);
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return empty;
  // Five spare bytes keep the text terminated whatever the value's type.
  DWORD needed = size + 5;
  if (needed > gRegistryPathSize) {
    char* grown = static_cast<char*>(realloc(gRegistryPath, needed));
    if (!grown) return empty;
    gRegistryPath = grown;
    gRegistryPathSize = needed;
  }
  memset(gRegistryPath, 0, gRegistryPathSize);
  DWORD readSize = size;
  if (RegQueryValueExA(key.Get(), valueName, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(gRegistryPath), &readSize) != ERROR_SUCCESS ||
      readSize > size) {
    gRegistryPath[0] = '\0';
    return empty;
  }
  return gRegistryPath;
}

HMODULE LoadProductLibrary(const char* fileName, HMODULE importingModule) {
  char path[kMaxLibraryPath];
  HMODULE module = nullptr;
  if (ModulePath(nullptr, path, sizeof(path)) && TryLoad(path, fileName, &module)) return module;
  const char* registryPath = ProductLibraryPathFromRegistry(fileName);
  if (registryPath[0] != '\0' && strlen(registryPath) < kMaxLibraryPath) {
    module = LoadLibraryA(registryPath);
    if (module) return module;
  }
  if (importingModule && ModulePath(importingModule, path, sizeof(path)) &&
      TryLoad(path, fileName, &module))
    return module;
  return nullptr;
}

// The resolver every entry stub of the lazily bound libraries calls.
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot) {
  DelayLoadInfo info;
  if (!(descriptor->grAttrs & 1)) {
    FillInfo(&info, descriptor, slot, nullptr);
    return Fail(HX_DELAYLOAD_BAD_DESCRIPTOR, ERROR_INVALID_PARAMETER, &info);
  }
  LPCSTR dll = FromRva<LPCSTR>(descriptor->rvaDLLName);
  FillInfo(&info, descriptor, slot, dll);
  HMODULE* moduleCell = FromRva<HMODULE*>(descriptor->rvaHmod);
  FARPROC* iat = FromRva<FARPROC*>(descriptor->rvaIAT);
  PCImgThunkData names = FromRva<PCImgThunkData>(descriptor->rvaINT);
  size_t index = static_cast<size_t>(slot - iat);
  const IMAGE_THUNK_DATA& entry = names[index];
  if (IMAGE_SNAP_BY_ORDINAL(entry.u1.Ordinal)) {
    info.dlp.fImportByName = FALSE;
    info.dlp.dwOrdinal = static_cast<DWORD>(IMAGE_ORDINAL(entry.u1.Ordinal));
  } else {
    info.dlp.fImportByName = TRUE;
    info.dlp.szProcName =
        FromRva<PIMAGE_IMPORT_BY_NAME>(static_cast<DWORD>(entry.u1.AddressOfData))->Name;
  }

  HMODULE module = *moduleCell;
  if (!module) {
    module = LoadProductLibrary(dll, reinterpret_cast<HMODULE>(&__ImageBase));
    if (!module) return Fail(HX_DELAYLOAD_MODULE_NOT_FOUND, kLibraryNotFoundError, &info);
    HMODULE previous = reinterpret_cast<HMODULE>(InterlockedExchangePointer(
        reinterpret_cast<PVOID volatile*>(moduleCell), module));
    // A racing thread loaded it first: give back the extra reference.
    if (previous == module) FreeLibrary(module);
  }
  info.hmodCur = module;

  FARPROC function = info.dlp.fImportByName
                         ? GetProcAddress(module, info.dlp.szProcName)
                         : GetProcAddress(module, MAKEINTRESOURCEA(info.dlp.dwOrdinal));
  if (!function) return Fail(HX_DELAYLOAD_PROC_NOT_FOUND, ERROR_PROC_NOT_FOUND, &info);
  info.pfnCur = function;
  *slot = function;
  return function;
}

int GuardedCall(void (*fn)(), GuardedCallRecord* record) {
  GuardScope scope;
  try {
    fn();
    return 0;
  } catch (const DelayLoadFailure&) {
    record->result = static_cast<INT32>(tGuard.code);
    snprintf(record->libraryName, sizeof(record->libraryName), "%s", tGuard.libraryName);
    record->functionName[0] = '\0';
    switch (tGuard.code) {
      case HX_DELAYLOAD_MODULE_NOT_FOUND:
        return 1;
      case HX_DELAYLOAD_PROC_NOT_FOUND:
        snprintf(record->functionName, sizeof(record->functionName), "%s", tGuard.functionName);
        return 2;
      default:
        return 3;
    }
  }
}

// The zero record that ends the table of delay-import descriptors. GNU ld
// places the descriptors of dlltool's delay libraries in sections ".text$2",
// sorted by name, so a record in ".text$3" follows the last of them; it lives
// here because this object is always linked with the resolver. (With the
// Microsoft linker, /DELAYLOAD builds the whole table and this is not needed.)
#if defined(__MINGW32__)
// Two 16-byte halves: a single 32-byte object would be aligned to 32 bytes
// and could leave a gap after the last descriptor (16-byte aligned).
extern "C" __attribute__((section(".text$3"), used)) const DWORD hxDelayImportTableEnd[4] = {};
extern "C" __attribute__((section(".text$3"), used)) const DWORD hxDelayImportTableEnd2[4] = {};
#endif
