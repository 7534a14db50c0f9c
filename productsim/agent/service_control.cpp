#include "productsim/agent/service_control.h"

#include "productsim/tvma/broker_names.h"
#include "shared/scoped_handle.h"

namespace tvsim {
namespace {

constexpr DWORD kPollMs = 50;

hx::ScopedServiceHandle OpenManager(DWORD access) {
  return hx::ScopedServiceHandle(OpenSCManagerW(nullptr, nullptr, access));
}

DWORD StateOf(SC_HANDLE service) {
  SERVICE_STATUS status = {};
  return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

// 0 once the service is in state, ERROR_TIMEOUT after timeout_ms.
DWORD WaitForState(SC_HANDLE service, DWORD state, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD now = StateOf(service);
    if (now == 0) return GetLastError();
    if (now == state) return 0;
    if (GetTickCount() - start >= timeout_ms) return ERROR_TIMEOUT;
    Sleep(kPollMs);
  }
}

}  // namespace

std::wstring AgentStoreArguments() {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"TVSIM_STORE_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  std::wstring folder(dir, n);
  // A trailing backslash would escape the closing quote.
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return L"--store-dir \"" + folder + L"\"";
}

DWORD InstallService(const wchar_t* name, const wchar_t* display, const std::wstring& binary,
                     const std::wstring& arguments) {
  hx::ScopedServiceHandle scm = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!scm) return GetLastError();
  // Quoted: the path may hold spaces.
  std::wstring command = L"\"" + binary + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  hx::ScopedServiceHandle service(CreateServiceW(
      scm.Get(), name, display, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, nullptr,
      nullptr, nullptr));
  if (service) return 0;
  if (GetLastError() != ERROR_SERVICE_EXISTS) return GetLastError();
  service.Reset(OpenServiceW(scm.Get(), name, SERVICE_CHANGE_CONFIG));
  if (!service) return GetLastError();
  if (!ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                            SERVICE_NO_CHANGE, command.c_str(), nullptr, nullptr, nullptr,
                            nullptr, nullptr, display)) {
    return GetLastError();
  }
  return 0;
}

DWORD RemoveService(const wchar_t* name, DWORD timeout_ms) {
  hx::ScopedServiceHandle scm = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!scm) return GetLastError();
  hx::ScopedServiceHandle service(OpenServiceW(scm.Get(), name, SERVICE_ALL_ACCESS));
  if (!service) {
    return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? 0 : GetLastError();
  }
  SERVICE_STATUS status = {};
  if (StateOf(service.Get()) != SERVICE_STOPPED) {
    ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    WaitForState(service.Get(), SERVICE_STOPPED, timeout_ms);
  }
  if (!DeleteService(service.Get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
    return GetLastError();
  }
  return 0;
}

DWORD StartServiceAndWait(const wchar_t* name, DWORD timeout_ms) {
  hx::ScopedServiceHandle scm = OpenManager(SC_MANAGER_CONNECT);
  if (!scm) return GetLastError();
  hx::ScopedServiceHandle service(
      OpenServiceW(scm.Get(), name, SERVICE_START | SERVICE_QUERY_STATUS));
  if (!service) return GetLastError();
  if (!StartServiceW(service.Get(), 0, nullptr) &&
      GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
    return GetLastError();
  }
  return WaitForState(service.Get(), SERVICE_RUNNING, timeout_ms);
}

DWORD StopServiceAndWait(const wchar_t* name, DWORD timeout_ms) {
  hx::ScopedServiceHandle scm = OpenManager(SC_MANAGER_CONNECT);
  if (!scm) return GetLastError();
  hx::ScopedServiceHandle service(
      OpenServiceW(scm.Get(), name, SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!service) return GetLastError();
  SERVICE_STATUS status = {};
  if (!ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) &&
      GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
    return GetLastError();
  }
  return WaitForState(service.Get(), SERVICE_STOPPED, timeout_ms);
}

DWORD QueryServiceState(const wchar_t* name) {
  hx::ScopedServiceHandle scm = OpenManager(SC_MANAGER_CONNECT);
  if (!scm) return 0;
  hx::ScopedServiceHandle service(OpenServiceW(scm.Get(), name, SERVICE_QUERY_STATUS));
  return service ? StateOf(service.Get()) : 0;
}

bool ServiceExists(const wchar_t* name) {
  hx::ScopedServiceHandle scm = OpenManager(SC_MANAGER_CONNECT);
  if (!scm) return false;
  hx::ScopedServiceHandle service(OpenServiceW(scm.Get(), name, SERVICE_QUERY_STATUS));
  return static_cast<bool>(service);
}

bool AgentReady() {
  hx::ScopedKernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kReadyMutexName));
  return static_cast<bool>(mutex);
}

}  // namespace tvsim
