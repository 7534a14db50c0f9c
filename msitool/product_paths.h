// Paths that Product builds: registry paths of its uninstall key and the
// path of the temporary package copy. Pure text; no buffer is written past
// its size, and a result that does not fit is a failure.
#pragma once

#include <cstddef>

namespace msitool {

// Room of the cached package path, the package name and the copy's path,
// terminator included.
const std::size_t kPackagePathChars = 260;

// Room for an uninstall-key registry path with a value part.
const std::size_t kRegistryPathChars = 300;

// "HKEY_LOCAL_MACHINE\SOFTWARE\...\Uninstall\<code>" followed by suffix, e.g.
// "\\DisplayName" or "\\SystemComponent|1".
bool MakeUninstallRegistryPath(const wchar_t* product_code, const wchar_t* suffix, wchar_t* out,
                               std::size_t out_chars);

// temp_dir (ending with a backslash) followed by package_name.
bool MakePackageCopyPath(const wchar_t* temp_dir, const wchar_t* package_name, wchar_t* out,
                         std::size_t out_chars);

}  // namespace msitool
