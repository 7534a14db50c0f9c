#include "productsim/tvma/broker_names.h"

#include <windows.h>

namespace tvsim {

std::wstring BrokerPipeName() {
  wchar_t buffer[256];
  DWORD n = GetEnvironmentVariableW(kBrokerPipeVariable, buffer, 256);
  if (n > 0 && n < 256) return std::wstring(buffer, n);
  return kDefaultBrokerPipe;
}

}  // namespace tvsim
