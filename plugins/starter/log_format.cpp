#include "log_format.h"

#include <cstdio>
#include <new>
#include <vector>

namespace {

const size_t kFirstBufferSize = 1024;
// Doubling stops once the buffer would reach this size, so 1024 and 2048 are
// the only sizes tried.
const size_t kBufferSizeLimit = 4096;

}  // namespace

FormatResult FormatBounded(std::string* out, const char* format, va_list args) {
  out->clear();
  try {
    for (size_t size = kFirstBufferSize; size < kBufferSizeLimit; size *= 2) {
      std::vector<char> buffer(size, '\0');
      va_list attempt;
      va_copy(attempt, args);
      // C99 semantics (MSVC 2015 and later, mingw-w64): writes at most
      // size - 1 characters and a terminator, returns the length needed.
      int needed = vsnprintf(buffer.data(), buffer.size(), format, attempt);
      va_end(attempt);
      if (needed < 0) return FormatResult::kBadFormat;
      if (static_cast<size_t>(needed) < size) {
        out->assign(buffer.data(), static_cast<size_t>(needed));
        return FormatResult::kFits;
      }
    }
    return FormatResult::kTooLong;
  } catch (...) {
    // Only std::bad_alloc can come from the buffers; the string is left empty.
    out->clear();
    return FormatResult::kNoMemory;
  }
}
