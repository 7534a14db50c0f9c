// hxtestsvc: a Windows service for tests that stop and start services. The
// command line in the service's binPath chooses how it behaves:
//
//   hxtestsvc.exe [--start-delay MS] [--stop-delay MS] [--fail-start-if FILE]
//                 [--events FILE]
//
//   --start-delay MS    stay "start pending" for MS before reporting running
//   --stop-delay MS     ignore a stop request for MS (keep reporting running),
//                       then stop
//   --fail-start-if F   when file F exists at start, report stopped at once
//                       with a service-specific error instead of running
//   --events F          append "<service name> start" and "<service name> stop"
//                       lines to F when the service runs and when it stops
//
// Pause and continue are accepted. Install it like any service, for example
//   sc create NAME binPath= "C:\path\hxtestsvc.exe --stop-delay 5000"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

DWORD g_start_delay = 0;
DWORD g_stop_delay = 0;
const char* g_fail_start_if = nullptr;
const char* g_events = nullptr;

char g_name[256] = "";
SERVICE_STATUS_HANDLE g_status_handle = nullptr;
SERVICE_STATUS g_status = {};
CRITICAL_SECTION g_status_lock;
HANDLE g_stop_requested = nullptr;

void Report(DWORD state, DWORD exit_code = NO_ERROR, DWORD wait_hint = 0) {
  EnterCriticalSection(&g_status_lock);
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted =
      state == SERVICE_START_PENDING || state == SERVICE_STOPPED
          ? 0
          : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
  g_status.dwWin32ExitCode = exit_code;
  g_status.dwServiceSpecificExitCode = exit_code == ERROR_SERVICE_SPECIFIC_ERROR ? 1 : 0;
  g_status.dwWaitHint = wait_hint;
  ++g_status.dwCheckPoint;
  SetServiceStatus(g_status_handle, &g_status);
  LeaveCriticalSection(&g_status_lock);
}

void AppendEvent(const char* what) {
  if (!g_events) return;
  HANDLE file = CreateFileA(g_events, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[400];
  int n = snprintf(line, sizeof line, "%s %s\r\n", g_name, what);
  if (n > 0 && n < static_cast<int>(sizeof line)) {
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
  }
  CloseHandle(file);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
      // The main thread decides when the service really stops (--stop-delay).
      SetEvent(g_stop_requested);
      return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
      Report(SERVICE_PAUSED);
      return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
      Report(SERVICE_RUNNING);
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD argc, char** argv) {
  if (argc > 0 && argv[0]) {
    strncpy(g_name, argv[0], sizeof g_name - 1);
    g_name[sizeof g_name - 1] = '\0';
  }
  g_status_handle = RegisterServiceCtrlHandlerExA(g_name, Handler, nullptr);
  if (!g_status_handle) return;
  if (g_fail_start_if && GetFileAttributesA(g_fail_start_if) != INVALID_FILE_ATTRIBUTES) {
    Report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
    return;
  }
  if (g_start_delay) {
    Report(SERVICE_START_PENDING, NO_ERROR, g_start_delay + 2000);
    Sleep(g_start_delay);
  }
  AppendEvent("start");
  Report(SERVICE_RUNNING);
  WaitForSingleObject(g_stop_requested, INFINITE);
  if (g_stop_delay) Sleep(g_stop_delay);
  AppendEvent("stop");
  Report(SERVICE_STOPPED);
}

bool ParseArgs(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (strcmp(argv[i - 1], "--start-delay") == 0) {
      g_start_delay = strtoul(value, nullptr, 10);
    } else if (strcmp(argv[i - 1], "--stop-delay") == 0) {
      g_stop_delay = strtoul(value, nullptr, 10);
    } else if (strcmp(argv[i - 1], "--fail-start-if") == 0) {
      g_fail_start_if = value;
    } else if (strcmp(argv[i - 1], "--events") == 0) {
      g_events = value;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseArgs(argc, argv)) {
    fprintf(stderr,
            "usage: hxtestsvc [--start-delay MS] [--stop-delay MS] [--fail-start-if FILE] "
            "[--events FILE]\n");
    return 2;
  }
  InitializeCriticalSection(&g_status_lock);
  g_stop_requested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  char empty[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{empty, ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(table)) {
    fprintf(stderr, "hxtestsvc runs only as a service (error %lu)\n", GetLastError());
    return 1;
  }
  return 0;
}
