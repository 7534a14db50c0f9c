// Lazy binding of the product's libraries (TVPMAPI.dll, tvisu.dll,
// tvma32s.dll). The import slots of these libraries start at small entry
// stubs that call the resolver below (the Windows delay-load helper
// __delayLoadHelper2, supplied by the installer itself); the resolver loads
// the library on first use from beside the installer, then from the path in
// the registry, then from beside the importing module.
//
// A missing library or function raises the standard delay-load exception
// (0xC06D007E / 0xC06D007F / 0xC06D0057) with a DelayLoadInfo record. Only
// the guarded call turns such a failure into a result code. GCC offers no
// structured exception handling (__try/__except), so the guard works with
// plain C++ exceptions instead: while a guarded call is active on the thread,
// the resolver does not raise but answers the entry stub with the address of a
// bail-out function; the stub jumps there with the caller's frame intact, and
// the bail-out throws a C++ exception that the guarded call catches. The same
// scheme works unchanged with the Microsoft linker's /DELAYLOAD stubs.
#pragma once

#include <windows.h>

// Registry key (machine part) whose values hold full paths of libraries,
// each value named after the library file name as written in the import.
#define HX_DELAY_LOADING_KEY "Software\\Quillmoor\\Tarnvale\\delay loading"

// The standard delay-load failure codes.
#define HX_DELAYLOAD_BAD_DESCRIPTOR 0xC06D0057UL
#define HX_DELAYLOAD_MODULE_NOT_FOUND 0xC06D007EUL
#define HX_DELAYLOAD_PROC_NOT_FOUND 0xC06D007FUL

// What a guarded call reports when a library or function was missing.
struct GuardedCallRecord {
  INT32 result;              // the delay-load failure code, 0 when none
  char libraryName[32];      // cut to 31 characters
  char functionName[1024];   // cut to 1023 characters; only for a missing function
};

// Calls fn. 0 when it returned normally; 1 when a library was not found, 2
// when a function was not found, 3 for an unsupported descriptor, with the
// record filled. Any other failure passes through. Guarded calls are
// serialised by one process-wide lock.
int GuardedCall(void (*fn)(), GuardedCallRecord* record);

// Loads a library by the resolver's search order: beside the running program,
// the path from the registry, beside importingModule (when given).
HMODULE LoadProductLibrary(const char* fileName, HMODULE importingModule);

// The registry path for fileName, or an empty text. The text lives in a
// buffer that the next lookup reuses.
const char* ProductLibraryPathFromRegistry(const char* fileName);
