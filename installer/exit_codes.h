// Exit codes of the installer and the descriptions written for the program
// that started it.
#pragma once

enum HxExitCode {
  kExitSuccess = 0,
  kExitPostUpdateFailed = 1,
  kExitAdminRightsRequired = 2,
  kExitFileCopyFailed = 3,
  kExitNoCompatibleProduct = 4,
  kExitInitializationFailure = 5,
  kExitPlatformNotSupported = 6,
};

// Description of an exit code; "Unknown error condition" for a code without one.
const char* ExitCodeDescription(int exitCode);
