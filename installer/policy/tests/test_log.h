// Captures the lines the policy code logs, for the tests.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

namespace testlog {
std::vector<std::string>& Lines();
void SinkV(const char* format, va_list args);
void Sink(const char* format, ...);
int Count(const std::string& line);
bool Contains(const std::string& fragment);
}  // namespace testlog
