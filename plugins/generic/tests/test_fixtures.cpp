#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>

namespace hxgtest {

namespace {
const char kProductRoot[] = "Software\\Quillmoor\\Tarnvale";
}

PackageIni::PackageIni() : dir_("hxgini"), path_(dir_ / "HOTFIX.INI") {}

void PackageIni::Set(const std::string& section, const std::string& key,
                     const std::string& value) {
  ASSERT_TRUE(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                         path_.c_str()));
}

ProductKey::ProductKey(const std::string& installation_directory) {
  static unsigned counter = 0;
  char name[64];
  snprintf(name, sizeof name, "HxGenericTest_%lu_%u", GetCurrentProcessId(), ++counter);
  name_ = name;
  HKEY root = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &root, &disposition) == ERROR_SUCCESS) {
    created_root_ = disposition == REG_CREATED_NEW_KEY;
    RegCloseKey(root);
  }
  HKEY key = nullptr;
  const std::string path = std::string(kProductRoot) + "\\" + name_;
  EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExA(key, "InstallationDirectory", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(installation_directory.c_str()),
                 static_cast<DWORD>(installation_directory.size() + 1));
  RegCloseKey(key);
}

ProductKey::~ProductKey() {
  hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, std::string(kProductRoot) + "\\" + name_);
  if (created_root_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductRoot);  // fails if not empty
}

RedirectedTemp::RedirectedTemp() : dir_("hxgtmp") {
  char old[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA("TMP", old, sizeof old);
  had_tmp_ = n > 0 && n < sizeof old;
  if (had_tmp_) old_tmp_ = old;
  SetEnvironmentVariableA("TMP", dir_.path().c_str());
}

RedirectedTemp::~RedirectedTemp() {
  SetEnvironmentVariableA("TMP", had_tmp_ ? old_tmp_.c_str() : nullptr);
}

std::vector<std::string> ReadCrLfLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string text;
  if (!hxtest::ReadTextFile(path, &text)) return lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      ADD_FAILURE() << "line without CR LF end: " << text.substr(pos);
      lines.push_back(text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

std::string AfterStamp(const std::string& line) {
  static const std::regex stamp(
      "^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})\\.(\\d{3}) ");
  std::smatch m;
  if (!std::regex_search(line, m, stamp)) {
    ADD_FAILURE() << "no time stamp: " << line;
    return "";
  }
  SYSTEMTIME then = {};
  then.wYear = static_cast<WORD>(std::stoi(m[1]));
  then.wMonth = static_cast<WORD>(std::stoi(m[2]));
  then.wDay = static_cast<WORD>(std::stoi(m[3]));
  then.wHour = static_cast<WORD>(std::stoi(m[4]));
  then.wMinute = static_cast<WORD>(std::stoi(m[5]));
  then.wSecond = static_cast<WORD>(std::stoi(m[6]));
  then.wMilliseconds = static_cast<WORD>(std::stoi(m[7]));
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME then_ft, now_ft;
  if (!SystemTimeToFileTime(&then, &then_ft) || !SystemTimeToFileTime(&now, &now_ft)) {
    ADD_FAILURE() << "impossible time stamp: " << line;
    return "";
  }
  ULARGE_INTEGER a, b;
  a.LowPart = then_ft.dwLowDateTime;
  a.HighPart = then_ft.dwHighDateTime;
  b.LowPart = now_ft.dwLowDateTime;
  b.HighPart = now_ft.dwHighDateTime;
  // Local time, taken during this test: not in the future, at most minutes ago.
  EXPECT_LE(a.QuadPart, b.QuadPart) << line;
  EXPECT_LT(b.QuadPart - a.QuadPart, 10ull * 60 * 10000000) << "stamp not local time: " << line;
  return line.substr(m[0].length());
}

FileTail::FileTail(const std::string& path) : path_(path) {
  existed_ = hxtest::ReadTextFile(path_, &before_);
}

FileTail::~FileTail() {
  if (existed_) {
    hxtest::WriteTextFile(path_, before_);
  } else {
    DeleteFileA(path_.c_str());
  }
}

std::vector<std::string> FileTail::Added() const {
  std::string now;
  std::vector<std::string> lines;
  if (!hxtest::ReadTextFile(path_, &now) || now.size() < before_.size()) return lines;
  hxtest::TempDir scratch("hxgtail");
  hxtest::WriteTextFile(scratch / "tail.txt", now.substr(before_.size()));
  return ReadCrLfLines(scratch / "tail.txt");
}

}  // namespace hxgtest
