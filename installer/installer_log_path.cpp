#include <cstdio>
#include <cstring>

#include "installer_log.h"

bool FormLogPath(char* out, size_t size, const char* logValue, const char* windowsDirectory) {
  if (size == 0) return false;
  out[0] = '\0';
  int written;
  if (strchr(logValue, '\\') != nullptr)
    written = snprintf(out, size, "%s", logValue);
  else
    written = snprintf(out, size, "%s\\%s", windowsDirectory, logValue);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    out[0] = '\0';
    return false;
  }
  return true;
}
