#include "seams.h"

namespace {

void SystemSleep(DWORD milliseconds) { Sleep(milliseconds); }

DWORD SystemWait(HANDLE process, DWORD milliseconds) {
  return WaitForSingleObject(process, milliseconds);
}

void SystemDebugOutput(const char* text) { OutputDebugStringA(text); }

void SystemUtcNow(SYSTEMTIME* now) { GetSystemTime(now); }

}  // namespace

StarterSeams SystemSeams() {
  StarterSeams seams = {SystemSleep, SystemWait, SystemDebugOutput, SystemUtcNow};
  return seams;
}

StarterSeams& Seams() {
  static StarterSeams seams = SystemSeams();
  return seams;
}
