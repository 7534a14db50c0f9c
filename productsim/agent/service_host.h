// Runs a program as a Windows service: the dispatcher, status reports and the
// stop control. The work itself is given as start and stop functions.
#pragma once

#include <functional>
#include <string>

namespace tvsim {

struct ServiceWork {
  // Runs while the service reports start-pending; false ends the service
  // with an error.
  std::function<bool()> start;
  // Runs while the service reports stop-pending.
  std::function<void()> stop;
};

// Blocks until the service has stopped. False when the program was not
// started by the service control manager.
bool RunAsService(const std::wstring& name, ServiceWork work);

}  // namespace tvsim
