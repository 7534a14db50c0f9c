// minilog: the small append-only log of the generic plug-in. Every line starts
// with a local time stamp; every write reaches the file at once, so the log is
// complete even when the process is killed during a long service stop.
#pragma once

#include <cstdio>

#if defined(__GNUC__)
#define HXG_PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define HXG_PRINTF_LIKE(fmt, args)
#endif

namespace hxgeneric {

// Writes the local time as "YYYY-MM-DD hh:mm:ss.mmm" into buffer (always
// terminated, cut to fit).
void FormatLocalStamp(char* buffer, size_t size);

class minilog {
 public:
  minilog();
  virtual ~minilog();
  minilog(const minilog&) = delete;
  minilog& operator=(const minilog&) = delete;

  // Closes an open stream first (writing its close line), then opens path, if
  // given, for shared appending and writes the open line. Returns whether a
  // stream is open now.
  bool Open(const char* path);

  // Writes "<stamp> " and the formatted message, which brings its own line
  // end. Returns the length of the message part; 0 while closed.
  int Printf(const char* format, ...) HXG_PRINTF_LIKE(2, 3);

  // Writes the current stamp through format, which holds exactly one %s.
  int WriteStamp(const char* format);

 private:
  void Close();

  FILE* stream_;
};

}  // namespace hxgeneric
