#include "test_log.h"

#include <cstdio>

namespace testlog {

std::vector<std::string>& Lines() {
  static std::vector<std::string> lines;
  return lines;
}

void SinkV(const char* format, va_list args) {
  char text[4096];
  vsnprintf(text, sizeof(text), format, args);
  Lines().push_back(text);
}

void Sink(const char* format, ...) {
  va_list args;
  va_start(args, format);
  SinkV(format, args);
  va_end(args);
}

int Count(const std::string& line) {
  int n = 0;
  for (const auto& l : Lines()) n += l == line ? 1 : 0;
  return n;
}

bool Contains(const std::string& fragment) {
  for (const auto& l : Lines())
    if (l.find(fragment) != std::string::npos) return true;
  return false;
}

}  // namespace testlog
