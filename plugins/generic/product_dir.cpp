#include "product_dir.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "plugin_settings.h"
#include "shared/scoped_handle.h"

namespace hxgeneric {

bool FindProductDirectory(const char* ini, const char* section, char* out) {
  char reg_key[kRegKeySize];
  ReadRegKey(ini, section, reg_key, sizeof reg_key);
  if (reg_key[0] == '\0') return false;

  char path[512];
  snprintf(path, sizeof path, "Software\\Quillmoor\\Tarnvale\\%s", reg_key);

  hx::ScopedRegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, key.Receive()) !=
      ERROR_SUCCESS) {
    return false;
  }
  char dir[kProductDirSize];
  DWORD size = sizeof dir;
  // The value's type is not checked: whatever bytes it holds name the folder.
  if (RegQueryValueExA(key.Get(), "InstallationDirectory", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(dir), &size) != ERROR_SUCCESS) {
    return false;
  }
  // Stored data need not carry its terminator; never read past what was read.
  if (size >= sizeof dir) size = sizeof dir - 1;
  dir[size] = '\0';
  memcpy(out, dir, sizeof dir);
  return true;
}

}  // namespace hxgeneric
