// Platform code of the install-support library from the Windows version
// (pure logic).
#pragma once

#include <cstdint>

namespace tvisu {

// platform_id: 1 the Windows 9x family, 2 the NT family. product_type: 1
// workstation, 2 domain controller, 3 server.
//  9x: 4.0 103 (w95), 4.10 104 (w98), 4.90 110 (wme), any other 102.
//  NT: 3.50 106, 3.51 107, 4.0 108, 5.0 109, 5.1 111, 5.2 112; from 6.0 on a
//      workstation/server pair: 6.0 113/114, 6.1 115/116, 6.2 117/118,
//      6.3 119/120, 10.0 121/122.
// Any other version answers 0, so that the caller names the platform itself.
int32_t PlatformCode(uint32_t platform_id, uint32_t major, uint32_t minor, uint32_t product_type);

}  // namespace tvisu
