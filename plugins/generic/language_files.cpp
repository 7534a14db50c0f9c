#include "language_files.h"

#include <windows.h>

#include <share.h>

#include <cstdio>
#include <cstring>

#include "plugin_settings.h"
#include "product_dir.h"

namespace hxgeneric {

namespace {

// Owns the step's log stream; writes are dropped while it is closed.
class LanguageLog {
 public:
  explicit LanguageLog(const char* path)
      : stream_(path ? _fsopen(path, "a+t", _SH_DENYNO) : nullptr) {}
  ~LanguageLog() {
    if (stream_) fclose(stream_);
  }
  LanguageLog(const LanguageLog&) = delete;
  LanguageLog& operator=(const LanguageLog&) = delete;

  bool IsOpen() const { return stream_ != nullptr; }
  FILE* stream() const { return stream_; }

 private:
  FILE* stream_;
};

void WriteHeader(FILE* log) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  fprintf(log, "%s %d-%02d-%02d %02d:%02d:%02d.%03d\n", "Copying language specific files",
          now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
          now.wMilliseconds);
}

}  // namespace

bool LanguageLogPath(char* out, unsigned size) {
  static const char kName[] = "\\tvhxgeneric.log";
  char dir[MAX_PATH];
  const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  const int written = snprintf(out, size, "%s%s", dir, kName);
  return written > 0 && static_cast<unsigned>(written) < size;
}

void CopyLanguageFiles(const char* ini, const char* section, const char* log_path) {
  LanguageLog log(log_path);

  char dir[kProductDirSize];
  if (!FindProductDirectory(ini, section, dir)) return;
  char language[kLanguageCodeSize];
  ReadProductLanguage(ini, language, sizeof language);
  if (language[0] == '\0') return;

  for (int n = 1; n <= kMaxLanguageFiles; ++n) {
    char file[kLanguageFileSize];
    ReadLanguageFile(ini, section, n, file, sizeof file);
    if (file[0] == '\0') break;
    if (log.IsOpen()) {
      if (n == 1) WriteHeader(log.stream());
      fprintf(log.stream(), "Copying language file #%d: %s\n", n, file);
      fflush(log.stream());
    }
    // The source "<dir>\<file>.<lang>" must fit a path buffer; the target is
    // shorter by the suffix.
    if (strlen(dir) + strlen(file) + strlen(language) + 3 > MAX_PATH) continue;
    char source[MAX_PATH];
    char target[MAX_PATH];
    snprintf(source, sizeof source, "%s\\%s.%s", dir, file, language);
    snprintf(target, sizeof target, "%s\\%s", dir, file);
    // A successful copy then reports 0, not an error left over from before.
    SetLastError(ERROR_SUCCESS);
    const BOOL copied = CopyFileA(source, target, FALSE);
    const DWORD error = GetLastError();
    if (log.IsOpen()) {
      fprintf(log.stream(), "File copy %s=>%s: success=%d, errorcode=%d\n", source, target,
              copied ? 1 : 0, static_cast<int>(error));
      fflush(log.stream());
    }
  }
}

}  // namespace hxgeneric
