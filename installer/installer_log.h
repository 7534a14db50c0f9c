// The installer's plain-text log. The package's Log value names it; the file
// is opened (for appending, in text mode) at the first message, every
// message is flushed at once, and closing writes a time-stamped last line.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>

class InstallerLog {
 public:
  // logValue points at the package's Log text, which is read at every open
  // attempt: the package is parsed after the log object exists.
  explicit InstallerLog(const char* logValue);
  ~InstallerLog();
  InstallerLog(const InstallerLog&) = delete;
  InstallerLog& operator=(const InstallerLog&) = delete;

  // Opens the file if the package names one and it is not open yet.
  bool EnsureOpen();
  bool IsOpen() const { return file_ != nullptr; }

  // Writes the text exactly as formatted, opening the file if needed.
  void Print(const char* format, ...);
  void PrintV(const char* format, va_list args);
  // The sink form: the formatted text followed by one extra line break.
  void PrintLineV(const char* format, va_list args);

  // "<caption> <date> <time>" line in local time; only when open.
  void TimeStamp(const char* caption);
  // Writes the "Log close: " line and closes the file.
  void Close();

 private:
  const char* logValue_;
  FILE* file_;
};

// Log path for a Log value: the value itself when it holds a backslash, else
// the Windows directory, a backslash and the value. False when the result
// would not fit into size (at most 259 characters for a path).
bool FormLogPath(char* out, size_t size, const char* logValue, const char* windowsDirectory);
