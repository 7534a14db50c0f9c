#include "os_bitness.h"

#include <windows.h>

#include "proc_address.h"

namespace {
typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE, PBOOL);
}

bool RunsUnder64BitWindows() {
  if (sizeof(void*) == 8) return true;
  IsWow64ProcessFn isWow64 =
      LookupExport<IsWow64ProcessFn>(GetModuleHandleA("kernel32"), "IsWow64Process");
  if (!isWow64) return false;
  BOOL wow64 = FALSE;
  if (!isWow64(GetCurrentProcess(), &wow64)) return false;
  return wow64 != FALSE;
}
