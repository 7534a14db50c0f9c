// The calls the installer makes into the product's install-support library
// (tvisu.dll), gathered in a table so the file and registry steps can run
// against other implementations in tests.
#pragma once

#include <windows.h>

struct InstallSupportCalls {
  // Copies source over destination. 0: copied, or the replacement is
  // scheduled; *status is then 1 when it waits for the next restart.
  // Anything else is an error code.
  INT32 (*copyFile)(const char* source, const char* destination, INT32* status);
  // Asks for a renamed file to be removed at the next restart.
  void (*renameAfterReboot)(const char* path);
  // Creates a registry entry described by the package; the result is only logged.
  INT32 (*createRegistryEntry)(const char* entry, INT32 type);
};

// The table bound to tvisu.dll.
const InstallSupportCalls& ProductInstallSupport();
// Calls that fail with ERROR_MOD_NOT_FOUND without touching tvisu.dll, for a
// run in which the library could not be found at start-up.
const InstallSupportCalls& UnavailableInstallSupport();
