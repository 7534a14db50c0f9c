// Release dates of a package: any text converts without faults, and a plain
// "YYYY-MM-DD" in the supported years gives that day's midnight (the run sets
// the time zone to UTC, so local midnight is UTC midnight).
#include "installer/policy/hotfix_time.h"

#include <cstdlib>
#include <ctime>

#include "fuzz_util.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TZ", "UTC", 1);
  tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  uint8_t a = in.Byte(), b = in.Byte(), c = in.Byte(), d = in.Byte();
  std::string text = in.Rest();
  text = text.substr(0, text.find('\0'));
  int64_t t = ParseReleaseDate(text.c_str());
  FUZZ_CHECK(t >= -1);
  ParseReleaseDate(nullptr);

  int year = 1970 + ((a | (b << 8)) % 1030);
  int month = 1 + c % 12;
  int day = 1 + d % 28;
  char plain[32];
  std::snprintf(plain, sizeof(plain), "%04d-%02d-%02d", year, month, day);
  FUZZ_CHECK(ParseReleaseDate(plain) == DaysFromCivil(year, month, day) * 86400);
  std::snprintf(plain, sizeof(plain), "%d--%d-%d", year, month, day);
  FUZZ_CHECK(ParseReleaseDate(plain) == DaysFromCivil(year, month, day) * 86400);

  char formatted[32];
  std::memset(formatted, 0x5A, sizeof(formatted));
  FormatHotfixTime(t, formatted, 25);
  FUZZ_CHECK(std::memchr(formatted, 0, 25) != nullptr);
  for (size_t i = 25; i < sizeof(formatted); ++i) FUZZ_CHECK(formatted[i] == 0x5A);
  return 0;
}
