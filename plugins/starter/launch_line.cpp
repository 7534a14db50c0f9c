#include "launch_line.h"

#include <cstdio>
#include <cstring>

bool FormApplicationPath(const char* root, const char* path, char (&out)[MAX_PATH]) {
  int needed = snprintf(out, MAX_PATH, "%s\\%s", root, path);
  if (needed < 0 || needed >= MAX_PATH) {
    out[0] = '\0';
    return false;
  }
  return true;
}

std::string FormCommandLine(const char* applicationPath, const char* arguments) {
  std::string line;
  line.reserve(strlen(applicationPath) + strlen(arguments) + 3);
  line += '"';
  line += applicationPath;
  line += '"';
  if (arguments[0] != '\0') {
    line += ' ';
    line += arguments;
  }
  return line;
}

void CutAfterLastBackslash(char* path) {
  char* last = strrchr(path, '\\');
  if (last != nullptr) last[1] = '\0';
}
