#include "messages.h"

#include <windows.h>
#include <strsafe.h>

namespace msitool {
namespace {

const int kVersionMajor = 10;
const int kVersionMinor = 0;
const int kVersionBuild = 110;

// %ls: a wide string under both the Microsoft and the ISO rules of wide
// printf, where a bare %s differs.
const wchar_t kBannerFormat[] = L"\nTarnvale Msi Tool v%d.%d.%d %ls\n";

const wchar_t kUsageFormat[] =
    L"\nUsage: %ls [/?] [/hideoldaddremoves] [/u:UPGRADECODE]\n"
    L"\n"
    L" /?                  : Prints this usage info\n"
    L"\n"
    L" /hideoldaddremoves  : Hides add/remove programs for all the old products\n"
    L"                       that have same UPGRADE code. Versions that are older\n"
    L"                       than the newest installed are hidden.\n"
    L"                       /u:UPGRADECODE is required for this switch.\n"
    L"\n"
    L" /uninstall          : Uninstalls all products with same UPGRADE code.\n"
    L"                       If the msi uninstallation fails it tries to\n"
    L"                       uninstall it by copying the cached msi file to\n"
    L"                       temp and using it for MsiInstallProduct with\n"
    L"                       REMOVE=ALL REBOOT=ReallySuppress.\n"
    L"                       /u:UPGRADECODE is required for this switch.\n"
    L"\n"
    L" [/u:UPGRADECODE]    : msi UpgradeCode.\n"
    L"                       E.g. /u:{3B7D2A95-C14E-4a06-8E5B-D2F9047C6A18}\n";

}  // namespace

const wchar_t kPrivilegeMessage[] =
    L"Initialization Error: Insufficient privileges.\n"
    L"This tool needs to be run with administrative rights.\n"
    L"Please log in as an administrator or use the 'Run as...'\n"
    L"functionality to run the tool with administrative rights.\n";

bool FormatBanner(wchar_t* buffer, std::size_t chars) {
  return SUCCEEDED(StringCchPrintfW(buffer, chars, kBannerFormat, kVersionMajor, kVersionMinor,
                                    kVersionBuild, L""));
}

bool FormatUsage(wchar_t* buffer, std::size_t chars, const wchar_t* program_file_name) {
  return SUCCEEDED(StringCchPrintfW(buffer, chars, kUsageFormat, program_file_name));
}

}  // namespace msitool
