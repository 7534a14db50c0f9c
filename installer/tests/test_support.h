// Shared pieces of the installer's in-process tests: a package folder, a
// scratch registry root, a capturing log sink and a file copy that can be
// told to fail or to defer.
#pragma once

#include <windows.h>

#include <string>

#include "hotfix_installer.h"
#include "wine_test_env.h"

namespace coretest {

// Everything written to CaptureSink since the last ResetCapture().
extern std::string g_captured;
void ResetCapture();
void CaptureSink(const char* format, ...);

// A package folder in a scratch directory.
class PackageDir {
 public:
  PackageDir() : dir_("hxcore") {}
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }
  std::string IniPath() const { return dir_ / "HOTFIX.INI"; }
  void WriteIni(const std::string& text) const;
  // Copies a DLL of the build into the package under the given name.
  void AddBinary(const std::string& builtName, const std::string& name) const;
  // Creates a file with the given content, making its folders.
  void AddFile(const std::string& relativePath, const std::string& content = "x") const;

 private:
  hxtest::TempDir dir_;
};

// A registry key below HKEY_LOCAL_MACHINE that stands in for the product's
// root key; deleted with everything below it at the end.
class ScratchRegistryRoot {
 public:
  ScratchRegistryRoot();
  ~ScratchRegistryRoot();
  const std::string& path() const { return path_; }
  void CreateKey(const std::string& subKey) const;
  void SetString(const std::string& subKey, const std::string& name, const std::string& value) const;
  bool ReadDword(const std::string& subKey, const std::string& name, DWORD* value) const;
  bool ReadString(const std::string& subKey, const std::string& name, std::string* value) const;
  bool KeyExists(const std::string& subKey) const;

 private:
  std::string path_;
};

// File copy stand-in: a source whose name contains "fail" fails with error
// 5, one containing "locked" is "deferred" (status 1, nothing copied), any
// other is copied with CopyFileA.
INT32 FakeCopyFile(const char* source, const char* destination, INT32* status);
// Records the paths handed over for removal at restart (one per line).
extern std::string g_renamedAfterReboot;
void FakeRenameAfterReboot(const char* path);
// Records "<type>:<entry>" per call (one per line); returns 7.
extern std::string g_createdEntries;
INT32 FakeCreateRegistryEntry(const char* entry, INT32 type);
InstallSupportCalls FakeInstallSupport();

// An installer bound to a package folder and a scratch registry root, with
// the fake install support.
void PrepareInstaller(HotfixInstaller* installer, const PackageDir& package,
                      const ScratchRegistryRoot& root);

// The file's text with the line ends of text mode ("\r\n") read as "\n".
std::string ReadFile(const std::string& path);

}  // namespace coretest
