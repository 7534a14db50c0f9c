// Small wide-text helpers that do not depend on the locale.
#pragma once

#include <cstddef>

namespace msitool {

// Equal when the texts differ at most in the case of the letters A to Z.
bool EqualsIgnoreAsciiCase(const wchar_t* a, const wchar_t* b);

// True when text begins with prefix, the case of A to Z ignored.
bool StartsWithIgnoreAsciiCase(const wchar_t* text, const wchar_t* prefix);

// The part after the last backslash (the whole text when there is none).
const wchar_t* FileNamePart(const wchar_t* path);

}  // namespace msitool
