// Writing the tool's texts to standard output or standard error.
#pragma once

#include <windows.h>

namespace msitool {

// Writes text to the handle of STD_OUTPUT_HANDLE or STD_ERROR_HANDLE. On a
// console the text goes out as wide characters; to a file or pipe it is
// written as UTF-8, so redirected output is not lost.
void WriteText(DWORD std_handle, const wchar_t* text);

}  // namespace msitool
