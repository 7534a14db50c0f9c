#include "hotfix_time.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// The leading decimal integer of the part starting at *cursor, which then
// moves past the part and the "-" run after it.
int NextPart(const char*& cursor, bool* present) {
  while (*cursor == '-') ++cursor;
  *present = *cursor != '\0';
  // Held to the int range (as a 32-bit long already is) and above
  // INT_MIN + 1900, so that "year - 1900" and "month - 1" cannot overflow
  // where long is 64 bits.
  long value = strtol(cursor, nullptr, 10);
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN + 1900) value = INT_MIN + 1900;
  while (*cursor != '\0' && *cursor != '-') ++cursor;
  return static_cast<int>(value);
}

}  // namespace

int64_t ParseReleaseDate(const char* text) {
  char copy[12];
  snprintf(copy, sizeof(copy), "%s", text ? text : "");
  const char* cursor = copy;
  bool present = false;
  struct tm date;
  memset(&date, 0, sizeof(date));
  int year = NextPart(cursor, &present);
  if (present) date.tm_year = year - 1900;
  int month = NextPart(cursor, &present);
  if (present) date.tm_mon = month - 1;
  int day = NextPart(cursor, &present);
  if (present) date.tm_mday = day;
  date.tm_isdst = 0;
  return static_cast<int64_t>(_mktime64(&date));
}

void FormatHotfixTime(int64_t time, char* out, size_t size) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (size == 0) return;
  out[0] = '\0';
  __time64_t value = static_cast<__time64_t>(time);
  struct tm local;
  if (_localtime64_s(&local, &value) != 0) return;
  if (local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 || local.tm_mon > 11) return;
  snprintf(out, size, "%s %s %02d %02d:%02d:%02d %04d", kDays[local.tm_wday],
           kMonths[local.tm_mon], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
           local.tm_year + 1900);
}
