// Test program: makes one guarded call into a lazily bound library and
// prints what the guarded call reported.
//   delay_probe platform   TVISU_GetPlatform (the value is printed)
//   delay_probe rename     TVISU_RenameAfterReboot
//   delay_probe policy     QmpInitLibrary
//   delay_probe unguarded  TVISU_GetPlatform without a guard
#include <windows.h>

#include <delayimp.h>

#include <cstdio>
#include <cstring>

#include "delay_load.h"
#include "tvisu.h"
#include "tvpmapi.h"

namespace {

INT32 gValue = -1;
void CallPlatform() { gValue = TVISU_GetPlatform(); }
void CallRename() { gValue = TVISU_RenameAfterReboot("x", nullptr); }
void CallPolicy() { gValue = QmpInitLibrary(nullptr); }

// Reports the standard delay-load exception and its information record.
LONG CALLBACK ReportDelayLoadFailure(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* r = pointers->ExceptionRecord;
  if ((r->ExceptionCode & 0xFFFF0000u) != 0xC06D0000u) return EXCEPTION_CONTINUE_SEARCH;
  const DelayLoadInfo* info = r->NumberParameters == 1
                                  ? reinterpret_cast<const DelayLoadInfo*>(r->ExceptionInformation[0])
                                  : nullptr;
  printf("raised=0x%08lX library=%s function=%s lasterror=%lu\n",
         static_cast<unsigned long>(r->ExceptionCode), info && info->szDll ? info->szDll : "",
         info && info->dlp.fImportByName ? info->dlp.szProcName : "",
         info ? static_cast<unsigned long>(info->dwLastError) : 0ul);
  fflush(stdout);
  ExitProcess(3);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
  const char* what = argc > 1 ? argv[1] : "";
  if (strcmp(what, "unguarded") == 0) {
    AddVectoredExceptionHandler(1, ReportDelayLoadFailure);
    printf("value=%d\n", static_cast<int>(TVISU_GetPlatform()));
    return 0;
  }
  void (*fn)() = strcmp(what, "rename") == 0   ? CallRename
                 : strcmp(what, "policy") == 0 ? CallPolicy
                                               : CallPlatform;
  GuardedCallRecord record;
  memset(&record, 0, sizeof(record));
  int result = GuardedCall(fn, &record);
  // A second call after a failure must fail the same way, not crash.
  GuardedCallRecord again;
  memset(&again, 0, sizeof(again));
  int second = GuardedCall(fn, &again);
  printf("result=%d second=%d code=0x%08lX library=%s function=%s value=%d\n", result, second,
         static_cast<unsigned long>(record.result), record.libraryName, record.functionName,
         static_cast<int>(gValue));
  fflush(stdout);
  return 0;
}
