#include "version_text.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

bool IsDigit(char c) { return isdigit(static_cast<unsigned char>(c)) != 0; }
const char* SkipBlanks(const char* p) {
  while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

int Sign(long a, long b) { return a > b ? 1 : (a < b ? -1 : 0); }

}  // namespace

VersionNumbers ParseVersionText(const char* text) {
  VersionNumbers v = {0, 0, 0};
  const char* p = SkipBlanks(text ? text : "");
  if (!IsDigit(*p)) return v;
  v.major = strtol(p, nullptr, 10);
  const char* point = strchr(p, '.');
  if (!point) return v;
  p = SkipBlanks(point + 1);
  if (!IsDigit(*p)) return v;
  const char* minorStart = p;
  v.minor = strtol(p, nullptr, 10);
  size_t digits = 0;
  while (IsDigit(minorStart[digits])) ++digits;
  if (digits == 1) v.minor *= 10;
  point = strchr(minorStart, '.');
  if (!point) return v;
  p = SkipBlanks(point + 1);
  if (IsDigit(*p)) v.build = strtol(p, nullptr, 10);
  return v;
}

int CompareVersionTexts(const char* a, const char* b) {
  VersionNumbers x = ParseVersionText(a);
  VersionNumbers y = ParseVersionText(b);
  if (int s = Sign(x.major, y.major)) return s;
  if (int s = Sign(x.minor, y.minor)) return s;
  if (x.build > 0 && y.build > 0) return Sign(x.build, y.build);
  return 0;
}
