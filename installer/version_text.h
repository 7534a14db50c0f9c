// Product version texts "major.minor.build" and their comparison.
#pragma once

struct VersionNumbers {
  long major;
  long minor;  // a one-digit minor counts in tenths: "8.1" reads as 8.10
  long build;
};

VersionNumbers ParseVersionText(const char* text);

// -1, 0 or 1. Builds count only when both are above 0.
int CompareVersionTexts(const char* a, const char* b);
