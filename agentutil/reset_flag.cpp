#include "agentutil/reset_flag.h"

#include <windows.h>

#include "shared/scoped_handle.h"

namespace agentutil {

const char kResetFlagKey[] = "SOFTWARE\\Quillmoor\\Tarnvale\\Harrowdene Support";
const char kResetFlagValue[] = "ResetCFTable";

long SetResetCFTableFlag() {
  hx::ScopedRegKey key;
  LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kResetFlagKey, 0, NULL, 0, KEY_SET_VALUE, NULL,
                                key.Receive(), NULL);
  if (status != ERROR_SUCCESS) return status;
  const DWORD one = 1;
  return RegSetValueExA(key.Get(), kResetFlagValue, 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&one), sizeof(one));
}

}  // namespace agentutil
