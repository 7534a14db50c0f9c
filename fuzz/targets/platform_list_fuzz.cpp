// Platform lists of a package and the platform names of the installer: the
// match never reads or writes out of bounds, a name always matches a list of
// just itself, and formed names never run past their buffer.
#include "installer/platform.h"

#include <cctype>

#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  uint8_t flags = in.Byte();
  unsigned servicePack = static_cast<unsigned>(in.Byte()) | (static_cast<unsigned>(in.Byte()) << 8);
  if (flags & 0x80) servicePack |= 0xFFFF0000u;
  std::string name = in.Piece();
  std::string list = in.Rest();

  bool supported = PlatformSupported(name.c_str(), servicePack, list.c_str());
  if (list.empty() || list[0] == '*') FUZZ_CHECK(supported);
  PlatformSupported(nullptr, servicePack, list.c_str());
  PlatformSupported(name.c_str(), servicePack, nullptr);

  // A plain name (no separators, no blanks, fits an entry) matches itself.
  bool plain = !name.empty() && name.size() < 300;
  for (char c : name)
    if (c == ',' || std::isspace(static_cast<unsigned char>(c))) plain = false;
  if (plain) FUZZ_CHECK(PlatformSupported(name.c_str(), servicePack, name.c_str()));

  size_t outSize = flags & 0x1F;
  fuzz::GuardedBuffer out(outSize);
  FormPlatformName(flags & 1, servicePack & 0xFF, servicePack >> 8, flags & 2, flags & 4, out.data(),
                   out.size());
  FUZZ_CHECK(out.GuardIntact());
  if (outSize > 0) FUZZ_CHECK(out.Terminated());
  fuzz::GuardedBuffer fixed(outSize);
  FixedPlatformName(100 + (flags & 0x1F), flags & 0x20, fixed.data(), fixed.size());
  FUZZ_CHECK(fixed.GuardIntact());
  return 0;
}
