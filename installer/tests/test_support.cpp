#include "test_support.h"

#include <cstdarg>
#include <cstdio>

#include "gtest/gtest.h"

namespace coretest {

std::string g_captured;
std::string g_renamedAfterReboot;
std::string g_createdEntries;

void ResetCapture() { g_captured.clear(); }

void CaptureSink(const char* format, ...) {
  char text[4096];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  g_captured += text;
  g_captured += "\n";
}

void PackageDir::WriteIni(const std::string& text) const {
  ASSERT_TRUE(hxtest::WriteTextFile(IniPath(), text));
}

void PackageDir::AddBinary(const std::string& builtName, const std::string& name) const {
  ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + builtName, dir_ / name)) << builtName;
}

void PackageDir::AddFile(const std::string& relativePath, const std::string& content) const {
  std::string full = dir_ / relativePath;
  for (size_t i = dir_.path().size(); i < full.size(); ++i)
    if (full[i] == '\\') CreateDirectoryA(full.substr(0, i).c_str(), nullptr);
  ASSERT_TRUE(hxtest::WriteTextFile(full, content));
}

ScratchRegistryRoot::ScratchRegistryRoot() {
  static int counter = 0;
  char name[96];
  snprintf(name, sizeof(name), "Software\\HxCoreTest\\R%lu_%d",
           static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
  path_ = name;
  CreateKey("");
}

ScratchRegistryRoot::~ScratchRegistryRoot() {
  hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, path_);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\HxCoreTest");  // only when empty
}

static std::string Join(const std::string& root, const std::string& subKey) {
  return subKey.empty() ? root : root + "\\" + subKey;
}

void ScratchRegistryRoot::CreateKey(const std::string& subKey) const {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, Join(path_, subKey).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegCloseKey(key);
}

void ScratchRegistryRoot::SetString(const std::string& subKey, const std::string& name,
                                    const std::string& value) const {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, Join(path_, subKey).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

bool ScratchRegistryRoot::ReadDword(const std::string& subKey, const std::string& name,
                                    DWORD* value) const {
  DWORD size = sizeof(*value);
  return RegGetValueA(HKEY_LOCAL_MACHINE, Join(path_, subKey).c_str(), name.c_str(),
                      RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}

bool ScratchRegistryRoot::ReadString(const std::string& subKey, const std::string& name,
                                     std::string* value) const {
  char buffer[1024];
  DWORD size = sizeof(buffer);
  if (RegGetValueA(HKEY_LOCAL_MACHINE, Join(path_, subKey).c_str(), name.c_str(), RRF_RT_REG_SZ,
                   nullptr, buffer, &size) != ERROR_SUCCESS)
    return false;
  *value = buffer;
  return true;
}

bool ScratchRegistryRoot::KeyExists(const std::string& subKey) const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Join(path_, subKey).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

INT32 FakeCopyFile(const char* source, const char* destination, INT32* status) {
  std::string name = source;
  if (name.find("fail") != std::string::npos) return ERROR_ACCESS_DENIED;
  if (name.find("locked") != std::string::npos) {
    SetLastError(ERROR_SHARING_VIOLATION);
    *status = 1;
    return 0;
  }
  return CopyFileA(source, destination, FALSE) ? 0 : static_cast<INT32>(GetLastError());
}

void FakeRenameAfterReboot(const char* path) {
  g_renamedAfterReboot += path;
  g_renamedAfterReboot += "\n";
}

INT32 FakeCreateRegistryEntry(const char* entry, INT32 type) {
  char line[512];
  snprintf(line, sizeof(line), "%d:%s\n", static_cast<int>(type), entry);
  g_createdEntries += line;
  return 7;
}

InstallSupportCalls FakeInstallSupport() {
  InstallSupportCalls calls = {FakeCopyFile, FakeRenameAfterReboot, FakeCreateRegistryEntry};
  return calls;
}

void PrepareInstaller(HotfixInstaller* installer, const PackageDir& package,
                      const ScratchRegistryRoot& root) {
  snprintf(installer->productRootKey, sizeof(installer->productRootKey), "%s", root.path().c_str());
  installer->installSupport = FakeInstallSupport();
  g_renamedAfterReboot.clear();
  g_createdEntries.clear();
  std::string program = package / "hxupd.exe";
  installer->ReadPackage(program.c_str());
}

std::string ReadFile(const std::string& path) {
  std::string raw;
  hxtest::ReadTextFile(path, &raw);
  std::string text;
  for (char c : raw)
    if (c != '\r') text += c;
  return text;
}

}  // namespace coretest
