// The 64-bit time calls of the Windows C runtime, for the native fuzz build.
// The build forces this header into sources that get them from <ctime>.
#pragma once

#include <stdint.h>
#include <time.h>

// The 64-bit C runtime conversion: -1 outside 1970-01-01 to 3000-12-31.
typedef int64_t __time64_t;
static inline __time64_t _mktime64(struct tm* t) {
  time_t r = mktime(t);
  if (r == (time_t)-1 || r < 0 || (int64_t)r > INT64_C(32535215999)) return -1;
  return (__time64_t)r;
}
static inline int _localtime64_s(struct tm* out, const __time64_t* t) {
  time_t v = (time_t)*t;
  return localtime_r(&v, out) ? 0 : 22;
}
