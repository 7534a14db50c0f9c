#include "agent_service.h"

#include <windows.h>

#include "shared/scoped_handle.h"

bool AgentServiceRuns() {
  // Services exist only on the NT family.
  if (GetVersion() & 0x80000000u) return false;
  hx::ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, GENERIC_READ));
  if (!manager) return false;
  hx::ScopedServiceHandle service(
      OpenServiceA(manager.Get(), HX_AGENT_SERVICE_NAME, SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS status;
  if (!QueryServiceStatus(service.Get(), &status)) return false;
  return status.dwCurrentState == SERVICE_START_PENDING ||
         status.dwCurrentState == SERVICE_RUNNING ||
         status.dwCurrentState == SERVICE_CONTINUE_PENDING;
}
