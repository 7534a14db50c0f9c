// Times of the installed-hotfix tables: release dates from the package and the
// date text printed to the log.
#pragma once

#include <cstddef>
#include <cstdint>

// "YYYY-MM-DD" (runs of "-" count as one separator) as local midnight, with
// the 64-bit conversion; -1 for dates before 1970 or an empty text.
int64_t ParseReleaseDate(const char* text);

// The time as a 24-character local date text ("Fri Jul 03 14:39:25 2015");
// empty when it cannot be converted. size should be at least 25.
void FormatHotfixTime(int64_t time, char* out, size_t size);

// A table cell holds the low 32 bits; a value read back is unsigned.
inline int32_t TimeToCell(int64_t time) { return static_cast<int32_t>(static_cast<uint32_t>(time)); }
inline int64_t TimeFromCell(int32_t cell) { return static_cast<int64_t>(static_cast<uint32_t>(cell)); }
