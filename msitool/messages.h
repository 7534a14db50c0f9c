// Texts that tv_msi_32_s prints, and their formatting into the fixed output
// buffer.
#pragma once

#include <cstddef>

namespace msitool {

// Every printed text is formatted into a buffer of this many characters.
const std::size_t kOutputBufferChars = 2000;

// Each returns false when the text did not fit (it is then cut, still
// terminated).
bool FormatBanner(wchar_t* buffer, std::size_t chars);
bool FormatUsage(wchar_t* buffer, std::size_t chars, const wchar_t* program_file_name);

extern const wchar_t kPrivilegeMessage[];

}  // namespace msitool
