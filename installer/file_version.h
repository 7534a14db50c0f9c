// File versions from the fixed version information of a file.
#pragma once

#include <windows.h>

#include <cstddef>

struct FileVersion {
  DWORD high;  // most significant 32 bits (major, minor)
  DWORD low;   // least significant 32 bits (build, revision)
  bool IsZero() const { return high == 0 && low == 0; }
};

// (0, 0) when the file has no version information, it cannot be read, or the
// fixed record lacks its signature: always what the version library
// (GetFileVersionInfo, VerQueryValue of the root block) gives. The fixed
// record is read straight from the file's PE resource directory with a few
// small reads; every case that reading cannot settle goes to the library. A
// version record that does not lie whole in the file counts as unreadable,
// where the library would read outside the file.
FileVersion ReadFileVersion(const char* path);

// The two ways of ReadFileVersion, for tests and comparisons.
enum ImageVersionOutcome {
  kImageVersionFound,  // the version was read from the image
  kImageVersionNone,   // the file certainly has no version record: (0, 0)
  kImageVersionUnsure  // left to the version library
};
ImageVersionOutcome ReadFileVersionFromImage(const char* path, FileVersion* version);
FileVersion ReadFileVersionThroughLibrary(const char* path);

// Reads the fixed record of a VS_VERSIONINFO resource; false (version 0)
// when it is too short or lacks the signature.
bool ParseVersionResource(const void* data, size_t size, FileVersion* version);

// -1, 0 or 1: high parts first, then low parts, unsigned.
inline int CompareFileVersions(const FileVersion& a, const FileVersion& b) {
  if (a.high != b.high) return a.high < b.high ? -1 : 1;
  if (a.low != b.low) return a.low < b.low ? -1 : 1;
  return 0;
}
