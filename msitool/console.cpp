#include "console.h"

#include <cwchar>

#include "messages.h"

namespace msitool {

void WriteText(DWORD std_handle, const wchar_t* text) {
  HANDLE out = GetStdHandle(std_handle);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  const DWORD length = static_cast<DWORD>(std::wcslen(text));
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text, length, &written, nullptr);
    return;
  }
  // Each UTF-16 unit takes at most three UTF-8 bytes.
  char utf8[kOutputBufferChars * 3];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8,
                                  static_cast<int>(sizeof(utf8)), nullptr, nullptr);
  if (bytes > 0) WriteFile(out, utf8, static_cast<DWORD>(bytes), &written, nullptr);
}

}  // namespace msitool
