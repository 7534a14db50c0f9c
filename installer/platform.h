// Windows platform names of the installer and the match against a
// package's platform list.
#pragma once

#include <cstddef>

// Name of a platform code from the install-support library; false when the
// code has no fixed name (the caller forms one with FormPlatformName).
bool FixedPlatformName(int code, bool windows64, char* out, size_t size);

// "nt" (NT family only), major, minor, "s" unless a workstation, "-64" on
// 64-bit Windows: "nt100s-64".
void FormPlatformName(bool ntFamily, unsigned major, unsigned minor, bool workstation,
                      bool windows64, char* out, size_t size);

// True when the platform (name and service pack) is in the comma-separated
// list: an empty list or one beginning with "*" supports every platform;
// entries are a name, a name with "SP<n>", or "SP<low>-<high>" ranges.
bool PlatformSupported(const char* platformName, unsigned servicePack, const char* platforms);
