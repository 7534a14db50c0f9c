#include "version.h"

#include <windows.h>
#include <strsafe.h>

#include <cwchar>

namespace msitool {
namespace {

// Same size as the version text that Product keeps.
const std::size_t kVersionChars = 100;

}  // namespace

bool ParseVersion(const wchar_t* text, VersionNumbers* out) {
  wchar_t trimmed[kVersionChars] = {};
  while (*text == L' ') ++text;
  StringCchCopyW(trimmed, kVersionChars, text);  // a longer text is cut, still terminated
  std::size_t n = std::wcslen(trimmed);
  while (n > 0 && trimmed[n - 1] == L' ') trimmed[--n] = 0;

  VersionNumbers v = {-1, -1, -1, -1};
  if (swscanf(trimmed, L"%d.%d.%d.%d", &v.major, &v.minor, &v.build, &v.revision) == 4 ||
      swscanf(trimmed, L"%d.%d.%d", &v.major, &v.minor, &v.build) == 3 ||
      swscanf(trimmed, L"%d.%d", &v.major, &v.minor) == 2 ||
      swscanf(trimmed, L"%d", &v.major) == 1) {
    // A longer pattern that failed converted the same leading fields as the
    // one that matched, so the fields after the match are still -1.
    *out = v;
    return true;
  }
  return false;
}

bool IsHigherVersion(const VersionNumbers& a, const VersionNumbers& b) {
  if (a.major != b.major) return a.major > b.major;
  if (a.minor != b.minor) return a.minor > b.minor;
  if (a.build != b.build) return a.build > b.build;
  return a.revision > b.revision;
}

}  // namespace msitool
