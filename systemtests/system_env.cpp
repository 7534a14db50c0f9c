#include "system_env.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace hxsys {

const char kRootKey[] = "Software\\Quillmoor\\Tarnvale";
const char kSetupKey[] = "Software\\Quillmoor\\Tarnvale\\TVSetup";
const char kProductOid[] = "1.3.6.1.4.1.5839.11";
const char kProductTable[] = "1.3.6.1.4.1.5839.11.2.9.10";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string NoSlash(const std::string& path) {
  if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
    return path.substr(0, path.size() - 1);
  return path;
}

bool MakeDirs(const std::string& path) {
  std::string p = NoSlash(path);
  if (p.empty()) return false;
  DWORD attributes = GetFileAttributesA(p.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  size_t slash = p.find_last_of("\\/");
  if (slash != std::string::npos && slash > 2 && !MakeDirs(p.substr(0, slash))) return false;
  return CreateDirectoryA(p.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

int SetupTool(const std::string& arguments, std::string* output) {
  std::string command = Quoted(hxtest::BinDir() + "tvsim_setup.exe") + " " + arguments;
  std::string text;
  hxtest::ProcessResult r = hxtest::RunProcessCapture(command, &text, "", 120000);
  if (output) *output = text;
  if (!r.started || r.timed_out) return -1;
  return static_cast<int>(r.exit_code);
}

bool SimulatedProduct::Install(const std::string& root, bool with_agent) {
  SetupTool("uninstall");  // whatever an aborted earlier run left
  std::string text;
  // Right after a test has killed the agent's process, starting the tool has
  // been seen to fail once under Wine (the tool never ran); a fresh attempt a
  // moment later installs normally. Failures of the tool itself are not retried.
  int rc = -1;
  for (int attempt = 0; attempt < 3 && rc == -1; ++attempt) {
    if (attempt > 0) {
      std::fprintf(stderr, "tvsim_setup install could not run (error %lu), trying again\n",
                   GetLastError());
      Sleep(2000);
    }
    rc = SetupTool("install --root " + Quoted(NoSlash(root)), &text);
  }
  if (rc != 0) {
    std::fprintf(stderr, "tvsim_setup install: %d\n%s\n", rc, text.c_str());
    return false;
  }
  installed_ = true;
  SetupTool("fault clear");
  if (!with_agent) SetupTool("services stop");
  return true;
}

SimulatedProduct::~SimulatedProduct() {
  if (!installed_) return;
  SetupTool("fault clear");
  SetupTool("uninstall");
}

RunOutcome RunInstaller(const std::string& package_dir, DWORD timeout_ms) {
  RunOutcome outcome;
  DWORD start = GetTickCount();
  hxtest::ProcessResult r =
      hxtest::RunProcess(Quoted(package_dir + "hxupd.exe"), package_dir, timeout_ms);
  outcome.milliseconds = GetTickCount() - start;
  outcome.started = r.started;
  outcome.timed_out = r.timed_out;
  outcome.exit_code = r.exit_code;
  return outcome;
}

bool IsDocumentedExitCode(DWORD code) { return code == 0 || code == 1 || code == 3 || code == 5; }

std::string DescriptionOf(DWORD code) {
  switch (code) {
    case 0: return "Success";
    case 1: return "Error occurred during installation";
    case 2: return "Administration rights required: cannot install this hotfix";
    case 3:
      return "Error occurred during installation of files (may be caused by insufficient free "
             "disk space or access privileges";
    case 4: return "No compatible product for this hotfix installed";
    case 5:
      return "Initialization failure: possible mismatch between hotfix package and installed "
             "products, please check the logfile for details";
    case 6: return "This hotfix does not support current platform";
    default: return "Unknown error condition";
  }
}

void ClearSetupResults() {
  for (const char* name : {"RESULT_CODE", "DESCRIPTION_RESULT_SETUP", "TVRUNNER_REQUEST_REBOOT"})
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSetupKey, name);
}

bool ReadSetupDword(const char* name, DWORD* value) {
  DWORD size = sizeof(*value);
  return RegGetValueA(HKEY_LOCAL_MACHINE, kSetupKey, name, RRF_RT_REG_DWORD, nullptr, value,
                      &size) == ERROR_SUCCESS;
}

bool ReadSetupText(const char* name, std::string* value) {
  char text[1024] = "";
  DWORD size = sizeof(text);
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kSetupKey, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS)
    return false;
  *value = text;
  return true;
}

bool SetupKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSetupKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

void Walk(const std::string& folder, const std::string& relative, const std::set<std::string>& skip,
          TreeSnapshot* out) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + relative + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = relative + name;
    std::string key = Lower(path);
    if (skip.count(key)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*out)[key] = "dir";
      Walk(folder, path + "\\", skip, out);
    } else {
      ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      ULONGLONG time = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                       data.ftLastWriteTime.dwLowDateTime;
      (*out)[key] = std::to_string(size) + ":" + std::to_string(data.dwFileAttributes) + ":" +
                    std::to_string(time);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

}  // namespace

TreeSnapshot SnapshotTree(const std::string& folder, const std::set<std::string>& skip) {
  TreeSnapshot out;
  std::string f = NoSlash(folder) + "\\";
  Walk(f, "", skip, &out);
  return out;
}

std::string DiffSnapshots(const TreeSnapshot& before, const TreeSnapshot& after) {
  std::string diff;
  for (const auto& entry : after) {
    auto it = before.find(entry.first);
    if (it == before.end()) diff += "added " + entry.first + "\n";
    else if (it->second != entry.second) diff += "changed " + entry.first + "\n";
  }
  for (const auto& entry : before)
    if (!after.count(entry.first)) diff += "removed " + entry.first + "\n";
  return diff;
}

std::set<std::string> SubKeyNames(HKEY root, const std::string& key) {
  std::set<std::string> names;
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof(name);
    if (RegEnumKeyExA(handle, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.insert(Lower(name));
  }
  RegCloseKey(handle);
  return names;
}

std::string PolicyTableText(const std::string& oid) {
  std::string text;
  SetupTool("get " + oid, &text);
  return text;
}

}  // namespace hxsys
