// Product version text "major.minor.build.revision" as four numbers.
#pragma once

namespace msitool {

struct VersionNumbers {
  int major;
  int minor;
  int build;
  int revision;
};

// Parses a version text after removing blanks from both ends: four, three,
// two or one dotted numbers; missing parts become -1 (so "5.1" orders below
// "5.1.0.0"). Text after the last number that fits is ignored ("1.2.3.4.5"
// gives 1.2.3.4). Returns false and leaves *out alone when nothing parses.
bool ParseVersion(const wchar_t* text, VersionNumbers* out);

// True when a is higher than b, comparing major, minor, build and revision
// in turn as signed numbers.
bool IsHigherVersion(const VersionNumbers& a, const VersionNumbers& b);

}  // namespace msitool
