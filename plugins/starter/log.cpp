#include "log.h"

#include <share.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>

#include "log_format.h"
#include "seams.h"

namespace {

const char* const kBadArgument = "Bad argument!\n";
const char* const kExceptionReport = "%s(): Exception!!! %s\n";
const char* const kUnknownError = "Unknown error!\n";

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
using ScopedFile = std::unique_ptr<FILE, FileCloser>;

void Require(bool condition) {
  if (!condition) throw std::invalid_argument(kBadArgument);
}

}  // namespace

unsigned Log::threshold_ = 0;
char Log::directory_[Log::kPathBufferSize] = {};
char Log::filePath_[Log::kPathBufferSize] = {};

// Every guarded operation below catches std::exception and then anything
// else. Note that catch (...) does not catch access violations when built
// with mingw (there are no structured exceptions in GCC); only C++ errors
// are contained.

void Log::ReportException(const char* operation, const char* what) {
  std::string report = format_string(kExceptionReport, operation, what);
  Seams().debugOutput(report.c_str());
}

void Log::SetLogLevel(unsigned threshold) { threshold_ = threshold; }

void Log::SetLogDirName(const char* directory) {
  try {
    Require(directory != nullptr);
    snprintf(directory_, sizeof directory_, "%s", directory);
    // Only the last level is created; failure shows later as lost lines.
    CreateDirectoryA(directory_, nullptr);
  } catch (const std::exception& e) {
    ReportException("Log::SetLogDirName", e.what());
  } catch (...) {
    ReportException("Log::SetLogDirName", kUnknownError);
  }
}

void Log::SetLogFileName(const char* name) {
  try {
    Require(name != nullptr);
    Require(directory_[0] != '\0');
    snprintf(filePath_, sizeof filePath_, "%s\\%s", directory_, name);
  } catch (const std::exception& e) {
    ReportException("Log::SetLogFileName", e.what());
  } catch (...) {
    ReportException("Log::SetLogFileName", kUnknownError);
  }
}

void Log::log(unsigned level, const char* format, ...) {
  try {
    // Checked first, so a null format is reported even with logging off.
    Require(format != nullptr);
    if (threshold_ == 0 || level == 0 || level > threshold_) return;

    std::string message;
    va_list args;
    va_start(args, format);
    FormatResult result = FormatBounded(&message, format, args);
    va_end(args);
    if (result == FormatResult::kNoMemory) throw std::bad_alloc();
    if (result != FormatResult::kFits) return;

    Seams().debugOutput(message.c_str());
    log_string(message.c_str());
  } catch (const std::exception& e) {
    ReportException("Log::log", e.what());
  } catch (...) {
    ReportException("Log::log", kUnknownError);
  }
}

void Log::log_string(const char* line) {
  try {
    Require(line != nullptr && line[0] != '\0');
    Require(filePath_[0] != '\0');
    Require(directory_[0] != '\0');
    std::string text(line);

    // Text mode turns each line feed into CR LF; other processes may read
    // and append while the file is open.
    ScopedFile file;
    for (int attempt = 0; attempt < kOpenAttempts && !file; ++attempt) {
      file.reset(_fsopen(filePath_, "at", _SH_DENYNO));
    }
    if (!file) return;

    SYSTEMTIME now = {};
    Seams().utcNow(&now);
    // Empty when the stamped line would need 2048 characters or more.
    std::string stamped =
        format_string(kLineFormat, static_cast<unsigned>(now.wHour),
                      static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond),
                      static_cast<unsigned>(now.wMilliseconds), text.c_str());
    fputs(stamped.c_str(), file.get());
    fflush(file.get());
  } catch (const std::exception& e) {
    ReportException("Log::log_string", e.what());
  } catch (...) {
    ReportException("Log::log_string", kUnknownError);
  }
}

std::string Log::format_string(const char* format, ...) {
  try {
    if (format == nullptr) return std::string();
    std::string text;
    va_list args;
    va_start(args, format);
    FormatBounded(&text, format, args);
    va_end(args);
    return text;
  } catch (...) {
    return std::string();
  }
}
