// Text formatting of the starter log, free of any operating-system call.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

enum class FormatResult {
  kFits,        // *out holds the whole text
  kTooLong,     // the text needs 2048 characters or more; *out is empty
  kNoMemory,    // a buffer could not be had; *out is empty
  kBadFormat,   // the formatting itself failed; *out is empty
};

// printf-style formatting into a zero-filled buffer of 1024 bytes and, when
// the text does not fit, once more into one of 2048 bytes. Never throws, so a
// caller can always end its va_list before reporting a failure.
FormatResult FormatBounded(std::string* out, const char* format, va_list args);

// The largest text FormatBounded gives back, in characters.
const size_t kMaxFormattedLength = 2047;

// The time stamp that starts every line of the file: "hh:mm:ss:mmm ".
const char* const kLineFormat = "%02u:%02u:%02u:%03u %s";
