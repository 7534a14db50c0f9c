// The starter's settings from its section of the package description. They
// live as process-wide data for as long as the DLL is loaded.
#pragma once

#include <windows.h>

struct StarterSettings {
  static const DWORD kTextSize = 259;
  static const DWORD kCommandLineSize = 4095;
  static const int kDefaultTimeout = 120;

  char files[kTextSize];
  char path[kTextSize];
  char commandLine[kCommandLineSize];
  int timeout;
  bool terminate;
  bool deletePEfile;
};

// The values a freshly loaded DLL holds.
StarterSettings DefaultSettings();

// Integer flags follow the profile-file rule for integers; only the value 1
// sets one (so "yes", "true" and 2 leave it false).
inline bool FlagFromProfileInt(int value) { return value == 1; }

StarterSettings& Settings();
