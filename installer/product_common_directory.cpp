#include "product_common_directory.h"

#include <windows.h>

#include "shared/scoped_handle.h"

namespace {

// At most 129 characters of the root, read as stored (not expanded).
const DWORD kRootChars = 129;

void Compute(wchar_t* out, size_t size) {
  out[0] = L'\0';
  hx::ScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quillmoor\\Tarnvale", 0, KEY_QUERY_VALUE,
                    key.Receive()) != ERROR_SUCCESS)
    return;
  wchar_t root[kRootChars + 1] = L"";
  DWORD bytes = kRootChars * sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key.Get(), L"InstallationRootDirectory", nullptr, &type,
                       reinterpret_cast<BYTE*>(root), &bytes) != ERROR_SUCCESS)
    return;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return;
  root[bytes / sizeof(wchar_t) <= kRootChars ? bytes / sizeof(wchar_t) : kRootChars] = L'\0';
  FormProductCommonDirectory(out, size, root);
}

}  // namespace

const wchar_t* ProductCommonDirectory() {
  static wchar_t directory[MAX_PATH];
  static bool computed = false;
  if (!computed) {
    Compute(directory, MAX_PATH);
    computed = true;
  }
  return directory;
}
