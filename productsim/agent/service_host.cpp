#include "productsim/agent/service_host.h"

#include <windows.h>

#include "shared/scoped_handle.h"

namespace tvsim {
namespace {

// The dispatcher calls back through plain functions, so the one service of
// this process keeps its state here.
struct HostState {
  std::wstring name;
  ServiceWork work;
  SERVICE_STATUS_HANDLE status_handle = nullptr;
  hx::ScopedKernelHandle stop_event;
};
HostState* g_host = nullptr;

void Report(DWORD state, DWORD exit_code = NO_ERROR) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  status.dwWin32ExitCode = exit_code;
  status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 10000;
  SetServiceStatus(g_host->status_handle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      Report(SERVICE_STOP_PENDING);
      SetEvent(g_host->stop_event.Get());
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
  g_host->status_handle =
      RegisterServiceCtrlHandlerExW(g_host->name.c_str(), Control, nullptr);
  if (g_host->status_handle == nullptr) return;
  Report(SERVICE_START_PENDING);
  if (!g_host->work.start()) {
    Report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
    return;
  }
  Report(SERVICE_RUNNING);
  WaitForSingleObject(g_host->stop_event.Get(), INFINITE);
  g_host->work.stop();
  Report(SERVICE_STOPPED);
}

}  // namespace

bool RunAsService(const std::wstring& name, ServiceWork work) {
  HostState state;
  state.name = name;
  state.work = std::move(work);
  state.stop_event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!state.stop_event) return false;
  g_host = &state;
  SERVICE_TABLE_ENTRYW table[2] = {};
  table[0].lpServiceName = const_cast<wchar_t*>(state.name.c_str());
  table[0].lpServiceProc = ServiceMain;
  bool ok = StartServiceCtrlDispatcherW(table) != 0;
  g_host = nullptr;
  return ok;
}

}  // namespace tvsim
