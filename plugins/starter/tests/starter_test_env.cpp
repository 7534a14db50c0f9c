#include "starter_test_env.h"

#include <shlobj.h>

#include <cstdlib>

#include "wine_test_env.h"

namespace startertest {

namespace {

const char* const kVendorKey = "SOFTWARE\\Quillmoor";
const char* const kProductKey = "SOFTWARE\\Quillmoor\\Tarnvale";
const char* const kRootValue = "InstallationRootDirectory";
const REGSAM kView = KEY_WOW64_64KEY;

bool KeyExists(const char* path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | kView, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

ProductRoot::ProductRoot() {
  hadVendorKey_ = KeyExists(kVendorKey);
  hadProductKey_ = KeyExists(kProductKey);
  HKEY key;
  if (hadProductKey_ &&
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ | kView, &key) == ERROR_SUCCESS) {
    DWORD size = 0;
    if (RegQueryValueExA(key, kRootValue, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
      oldData_.resize(size);
      hadValue_ = RegQueryValueExA(key, kRootValue, nullptr, &oldType_, oldData_.data(),
                                   &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
  }
}

ProductRoot::~ProductRoot() {
  if (!hadProductKey_) {
    hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey, kView);
  } else {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS | kView,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      if (hadValue_) {
        RegSetValueExA(key, kRootValue, 0, oldType_, oldData_.data(),
                       static_cast<DWORD>(oldData_.size()));
      } else {
        RegDeleteValueA(key, kRootValue);
      }
      RegCloseKey(key);
    }
  }
  if (!hadVendorKey_) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kVendorKey, kView, 0);
}

void ProductRoot::Set(const std::string& root) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS | kView,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, kRootValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                 static_cast<DWORD>(root.size() + 1));
  RegCloseKey(key);
}

void ProductRoot::RemoveValue() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_ALL_ACCESS | kView, &key) !=
      ERROR_SUCCESS)
    return;
  RegDeleteValueA(key, kRootValue);
  RegCloseKey(key);
}

void ProductRoot::RemoveKey() { hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey, kView); }

StarterLogFile::StarterLogFile() {
  char appData[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
  vendorDir_ = std::string(appData) + "\\Tarnvale";
  logsDir_ = vendorDir_ + "\\logs";
  path_ = logsDir_ + "\\tvhxstarter.log";
  hadVendorDir_ = hxtest::FileExists(vendorDir_);
  hadLogsDir_ = hxtest::FileExists(logsDir_);
  CreateDirectoryA(vendorDir_.c_str(), nullptr);
  DeleteFileA(path_.c_str());
}

StarterLogFile::~StarterLogFile() {
  DeleteFileA(path_.c_str());
  if (!hadLogsDir_) RemoveDirectoryA(logsDir_.c_str());
  if (!hadVendorDir_) RemoveDirectoryA(vendorDir_.c_str());
}

std::string StarterLogFile::Read() const {
  std::string text;
  hxtest::ReadTextFile(path_, &text);
  return text;
}

void WriteIni(const std::string& path, const std::string& section, const Keys& keys) {
  std::string text = "[General]\r\nName=Test\r\n[" + section + "]\r\n";
  for (const auto& key : keys) text += key.first + "=" + key.second + "\r\n";
  hxtest::WriteTextFile(path, text);
}

std::map<std::string, std::string> ReadStartRecord(const std::string& probePath) {
  std::map<std::string, std::string> record;
  std::string text;
  if (!hxtest::ReadTextFile(probePath + ".started.txt", &text)) return record;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    size_t equals = line.find('=');
    if (equals != std::string::npos) record[line.substr(0, equals)] = line.substr(equals + 1);
    start = end + 1;
  }
  return record;
}

bool PlaceProbe(const std::string& path) {
  return hxtest::CopyFileTo(hxtest::BinDir() + "startprobe.exe", path);
}

void KillProcess(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return;
  TerminateProcess(process, 0xDEAD);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

bool ProcessEnds(DWORD pid, DWORD milliseconds) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return true;
  bool ended = WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace startertest
