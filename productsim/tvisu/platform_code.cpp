#include "platform_code.h"

namespace tvisu {

int32_t PlatformCode(uint32_t platform_id, uint32_t major, uint32_t minor,
                     uint32_t product_type) {
  if (platform_id == 1) {
    if (major == 4 && minor == 0) return 103;
    if (major == 4 && minor == 10) return 104;
    if (major == 4 && minor == 90) return 110;
    return 102;
  }
  if (platform_id != 2) return 102;
  struct Row {
    uint32_t major, minor;
    int32_t workstation, server;
  };
  static const Row kRows[] = {
      {3, 50, 106, 106}, {3, 51, 107, 107}, {4, 0, 108, 108},   {5, 0, 109, 109},
      {5, 1, 111, 111},  {5, 2, 112, 112},  {6, 0, 113, 114},   {6, 1, 115, 116},
      {6, 2, 117, 118},  {6, 3, 119, 120},  {10, 0, 121, 122},
  };
  bool workstation = product_type == 1;
  for (const Row& r : kRows)
    if (r.major == major && r.minor == minor) return workstation ? r.workstation : r.server;
  return 0;
}

}  // namespace tvisu
