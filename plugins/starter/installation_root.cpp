#include "installation_root.h"

#include <cstring>

#include "log.h"
#include "shared/scoped_handle.h"
#include "starter.h"

namespace {

const char* const kOperation = "GetInstallationRootPath";
const char* const kProductKey = "SOFTWARE\\Quillmoor\\Tarnvale";
const char* const kRootValue = "InstallationRootDirectory";

}  // namespace

char* InstallationRoot() {
  static char root[kInstallationRootSize] = {};
  return root;
}

int GetInstallationRootPath() {
  char* root = InstallationRoot();
  hx::ScopedRegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    Log::log(kStarterLogLevel, "%s(): RegOpenKeyEx failed\n", kOperation);
    return 0;
  }

  // The value's type is not checked. Registry text need not be stored with
  // its terminator, so a value that fills the whole buffer without one does
  // not fit; anything shorter is terminated here.
  memset(root, 0, kInstallationRootSize);
  DWORD size = kInstallationRootSize;
  LONG status = RegQueryValueExA(key.Get(), kRootValue, nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(root), &size);
  if (status == ERROR_SUCCESS && size == kInstallationRootSize &&
      root[kInstallationRootSize - 1] != '\0') {
    status = ERROR_MORE_DATA;
  }
  if (status != ERROR_SUCCESS) {
    memset(root, 0, kInstallationRootSize);
    Log::log(kStarterLogLevel, "%s(): RegQueryValueEx failed\n", kOperation);
    return 0;
  }

  if (!key.Close()) {
    Log::log(kStarterLogLevel, "%s(): RegCloseKey failed\n", kOperation);
    return 0;
  }
  Log::log(kStarterLogLevel, "%s(): InstallationRootPath: [%s]\n", kOperation, root);
  return 1;
}
