#include "service_control.h"

#include <cstring>

#include "minilog.h"
#include "platform_kind.h"
#include "shared/scoped_handle.h"

namespace hxgeneric {

namespace {

const int kStopPasses = 30;
const DWORD kStopPassMs = 1000;
const DWORD kStartPollMs = 100;
const char kStopLogName[] = "hxgeneric.log";

bool IsActiveState(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_RUNNING ||
         state == SERVICE_CONTINUE_PENDING;
}

// Opens the stop log; when the temporary directory is unknown or the full
// path would not fit, the log stays closed and the stop goes on unlogged.
void OpenStopLog(minilog& log) {
  char path[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, path);
  if (n == 0 || n + sizeof kStopLogName > sizeof path) return;
  memcpy(path + n, kStopLogName, sizeof kStopLogName);
  log.Open(path);
}

int StopOneService(SC_HANDLE manager, const char* name, DWORD post_stop_wait, WaitClock& clock) {
  if (!IsServiceActive(name)) return 0;

  minilog log;
  OpenStopLog(log);
  hx::ScopedServiceHandle service(
      OpenServiceA(manager, name, SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!service) {
    log.Printf("Service \"%s\" open failed\n", name);
    return kStopFailed;
  }
  log.Printf("Service \"%s\" opened\n", name);

  SERVICE_STATUS status = {};
  QueryServiceStatus(service.Get(), &status);
  log.Printf("[Initial] Service \"%s\" status=%d\n", name, static_cast<int>(status.dwCurrentState));

  bool refused = false;
  if (status.dwCurrentState == SERVICE_STOPPED) {
    log.Printf("Service \"%s\" already stopped\n", name);
  } else {
    log.Printf("Sending stop control to service \"%s\"\n", name);
    if (!ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
      log.Printf("Service \"%s\" stop control failed\n", name);
      refused = true;
    }
    // Passes run after a refused control too: the service may be stopping
    // already for another reason.
    for (int pass = 0; pass < kStopPasses; ++pass) {
      clock.Sleep(kStopPassMs);
      log.Printf("[%d] Service \"%s\" status=%d\n", pass, name,
                 static_cast<int>(status.dwCurrentState));
      QueryServiceStatus(service.Get(), &status);
      if (status.dwCurrentState == SERVICE_STOPPED) break;
    }
  }
  log.Printf("[Final] Service \"%s\" status=%d\n", name, static_cast<int>(status.dwCurrentState));
  service.Close();

  log.Printf("Service post-stop timeout=%d\n", static_cast<int>(post_stop_wait));
  if (post_stop_wait != 0) clock.Sleep(post_stop_wait);
  log.Printf("Service \"%s\" stop operation completed, result=%d\n", name, refused ? 2 : 0);
  // A service still running after the passes counts as stopped.
  return refused ? kStopFailed : 0;
}

int StartOneService(SC_HANDLE manager, const char* name, DWORD wait, WaitClock& clock) {
  {
    hx::ScopedServiceHandle service(OpenServiceA(manager, name, SERVICE_ALL_ACCESS));
    if (!service) return kStartOpenFailed;
    SERVICE_STATUS status = {};
    QueryServiceStatus(service.Get(), &status);
    if (!IsActiveState(status.dwCurrentState) && !StartServiceA(service.Get(), 0, nullptr)) {
      const DWORD error = GetLastError();
      if (error != ERROR_SERVICE_ALREADY_RUNNING) return static_cast<int>(error);
    }
  }
  if (wait == 0) return 0;

  hx::ScopedServiceHandle watched(OpenServiceA(manager, name, SERVICE_ALL_ACCESS));
  if (!watched) return kStartWatchOpenFailed;
  const DWORD begin = clock.TickCount();
  for (;;) {
    SERVICE_STATUS status = {};
    if (QueryServiceStatus(watched.Get(), &status) && status.dwCurrentState == SERVICE_RUNNING) {
      return 0;
    }
    if (clock.TickCount() - begin >= wait) return kStartTimedOut;
    // The caller may own windows; keep them responsive while we wait.
    ServeMessagesFor(kStartPollMs, clock);
  }
}

}  // namespace

bool IsServiceActive(const char* name) {
  if (!name || GetPlatformKind() != kPlatformNT) return false;
  hx::ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, GENERIC_READ));
  if (!manager) return false;
  hx::ScopedServiceHandle service(OpenServiceA(manager.Get(), name, SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS status = {};
  if (!QueryServiceStatus(service.Get(), &status)) return false;
  return IsActiveState(status.dwCurrentState);
}

int ControlServiceByName(const char* name, bool start, DWORD wait, WaitClock& clock) {
  if (!name) return start ? kStartOpenFailed : 0;
  hx::ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return kManagerOpenFailed;
  return start ? StartOneService(manager.Get(), name, wait, clock)
               : StopOneService(manager.Get(), name, wait, clock);
}

}  // namespace hxgeneric
