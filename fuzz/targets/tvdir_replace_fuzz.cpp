// Token replacement (%TVDIR% in custom settings, and any token): the output
// never passes its buffer, and it is the head of the uncut result, all of it
// with the same count when that result fits.
#include "installer/custom_settings_text.h"

#include <cctype>

#include "fuzz_util.h"

namespace {

// The uncut result, computed the long way: left to right, replaced pieces are
// not looked at again.
std::string Replaced(const std::string& text, const std::string& token, const std::string& repl,
                     bool ignoreCase, int* count) {
  std::string out;
  *count = 0;
  size_t i = 0;
  while (i < text.size()) {
    bool match = !token.empty() && text.size() - i >= token.size();
    for (size_t k = 0; match && k < token.size(); ++k) {
      unsigned char a = static_cast<unsigned char>(text[i + k]);
      unsigned char b = static_cast<unsigned char>(token[k]);
      match = ignoreCase ? std::tolower(a) == std::tolower(b) : a == b;
    }
    if (match) {
      out += repl;
      ++*count;
      i += token.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  uint8_t flags = in.Byte();
  size_t outSize = in.Byte();
  bool ignoreCase = flags & 1;
  // Mostly the installer's own token; sometimes one from the input.
  std::string token = (flags & 2) ? in.Piece() : std::string("%TVDIR%");
  std::string repl = in.Piece();
  std::string text = in.Piece();

  fuzz::GuardedBuffer out(outSize);
  int count = ReplaceAll(out.data(), out.size(), text.c_str(), token.c_str(), repl.c_str(), ignoreCase);
  FUZZ_CHECK(out.GuardIntact());
  if (outSize == 0) {
    FUZZ_CHECK(count == 0);
    return 0;
  }
  FUZZ_CHECK(out.Terminated());
  int fullCount = 0;
  std::string full = Replaced(text, token, repl, ignoreCase, &fullCount);
  std::string got = out.data();
  FUZZ_CHECK(full.compare(0, got.size(), got) == 0);
  FUZZ_CHECK(count >= 0 && count <= fullCount);
  if (full.size() < outSize) {
    FUZZ_CHECK(got == full);
    FUZZ_CHECK(count == fullCount);
  }
  return 0;
}
