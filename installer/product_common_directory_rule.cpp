#include <cwchar>

#include "product_common_directory.h"

bool FormProductCommonDirectory(wchar_t* out, size_t size, const wchar_t* root) {
  if (size == 0) return false;
  out[0] = L'\0';
  size_t length = wcslen(root);
  if (length >= 2 && root[0] == L'"' && root[length - 1] == L'"') {
    ++root;
    length -= 2;
  }
  if (length == 0) return false;
  wchar_t last = root[length - 1];
  const wchar_t* separator = (last == L'\\' || last == L'/') ? L"" : L"\\";
  int written = swprintf(out, size, L"%.*ls%lsCommon\\", static_cast<int>(length), root, separator);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    out[0] = L'\0';
    return false;
  }
  return true;
}
