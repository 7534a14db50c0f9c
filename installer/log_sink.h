// The installer's log sink: a printf-style function that writes one message to
// the installer log followed by one extra line break. Steps that report through
// a callback take one of these; a null sink means "report nothing".
#pragma once

#include <cstdarg>

typedef void (*LogSink)(const char* format, ...);
typedef void (*LogSinkV)(const char* format, va_list args);
