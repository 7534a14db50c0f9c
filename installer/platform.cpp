#include "platform.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct PlatformRow {
  int code;
  const char* name;
  const char* name64;
};

const PlatformRow kPlatforms[] = {
    {102, "unknown", "unknown"}, {103, "w95", "w95"},           {104, "w98", "w98"},
    {105, "unknown", "unknown"}, {106, "nt35", "nt35"},         {107, "nt351", "nt351"},
    {108, "nt40", "nt40"},       {109, "nt50", "nt50"},         {110, "wme", "wme"},
    {111, "nt51", "nt51"},       {112, ".net", ".net-64"},      {113, "nt60", "nt60-64"},
    {114, "nt60s", "nt60s-64"},  {115, "nt61", "nt61-64"},      {116, "nt61s", "nt61s-64"},
    {117, "nt62", "nt62-64"},    {118, "nt62s", "nt62s-64"},    {119, "nt63", "nt63-64"},
    {120, "nt63s", "nt63s-64"},  {121, "nt100", "nt100-64"},    {122, "nt100s", "nt100s-64"},
};

bool IsBlank(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

// Copies [begin, end) without blanks at both ends; false when it does not fit.
bool TrimmedCopy(const char* begin, const char* end, char* out, size_t size) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  size_t length = static_cast<size_t>(end - begin);
  if (length >= size) return false;
  memcpy(out, begin, length);
  out[length] = '\0';
  return true;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  size_t n = strlen(prefix);
  return strlen(text) >= n && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text,
                                             static_cast<int>(n), prefix,
                                             static_cast<int>(n)) == CSTR_EQUAL;
}

// "<low>-<high>" after the prefix (blanks removed): low defaults to 0, high
// to no limit. A rest without "-" does not match.
bool ServicePackInRange(const char* rest, unsigned servicePack) {
  char packed[300];
  size_t n = 0;
  for (const char* p = rest; *p && n + 1 < sizeof(packed); ++p)
    if (!IsBlank(*p)) packed[n++] = *p;
  packed[n] = '\0';
  const char* dash = strchr(packed, '-');
  if (!dash) return false;
  unsigned long low = dash == packed ? 0 : strtoul(packed, nullptr, 10);
  bool bounded = dash[1] != '\0';
  unsigned long high = bounded ? strtoul(dash + 1, nullptr, 10) : 0;
  if (servicePack < low) return false;
  return !bounded || servicePack <= high;
}

}  // namespace

bool FixedPlatformName(int code, bool windows64, char* out, size_t size) {
  for (const PlatformRow& row : kPlatforms) {
    if (row.code == code) {
      snprintf(out, size, "%s", windows64 ? row.name64 : row.name);
      return true;
    }
  }
  return false;
}

void FormPlatformName(bool ntFamily, unsigned major, unsigned minor, bool workstation,
                      bool windows64, char* out, size_t size) {
  snprintf(out, size, "%s%u%u%s%s", ntFamily ? "nt" : "", major, minor, workstation ? "" : "s",
           windows64 ? "-64" : "");
}

bool PlatformSupported(const char* platformName, unsigned servicePack, const char* platforms) {
  if (!platforms || platforms[0] == '\0' || platforms[0] == '*') return true;
  if (!platformName || platformName[0] == '\0') return false;
  char prefix[80];
  char exact[96];
  snprintf(prefix, sizeof(prefix), "%sSP", platformName);
  snprintf(exact, sizeof(exact), "%s%u", prefix, servicePack & 0xFFFu);
  size_t prefixLength = strlen(prefix);

  const char* p = platforms;
  while (*p) {
    while (*p == ',' || IsBlank(*p)) ++p;
    if (!*p) break;
    const char* end = strchr(p, ',');
    if (!end) end = p + strlen(p);
    char entry[300];
    if (TrimmedCopy(p, end, entry, sizeof(entry))) {
      if (lstrcmpiA(entry, platformName) == 0 || lstrcmpiA(entry, exact) == 0) return true;
      if (strlen(entry) > prefixLength && StartsWithNoCase(entry, prefix) &&
          ServicePackInRange(entry + prefixLength, servicePack))
        return true;
    }
    p = end;
  }
  return false;
}
