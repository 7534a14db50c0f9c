// The run of tv_msi_32_s from its arguments to its exit code.
#pragma once

namespace msitool {

enum ExitCode : int {
  kExitOk = 0,
  kExitAccessDenied = 5,  // not an administrator
  kExitBadCommandLine = 160,
};

int RunTool(int argc, const wchar_t* const* argv);

}  // namespace msitool
