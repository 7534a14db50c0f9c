#include "test_service.h"

#include <cstdio>

#include "shared/scoped_handle.h"
#include "wine_test_env.h"

namespace hxgtest {

namespace {

hx::ScopedServiceHandle OpenTestService(const std::string& name, DWORD access) {
  hx::ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return hx::ScopedServiceHandle();
  return hx::ScopedServiceHandle(OpenServiceA(manager.Get(), name.c_str(), access));
}

}  // namespace

TestService::TestService(const std::string& tag, const std::string& args) {
  static unsigned counter = 0;
  char name[96];
  snprintf(name, sizeof name, "hxg_%s_%lu_%u", tag.c_str(), GetCurrentProcessId(), ++counter);
  name_ = name;
  const std::string bin_path = "\"" + hxtest::BinDir() + "hxtestsvc.exe\" " + args;
  hx::ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  hx::ScopedServiceHandle service(CreateServiceA(
      manager.Get(), name_.c_str(), name_.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, bin_path.c_str(), nullptr, nullptr, nullptr,
      nullptr, nullptr));
  installed_ = service.IsValid();
}

TestService::~TestService() {
  if (!installed_) return;
  StopAndWait();
  hx::ScopedServiceHandle service = OpenTestService(name_, SERVICE_ALL_ACCESS);
  if (service) DeleteService(service.Get());
}

void TestService::StopAndWait() {
  hx::ScopedServiceHandle service = OpenTestService(name_, SERVICE_ALL_ACCESS);
  if (!service) return;
  // A service that is still starting gets its stop once it runs. Only one
  // stop is sent: under Wine a second stop to a service that is still busy
  // with the first leaves it marked running after its process has gone.
  bool stop_sent = false;
  const DWORD begin = GetTickCount();
  while (GetTickCount() - begin < 30000) {
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(service.Get(), &status)) return;
    if (status.dwCurrentState == SERVICE_STOPPED) return;
    if (!stop_sent && (status.dwCurrentState == SERVICE_RUNNING ||
                       status.dwCurrentState == SERVICE_PAUSED)) {
      stop_sent = ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) != 0;
    }
    Sleep(100);
  }
}

bool TestService::Start(DWORD timeout_ms) {
  hx::ScopedServiceHandle service = OpenTestService(name_, SERVICE_ALL_ACCESS);
  if (!service || !StartServiceA(service.Get(), 0, nullptr)) return false;
  return WaitForState(SERVICE_RUNNING, timeout_ms);
}

bool TestService::Pause() {
  hx::ScopedServiceHandle service = OpenTestService(name_, SERVICE_ALL_ACCESS);
  SERVICE_STATUS status = {};
  if (!service || !ControlService(service.Get(), SERVICE_CONTROL_PAUSE, &status)) return false;
  return WaitForState(SERVICE_PAUSED, 5000);
}

bool TestService::SetStartType(DWORD start_type) {
  hx::ScopedServiceHandle service = OpenTestService(name_, SERVICE_ALL_ACCESS);
  return service && ChangeServiceConfigA(service.Get(), SERVICE_NO_CHANGE, start_type,
                                         SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr);
}

DWORD TestService::State() const {
  hx::ScopedServiceHandle service = OpenTestService(name_, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status = {};
  if (!service || !QueryServiceStatus(service.Get(), &status)) return 0;
  return status.dwCurrentState;
}

bool TestService::WaitForState(DWORD state, DWORD timeout_ms) const {
  const DWORD begin = GetTickCount();
  for (;;) {
    if (State() == state) return true;
    if (GetTickCount() - begin >= timeout_ms) return false;
    Sleep(50);
  }
}

}  // namespace hxgtest
