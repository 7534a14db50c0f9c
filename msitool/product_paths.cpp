#include "product_paths.h"

#include <windows.h>
#include <strsafe.h>

namespace msitool {

bool MakeUninstallRegistryPath(const wchar_t* product_code, const wchar_t* suffix, wchar_t* out,
                               std::size_t out_chars) {
  return SUCCEEDED(StringCchPrintfW(
      out, out_chars,
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%ls%ls",
      product_code, suffix));
}

bool MakePackageCopyPath(const wchar_t* temp_dir, const wchar_t* package_name, wchar_t* out,
                         std::size_t out_chars) {
  if (package_name[0] == 0) return false;  // the copy would be the folder itself
  return SUCCEEDED(StringCchCopyW(out, out_chars, temp_dir)) &&
         SUCCEEDED(StringCchCatW(out, out_chars, package_name));
}

}  // namespace msitool
