#include "exit_codes.h"

const char* ExitCodeDescription(int exitCode) {
  switch (exitCode) {
    case kExitSuccess:
      return "Success";
    case kExitPostUpdateFailed:
      return "Error occurred during installation";
    case kExitAdminRightsRequired:
      return "Administration rights required: cannot install this hotfix";
    case kExitFileCopyFailed:
      return "Error occurred during installation of files (may be caused by insufficient free "
             "disk space or access privileges";
    case kExitNoCompatibleProduct:
      return "No compatible product for this hotfix installed";
    case kExitInitializationFailure:
      return "Initialization failure: possible mismatch between hotfix package and installed "
             "products, please check the logfile for details";
    case kExitPlatformNotSupported:
      return "This hotfix does not support current platform";
    default:
      return "Unknown error condition";
  }
}
