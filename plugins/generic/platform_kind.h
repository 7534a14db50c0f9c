// Which family of Windows runs: services exist only on the NT family.
#pragma once

namespace hxgeneric {

const int kPlatformUnknown = 0;
const int kPlatformWin9x = 1;
const int kPlatformNT = 2;

int GetPlatformKind();

}  // namespace hxgeneric
