// Helpers for test programs that run under Wine: where the built binaries are,
// scratch folders that clean up after themselves, and running a child process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hxtest {

// Folder of the running test program, with a trailing backslash. Every
// program and DLL of the build lies there.
std::string BinDir();

// A fresh, empty folder below the temp directory, deleted with everything in
// it when the object goes away.
class TempDir {
 public:
  explicit TempDir(const std::string& tag = "hx");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Path with a trailing backslash.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

void DeleteTree(const std::string& path);
bool WriteTextFile(const std::string& path, const std::string& text);
bool ReadTextFile(const std::string& path, std::string* text);
bool CopyFileTo(const std::string& from, const std::string& to);
bool FileExists(const std::string& path);

struct ProcessResult {
  bool started = false;
  bool timed_out = false;
  DWORD exit_code = 0;
};

// Runs a command line with the given working folder (empty: inherit) and waits
// up to timeout_ms; a process that outlives it is terminated.
ProcessResult RunProcess(const std::string& command_line, const std::string& work_dir = "",
                         DWORD timeout_ms = 120000);

// Same, capturing standard output and error (merged) into *output.
ProcessResult RunProcessCapture(const std::string& command_line, std::string* output,
                                const std::string& work_dir = "", DWORD timeout_ms = 120000);

// Deletes a registry key and all its sub keys; missing keys are fine.
void DeleteRegTree(HKEY root, const std::string& sub_key, REGSAM view = 0);

}  // namespace hxtest
