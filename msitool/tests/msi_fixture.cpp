#include "msi_fixture.h"

#include <gtest/gtest.h>
#include <msi.h>

#include <sstream>

#include "wine_test_env.h"

namespace msitest {

const wchar_t kHideFamily[] = L"{5E2C7A10-3B1D-4C0E-9F00-00000000A001}";
const wchar_t kUninstallFamily[] = L"{5E2C7A10-3B1D-4C0E-9F00-00000000A002}";

const TestPackage kPackages[7] = {
    {"hide_5999_x64", L"{11111111-0000-4000-8000-00000000A001}"},
    {"hide_51001_x86", L"{22222222-0000-4000-8000-00000000A001}"},
    {"hide_51001_x64", L"{33333333-0000-4000-8000-00000000A001}"},
    {"hide_51_x86", L"{44444444-0000-4000-8000-00000000A001}"},
    {"un_10_x64", L"{11111111-0000-4000-8000-00000000A002}"},
    {"un_30_x64", L"{22222222-0000-4000-8000-00000000A002}"},
    {"un_20_x86", L"{33333333-0000-4000-8000-00000000A002}"},
};

namespace {

const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::string TempPath() {
  char buf[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, buf);
  return buf;
}

std::string RemovalLogPath() { return TempPath() + "hx_msitool_order.txt"; }

const char kMsiexec[] = "C:\\windows\\system32\\msiexec.exe";

}  // namespace

const TestPackage& Package(const char* name) {
  for (const TestPackage& p : kPackages) {
    if (std::string(p.name) == name) return p;
  }
  ADD_FAILURE_AT(__FILE__, __LINE__);
  return kPackages[0];
}

std::string PackagePath(const TestPackage& p) {
  return hxtest::BinDir() + "msitool_packages\\" + p.name + ".msi";
}

bool Install(const std::string& msi_path) {
  hxtest::ProcessResult r =
      hxtest::RunProcess(std::string(kMsiexec) + " /qn /i \"" + msi_path + "\"");
  return r.started && !r.timed_out && r.exit_code == 0;
}

bool IsInstalled(const TestPackage& p) {
  return MsiQueryProductStateW(p.code) == INSTALLSTATE_DEFAULT;
}

std::vector<std::wstring> EnumerateFamily(const wchar_t* upgrade_code) {
  std::vector<std::wstring> codes;
  for (DWORD i = 0;; ++i) {
    wchar_t code[39] = {};
    if (MsiEnumRelatedProductsW(upgrade_code, 0, i, code) != ERROR_SUCCESS) break;
    codes.push_back(code);
  }
  return codes;
}

std::wstring LocalPackage(const TestPackage& p) {
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (MsiGetProductInfoW(p.code, INSTALLPROPERTY_LOCALPACKAGE, path, &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return path;
}

void RemoveAllTestPackages() {
  for (const TestPackage& p : kPackages) {
    if (!IsInstalled(p)) continue;
    const std::string cached = Narrow(LocalPackage(p));
    if (!cached.empty() && !hxtest::FileExists(cached)) {
      hxtest::CopyFileTo(PackagePath(p), cached);
    }
    hxtest::RunProcess(std::string(kMsiexec) + " /qn /x " + Narrow(p.code));
    if (IsInstalled(p)) {
      // The source may be gone too; remove from the package file itself.
      hxtest::RunProcess(std::string(kMsiexec) + " /qn /x \"" + PackagePath(p) + "\"");
    }
    EXPECT_FALSE(IsInstalled(p)) << p.name << " could not be removed";
  }
}

DWORD RunTool(const std::string& args) {
  std::string output;
  hxtest::ProcessResult r = hxtest::RunProcessCapture(
      "\"" + hxtest::BinDir() + "tv_msi_32_s.exe\" " + args, &output, "", 300000);
  if (!r.started || r.timed_out) return static_cast<DWORD>(-1);
  return r.exit_code;
}

bool UninstallKeyExists(const TestPackage& p, REGSAM view) {
  HKEY key = nullptr;
  std::wstring sub = std::wstring(kUninstallKey) + p.code;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

bool ReadUninstallDword(const TestPackage& p, REGSAM view, const wchar_t* name, DWORD* value) {
  HKEY key = nullptr;
  std::wstring sub = std::wstring(kUninstallKey) + p.code;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD size = sizeof(*value);
  LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_DWORD;
}

bool DeleteUninstallValue(const TestPackage& p, REGSAM view, const wchar_t* name) {
  HKEY key = nullptr;
  std::wstring sub = std::wstring(kUninstallKey) + p.code;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_ALL_ACCESS | view, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  LONG rc = RegDeleteValueW(key, name);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

std::vector<std::string> RemovalLog() {
  std::string text;
  std::vector<std::string> lines;
  if (!hxtest::ReadTextFile(RemovalLogPath(), &text)) return lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void ClearRemovalLog() { DeleteFileA(RemovalLogPath().c_str()); }

}  // namespace msitest
