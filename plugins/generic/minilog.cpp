#include "minilog.h"

#include <windows.h>

#include <share.h>
#include <stdarg.h>

namespace hxgeneric {

void FormatLocalStamp(char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  int n = snprintf(buffer, size, "%04d-%02d-%02d %02d:%02d:%02d.%03d", now.wYear, now.wMonth,
                   now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  if (n < 0) buffer[0] = '\0';
}

minilog::minilog() : stream_(nullptr) {}

minilog::~minilog() { Close(); }

void minilog::Close() {
  if (!stream_) return;
  WriteStamp("%s <log close\n");
  fflush(stream_);
  fclose(stream_);
  stream_ = nullptr;
}

bool minilog::Open(const char* path) {
  Close();
  if (path) {
    // Text mode turns "\n" into CR LF; others may read and write meanwhile.
    stream_ = _fsopen(path, "a+t", _SH_DENYNO);
    if (stream_) WriteStamp("%s >log open\n");
  }
  return stream_ != nullptr;
}

int minilog::Printf(const char* format, ...) {
  if (!stream_ || !format) return 0;
  WriteStamp("%s ");
  va_list args;
  va_start(args, format);
  int n = vfprintf(stream_, format, args);
  va_end(args);
  fflush(stream_);
  return n < 0 ? 0 : n;
}

int minilog::WriteStamp(const char* format) {
  if (!stream_ || !format) return 0;
  char stamp[32];
  FormatLocalStamp(stamp, sizeof stamp);
  int n = fprintf(stream_, format, stamp);
  fflush(stream_);
  return n < 0 ? 0 : n;
}

}  // namespace hxgeneric
