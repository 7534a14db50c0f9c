// bench_peakmem COMMAND LINE...: runs the command, waits, and prints the child's
// exit code and its peak working set and peak private bytes in KiB.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: bench_peakmem PROGRAM [ARGS...]\n");
    return 2;
  }
  std::wstring cmd;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) cmd += L" ";
    cmd += L"\"" + std::wstring(argv[i]) + L"\"";
  }
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    fprintf(stderr, "cannot start: %lu\n", GetLastError());
    return 2;
  }
  // Sample while the child runs: some systems forget a dead process's counters.
  PROCESS_MEMORY_COUNTERS pmc = {};
  SIZE_T peak_ws = 0, peak_private = 0;
  for (;;) {
    DWORD wait = WaitForSingleObject(pi.hProcess, 5);
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) {
      if (pmc.PeakWorkingSetSize > peak_ws) peak_ws = pmc.PeakWorkingSetSize;
      if (pmc.PeakPagefileUsage > peak_private) peak_private = pmc.PeakPagefileUsage;
    }
    if (wait == WAIT_OBJECT_0) break;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  printf("exit=%lu peak_working_set_kib=%zu peak_private_kib=%zu\n", code, peak_ws / 1024,
         peak_private / 1024);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
