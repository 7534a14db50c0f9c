// Real Windows Installer packages of the two test families (built by wixl,
// see packages/CMakeLists.txt): installing, inspecting and removing them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace msitest {

struct TestPackage {
  const char* name;     // file name without .msi
  const wchar_t* code;  // product code
};

extern const wchar_t kHideFamily[];
extern const wchar_t kUninstallFamily[];

// hide_5999_x64, hide_51001_x86, hide_51001_x64, hide_51_x86, then
// un_10_x64, un_30_x64, un_20_x86.
extern const TestPackage kPackages[7];
const TestPackage& Package(const char* name);

std::string PackagePath(const TestPackage& p);
// msiexec /qn /i; true when it exited with 0.
bool Install(const std::string& msi_path);
bool IsInstalled(const TestPackage& p);
// Product codes of a family in Windows Installer's order.
std::vector<std::wstring> EnumerateFamily(const wchar_t* upgrade_code);
std::wstring LocalPackage(const TestPackage& p);
// Removes every test package still installed, restoring a lost cached
// package first.
void RemoveAllTestPackages();

// Runs tv_msi_32_s.exe with the arguments; returns its exit code (or -1).
DWORD RunTool(const std::string& args);

// Uninstall key of a product in one registry view (KEY_WOW64_32KEY or
// KEY_WOW64_64KEY).
bool UninstallKeyExists(const TestPackage& p, REGSAM view);
bool ReadUninstallDword(const TestPackage& p, REGSAM view, const wchar_t* name, DWORD* value);
bool DeleteUninstallValue(const TestPackage& p, REGSAM view, const wchar_t* name);

// Versions appended by the packages' removal action, one a line.
std::vector<std::string> RemovalLog();
void ClearRemovalLog();

}  // namespace msitest
