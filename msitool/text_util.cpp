#include "text_util.h"

namespace msitool {
namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - (L'a' - L'A')) : c; }

}  // namespace

bool EqualsIgnoreAsciiCase(const wchar_t* a, const wchar_t* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  }
  return *a == *b;
}

bool StartsWithIgnoreAsciiCase(const wchar_t* text, const wchar_t* prefix) {
  for (; *prefix != 0; ++text, ++prefix) {
    if (*text == 0 || FoldAscii(*text) != FoldAscii(*prefix)) return false;
  }
  return true;
}

const wchar_t* FileNamePart(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p != 0; ++p) {
    if (*p == L'\\') name = p + 1;
  }
  return name;
}

}  // namespace msitool
