// StringCchCopyW for the native fuzz build: copies and always terminates,
// cutting a longer text.
#pragma once

#include <stddef.h>
#include <wchar.h>

typedef long HRESULT;
#define S_OK ((HRESULT)0)
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007AL)

static inline HRESULT StringCchCopyW(wchar_t* dest, size_t count, const wchar_t* src) {
  if (count == 0) return STRSAFE_E_INSUFFICIENT_BUFFER;
  size_t i = 0;
  for (; i + 1 < count && src[i] != 0; ++i) dest[i] = src[i];
  dest[i] = 0;
  return src[i] == 0 ? S_OK : STRSAFE_E_INSUFFICIENT_BUFFER;
}
