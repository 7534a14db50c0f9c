// Key names of the products below Software\Quillmoor\Tarnvale, by product OID.
#pragma once

#include <string>

namespace tvsim_setup {

// The key name for a product OID (compared without regard to case), or null
// for an OID without one.
const char* ProductKeyName(const std::string& oid);

}  // namespace tvsim_setup
