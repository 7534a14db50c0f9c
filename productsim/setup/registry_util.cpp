#include "registry_util.h"

#include "shared/scoped_handle.h"

namespace tvsim_setup {

bool SetMachineText(const std::string& key, const std::string& name, const std::string& value) {
  hx::ScopedRegKey k;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, k.Receive(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  if (name.empty() && value.empty()) return true;
  return RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool GetMachineText(const std::string& key, const std::string& name, std::string* value) {
  hx::ScopedRegKey k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    k.Receive()) != ERROR_SUCCESS)
    return false;
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1;
  if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
    return false;
  *value = buffer;
  return true;
}

static bool DeleteTreeInView(const std::string& key, REGSAM view) {
  std::string parent, leaf = key;
  size_t slash = key.find_last_of('\\');
  if (slash != std::string::npos) {
    parent = key.substr(0, slash);
    leaf = key.substr(slash + 1);
  }
  hx::ScopedRegKey p;
  LONG r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent.c_str(), 0,
                         KEY_ALL_ACCESS | view, p.Receive());
  if (r == ERROR_FILE_NOT_FOUND) return true;
  if (r != ERROR_SUCCESS) return false;
  {
    hx::ScopedRegKey k;
    r = RegOpenKeyExA(p.Get(), leaf.c_str(), 0, KEY_ALL_ACCESS | view, k.Receive());
    if (r == ERROR_FILE_NOT_FOUND) return true;
    if (r != ERROR_SUCCESS) return false;
    if (RegDeleteTreeA(k.Get(), nullptr) != ERROR_SUCCESS) return false;
  }
  r = RegDeleteKeyExA(p.Get(), leaf.c_str(), view, 0);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool DeleteMachineTree(const std::string& key) {
  bool a = DeleteTreeInView(key, KEY_WOW64_64KEY);
  bool b = DeleteTreeInView(key, KEY_WOW64_32KEY);
  return a && b;
}

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path;
}

bool CreateFolderPath(const std::string& path) {
  std::string p = WithBackslash(path);
  for (size_t i = 3; i < p.size(); ++i) {
    if (p[i] != '\\' && p[i] != '/') continue;
    std::string part = p.substr(0, i);
    if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

bool FileExistsAt(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DeleteFolderTree(const std::string& path) {
  std::string dir = WithBackslash(path);
  WIN32_FIND_DATAA fd;
  {
    hx::ScopedFindHandle find(FindFirstFileA((dir + "*").c_str(), &fd));
    if (find) {
      do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = dir + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          DeleteFolderTree(full);
        } else {
          SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(find.Get(), &fd));
    }
  }
  dir.pop_back();
  RemoveDirectoryA(dir.c_str());
  return !FileExistsAt(dir);
}

}  // namespace tvsim_setup
