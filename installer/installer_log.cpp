#include "installer_log.h"

#include <windows.h>

#include <cstring>

namespace {
const char kOpenCaption[] = "\n======\nLog open: ";
const char kCloseCaption[] = "Log close: ";
}  // namespace

InstallerLog::InstallerLog(const char* logValue) : logValue_(logValue), file_(nullptr) {}

InstallerLog::~InstallerLog() {
  if (file_) fclose(file_);
}

bool InstallerLog::EnsureOpen() {
  if (file_) return true;
  if (!logValue_ || logValue_[0] == '\0') return false;
  char windowsDirectory[MAX_PATH] = "";
  if (strchr(logValue_, '\\') == nullptr) {
    UINT length = GetWindowsDirectoryA(windowsDirectory, sizeof(windowsDirectory));
    if (length == 0 || length >= sizeof(windowsDirectory)) return false;
  }
  char path[MAX_PATH];
  if (!FormLogPath(path, sizeof(path), logValue_, windowsDirectory)) return false;
  file_ = fopen(path, "at");
  if (!file_) return false;
  TimeStamp(kOpenCaption);
  return true;
}

void InstallerLog::Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  PrintV(format, args);
  va_end(args);
}

void InstallerLog::PrintV(const char* format, va_list args) {
  if (!EnsureOpen()) return;
  vfprintf(file_, format, args);
  fflush(file_);
}

void InstallerLog::PrintLineV(const char* format, va_list args) {
  if (!EnsureOpen()) return;
  vfprintf(file_, format, args);
  fputc('\n', file_);
  fflush(file_);
}

void InstallerLog::TimeStamp(const char* caption) {
  if (!file_) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  fprintf(file_, "%s %d-%02d-%02d %02d:%02d:%02d.%03d\n", caption, now.wYear, now.wMonth,
          now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  fflush(file_);
}

void InstallerLog::Close() {
  if (!file_) return;
  TimeStamp(kCloseCaption);
  fclose(file_);
  file_ = nullptr;
}
