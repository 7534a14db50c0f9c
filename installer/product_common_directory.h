// The product's common directory: the installation root from
// HKLM\Software\Quillmoor\Tarnvale\InstallationRootDirectory followed by
// "Common\". Computed once per process and kept.
#pragma once

#include <cstddef>

// Empty when the value is missing or unusable.
const wchar_t* ProductCommonDirectory();

// The rule on its own: root as stored (surrounding double quotes removed),
// a backslash added unless it ends with "\" or "/", then "Common\". False
// (out empty) when the result does not fit.
bool FormProductCommonDirectory(wchar_t* out, size_t size, const wchar_t* root);
