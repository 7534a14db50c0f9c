#include "agentutil/broker_ready.h"

#include <windows.h>

#include "shared/scoped_handle.h"

namespace agentutil {

bool IsBrokerReady() {
  hx::ScopedKernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, "Global\\TVMB RPC ready"));
  return mutex.IsValid();
}

}  // namespace agentutil
