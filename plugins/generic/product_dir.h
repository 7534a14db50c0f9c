// The product directory: InstallationDirectory of the product's key, named by
// the section's RegKEy, below the product root key.
#pragma once

#include <cstddef>

namespace hxgeneric {

const size_t kProductDirSize = 260;

// Fills out (kProductDirSize bytes) and returns true; false when RegKEy is
// missing or empty or the key or value cannot be read.
bool FindProductDirectory(const char* ini, const char* section, char* out);

}  // namespace hxgeneric
