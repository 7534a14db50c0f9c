#include "wine_test_env.h"

#include <cstdio>
#include <cstdlib>

namespace hxtest {

std::string BinDir() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

TempDir::TempDir(const std::string& tag) {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  // A test that removed the temp folder must not make every later scratch
  // folder loop forever: recreate the base, and give up after a bounded count.
  CreateDirectoryA(base, nullptr);
  static unsigned counter = 0;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 1000) {
      fprintf(stderr, "cannot create a scratch folder below %s (error %lu)\n", base,
              GetLastError());
      abort();
    }
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%s%s_%lu_%u_%lu\\", base, tag.c_str(), GetCurrentProcessId(),
             ++counter, GetTickCount());
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      return;
    }
  }
}

TempDir::~TempDir() { DeleteTree(path_); }

void DeleteTree(const std::string& path) {
  std::string dir = path;
  if (!dir.empty() && dir.back() == '\\') dir.pop_back();
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  size_t n = fwrite(text.data(), 1, text.size(), f);
  fclose(f);
  return n == text.size();
}

bool ReadTextFile(const std::string& path, std::string* text) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  text->clear();
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
  fclose(f);
  return true;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static ProcessResult Run(const std::string& command_line, const std::string& work_dir,
                         DWORD timeout_ms, std::string* output) {
  ProcessResult result;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  if (output) {
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) return result;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = write_end;
    si.hStdError = write_end;
  }
  PROCESS_INFORMATION pi = {};
  std::vector<char> cmd(command_line.begin(), command_line.end());
  cmd.push_back('\0');
  BOOL ok = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, output ? TRUE : FALSE, 0,
                           nullptr, work_dir.empty() ? nullptr : work_dir.c_str(), &si, &pi);
  if (write_end) CloseHandle(write_end);
  if (!ok) {
    if (read_end) CloseHandle(read_end);
    return result;
  }
  result.started = true;
  if (output) {
    output->clear();
    char buf[4096];
    DWORD got = 0;
    // The child closes its end when it exits; reading to the end drains the pipe.
    while (ReadFile(read_end, buf, sizeof buf, &got, nullptr) && got > 0) output->append(buf, got);
    CloseHandle(read_end);
  }
  if (WaitForSingleObject(pi.hProcess, timeout_ms) != WAIT_OBJECT_0) {
    result.timed_out = true;
    TerminateProcess(pi.hProcess, 0xDEAD);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  GetExitCodeProcess(pi.hProcess, &result.exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

ProcessResult RunProcess(const std::string& command_line, const std::string& work_dir,
                         DWORD timeout_ms) {
  return Run(command_line, work_dir, timeout_ms, nullptr);
}

ProcessResult RunProcessCapture(const std::string& command_line, std::string* output,
                                const std::string& work_dir, DWORD timeout_ms) {
  return Run(command_line, work_dir, timeout_ms, output);
}

void DeleteRegTree(HKEY root, const std::string& sub_key, REGSAM view) {
  HKEY key;
  if (RegOpenKeyExA(root, sub_key.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
  for (;;) {
    char name[256];
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteRegTree(root, sub_key + "\\" + name, view);
  }
  RegCloseKey(key);
  RegDeleteKeyExA(root, sub_key.c_str(), view, 0);
}

}  // namespace hxtest
