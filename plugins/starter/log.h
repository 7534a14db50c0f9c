// The starter's own log: one plain-text file with a UTC time of day on every
// line, every message copied to the debugger output as well. The file is
// opened and closed again for every line so that it can be read, copied or
// deleted while the plug-in runs. Nothing that goes wrong in here reaches the
// caller; such failures are reported on the debugger output only.
#pragma once

#include <string>

class Log {
 public:
  // Threshold 0 switches logging off; a message is written when its level
  // is not 0 and at most the threshold.
  static void SetLogLevel(unsigned threshold);
  // Stores the directory (cut to 260 characters) and creates its last level.
  static void SetLogDirName(const char* directory);
  // Stores "<directory>\<name>" (cut to 260 characters); needs the directory.
  static void SetLogFileName(const char* name);

  // Formats a message by the printf rules and writes it to the debugger
  // output and the file. Messages of 2048 characters or more are dropped.
  static void log(unsigned level, const char* format, ...);
  // Appends one line, preceded by the UTC time of day, to the file.
  static void log_string(const char* line);
  // printf-style formatting; the empty text on every failure.
  static std::string format_string(const char* format, ...);

  static const char* LogDirName() { return directory_; }
  static const char* LogFileName() { return filePath_; }

  static const unsigned kPathBufferSize = 261;
  static const int kOpenAttempts = 15;

 private:
  static void ReportException(const char* operation, const char* what);

  static unsigned threshold_;
  static char directory_[kPathBufferSize];
  static char filePath_[kPathBufferSize];
};
