#include "agentutil/text_sink.h"

#include <stdarg.h>

namespace agentutil {

void TextSink::Printf(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  int written = vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  if (written < 0) line[0] = '\0';
  Write(line);
}

void ConsoleSink::Write(const char* text) {
  fputs(text, stdout);
}

}  // namespace agentutil
