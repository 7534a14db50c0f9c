// Shared pieces of the starter's tests: the product's installation root in
// the registry, the log folder, package files and the start-up records of
// the startprobe program. Everything a test changes is put back.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace startertest {

// Sets or removes the product's InstallationRootDirectory (machine part of
// the registry) for the life of the object, then restores what was there
// before, deleting the keys it had to create.
class ProductRoot {
 public:
  ProductRoot();
  ~ProductRoot();
  ProductRoot(const ProductRoot&) = delete;
  ProductRoot& operator=(const ProductRoot&) = delete;

  void Set(const std::string& root);
  void RemoveValue();
  void RemoveKey();

 private:
  bool hadVendorKey_ = false;
  bool hadProductKey_ = false;
  bool hadValue_ = false;
  DWORD oldType_ = 0;
  std::vector<BYTE> oldData_;
};

// The starter's log file below the common application-data folder; makes
// sure its parent folder exists so the log can create "logs", starts with
// no file and removes what it created.
class StarterLogFile {
 public:
  StarterLogFile();
  ~StarterLogFile();
  StarterLogFile(const StarterLogFile&) = delete;
  StarterLogFile& operator=(const StarterLogFile&) = delete;

  const std::string& path() const { return path_; }
  std::string Read() const;

 private:
  std::string vendorDir_;
  std::string logsDir_;
  std::string path_;
  bool hadVendorDir_ = false;
  bool hadLogsDir_ = false;
};

using Keys = std::vector<std::pair<std::string, std::string>>;

// Writes a package description with one section holding these keys.
void WriteIni(const std::string& path, const std::string& section, const Keys& keys);

// The "name=value" lines that startprobe records beside itself; empty when
// it never ran.
std::map<std::string, std::string> ReadStartRecord(const std::string& probePath);

// Copies the built startprobe.exe to this path.
bool PlaceProbe(const std::string& path);

// Ends a still running probe by its recorded process id.
void KillProcess(DWORD pid);

// True when the process has ended within the time given.
bool ProcessEnds(DWORD pid, DWORD milliseconds);

bool Contains(const std::string& text, const std::string& part);

}  // namespace startertest
