// Pieces shared by the whole-system tests: the simulated product installed
// into a scratch folder, hxupd.exe runs in a package folder, the result
// values in the registry, and snapshots of folders and registry keys that
// show what a run changed.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "wine_test_env.h"

namespace hxsys {

extern const char kRootKey[];   // Software\Quillmoor\Tarnvale
extern const char kSetupKey[];  // ...\TVSetup
extern const char kProductOid[];
extern const char kProductTable[];  // product OID + ".2.9.10"

std::string Quoted(const std::string& text);
// Path without its trailing backslash.
std::string NoSlash(const std::string& path);
bool MakeDirs(const std::string& path);

// Runs tvsim_setup.exe with the given arguments; its exit code (or -1 when it
// could not start). *output receives its printed text when given.
int SetupTool(const std::string& arguments, std::string* output = nullptr);

// The simulated product installed with its root in the given folder, and
// removed again (with the policy store and fault switches) on destruction.
class SimulatedProduct {
 public:
  // with_agent: leave the agent's services running (the installer then talks
  // to the policy through the agent first); otherwise they are stopped.
  bool Install(const std::string& root, bool with_agent);
  ~SimulatedProduct();
  bool installed() const { return installed_; }

 private:
  bool installed_ = false;
};

struct RunOutcome {
  bool started = false;
  bool timed_out = false;
  DWORD exit_code = 0;
  DWORD milliseconds = 0;
};

// Runs <package>\hxupd.exe in its folder.
RunOutcome RunInstaller(const std::string& package_dir, DWORD timeout_ms);

// Exit codes a run may end with, and the description written for each.
bool IsDocumentedExitCode(DWORD code);
std::string DescriptionOf(DWORD code);

// Result values under TVSetup.
void ClearSetupResults();
bool ReadSetupDword(const char* name, DWORD* value);
bool ReadSetupText(const char* name, std::string* value);
bool SetupKeyExists();

// Every entry below a folder: relative path -> "dir" or "size:attributes:write time".
// Relative paths (lower case, no trailing backslash) listed in skip are left
// out together with everything below them.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot SnapshotTree(const std::string& folder, const std::set<std::string>& skip = {});
// Lines "added X", "removed X", "changed X"; empty when equal.
std::string DiffSnapshots(const TreeSnapshot& before, const TreeSnapshot& after);

// Names (lower case) of the direct sub keys of a key; empty when missing.
std::set<std::string> SubKeyNames(HKEY root, const std::string& key);

// The product's installed-hotfix table as the set-up tool prints it.
std::string PolicyTableText(const std::string& oid);

}  // namespace hxsys
