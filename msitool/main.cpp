// tv_msi_32_s: hides old add/remove-programs entries of a Windows Installer
// upgrade family, or uninstalls the whole family.
#include <new>

#include "tool_run.h"

int wmain(int argc, wchar_t* argv[]) {
  try {
    return msitool::RunTool(argc, argv);
  } catch (const std::bad_alloc&) {
    // Out of memory inside an operation: like every failure of the
    // operations, it does not change the exit code.
    return msitool::kExitOk;
  }
}
