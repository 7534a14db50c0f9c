// Where the utility's messages go. The program writes to standard output;
// tests collect the text.
#pragma once

#include <stdio.h>

namespace agentutil {

class TextSink {
 public:
  virtual ~TextSink() {}
  virtual void Write(const char* text) = 0;
  // Formats into a bounded buffer first; longer messages are cut.
  void Printf(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
};

class ConsoleSink : public TextSink {
 public:
  void Write(const char* text) override;
};

}  // namespace agentutil
