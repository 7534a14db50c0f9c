// startprobe: a stand-in for a product program that a plug-in starts.
// Arguments: "exit=<code>" (default 0) and "sleep=<milliseconds>" (default 0),
// in any order. Before sleeping it records how it was started into
// "<its own path>.started.txt": its command line, working directory, module
// path and process id, one "name=value" line each.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

unsigned long Argument(const char* commandLine, const char* name, unsigned long fallback) {
  const char* found = strstr(commandLine, name);
  if (found == nullptr) return fallback;
  return strtoul(found + strlen(name), nullptr, 10);
}

void Record() {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH - 1);
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH - 1, directory);
  char recordPath[MAX_PATH + 16] = {};
  snprintf(recordPath, sizeof recordPath, "%s.started.txt", module);
  FILE* file = fopen(recordPath, "wb");
  if (file == nullptr) return;
  fprintf(file, "cmdline=%s\nworkdir=%s\nmodule=%s\npid=%lu\n", GetCommandLineA(), directory,
          module, GetCurrentProcessId());
  fclose(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* commandLine = GetCommandLineA();
  Record();
  Sleep(Argument(commandLine, " sleep=", 0));
  return static_cast<int>(Argument(commandLine, " exit=", 0));
}
