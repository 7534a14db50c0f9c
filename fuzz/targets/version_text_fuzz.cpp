// Version texts of the installer: parsing never reads past the text, and the
// comparison is reflexive and antisymmetric and agrees with the parsed numbers.
#include "installer/version_text.h"

#include "fuzz_util.h"

namespace {

int Sign(long a, long b) { return a > b ? 1 : (a < b ? -1 : 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  std::string a = in.Piece();
  std::string b = in.Rest();
  int ab = CompareVersionTexts(a.c_str(), b.c_str());
  int ba = CompareVersionTexts(b.c_str(), a.c_str());
  FUZZ_CHECK(ab >= -1 && ab <= 1);
  FUZZ_CHECK(ab == -ba);
  FUZZ_CHECK(CompareVersionTexts(a.c_str(), a.c_str()) == 0);

  VersionNumbers x = ParseVersionText(a.c_str());
  VersionNumbers y = ParseVersionText(b.c_str());
  int expected = Sign(x.major, y.major);
  if (expected == 0) expected = Sign(x.minor, y.minor);
  if (expected == 0 && x.build > 0 && y.build > 0) expected = Sign(x.build, y.build);
  FUZZ_CHECK(ab == expected);
  FUZZ_CHECK(x.major >= 0 && x.minor >= 0 && x.build >= 0);
  ParseVersionText(nullptr);
  return 0;
}
