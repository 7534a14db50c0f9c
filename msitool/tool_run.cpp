#include "tool_run.h"

#include <windows.h>

#include "command_line.h"
#include "console.h"
#include "messages.h"
#include "product_family.h"
#include "text_util.h"
#include "user_info.h"

namespace msitool {
namespace {

const DWORD kModulePathChars = 260;

void PrintBanner() {
  wchar_t text[kOutputBufferChars];
  FormatBanner(text, kOutputBufferChars);
  WriteText(STD_OUTPUT_HANDLE, text);
}

void PrintUsage() {
  wchar_t module_path[kModulePathChars] = {};
  GetModuleFileNameW(nullptr, module_path, kModulePathChars);
  module_path[kModulePathChars - 1] = 0;  // a cut name is not terminated before Vista
  wchar_t text[kOutputBufferChars];
  FormatUsage(text, kOutputBufferChars, FileNamePart(module_path));
  WriteText(STD_OUTPUT_HANDLE, text);
}

}  // namespace

int RunTool(int argc, const wchar_t* const* argv) {
  PrintBanner();
  CommandLine command_line(argc, argv);
  if (!command_line.IsValid() || command_line.help()) PrintUsage();
  if (!command_line.IsValid()) return kExitBadCommandLine;
  if (command_line.help()) return kExitOk;
  {
    UserInfo user;
    if (!user.CheckAdminRights()) return kExitAccessDenied;
  }
  if (command_line.upgrade_code().empty()) return kExitOk;

  ProductFamily family(command_line.upgrade_code().c_str());
  if (command_line.hide_old_entries()) {
    family.HideOldAddRemoves();
  } else if (command_line.uninstall()) {
    family.UninstallAll();
  }
  return kExitOk;
}

}  // namespace msitool
