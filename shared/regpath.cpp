// Registry path module, compiled twice: with HX_REGPATH_WIDE=1 into
// hx_regpath_w (wide text) and with HX_REGPATH_WIDE=0 into hx_regpath_a
// (system code page). Only the character type and the matching A/W calls
// differ between the two; the logic is the same text.
#include "shared/regpath.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#ifndef HX_REGPATH_WIDE
#error "HX_REGPATH_WIDE must be 0 or 1"
#endif

namespace hx {
namespace {

#if HX_REGPATH_WIDE
using Char = wchar_t;
inline std::size_t Length(const Char* s) { return std::wcslen(s); }
inline long ToLong(const Char* s) { return std::wcstol(s, nullptr, 10); }
inline LONG OpenKey(HKEY root, const Char* sub, REGSAM sam, HKEY* key) {
  return RegOpenKeyExW(root, sub, 0, sam, key);
}
inline LONG CreateKey(HKEY root, const Char* sub, REGSAM sam, HKEY* key) {
  return RegCreateKeyExW(root, sub, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, key,
                         nullptr);
}
inline LONG QueryValue(HKEY key, const Char* name, BYTE* data, DWORD* size) {
  return RegQueryValueExW(key, name, nullptr, nullptr, data, size);
}
inline LONG SetValue(HKEY key, const Char* name, DWORD type, const BYTE* data, DWORD size) {
  return RegSetValueExW(key, name, 0, type, data, size);
}
inline LONG DeleteValue(HKEY key, const Char* name) { return RegDeleteValueW(key, name); }
inline LONG DeleteKey(HKEY key, const Char* name, REGSAM view) {
  return RegDeleteKeyExW(key, name, view, 0);
}
#else
using Char = char;
inline std::size_t Length(const Char* s) { return std::strlen(s); }
inline long ToLong(const Char* s) { return std::strtol(s, nullptr, 10); }
inline LONG OpenKey(HKEY root, const Char* sub, REGSAM sam, HKEY* key) {
  return RegOpenKeyExA(root, sub, 0, sam, key);
}
inline LONG CreateKey(HKEY root, const Char* sub, REGSAM sam, HKEY* key) {
  return RegCreateKeyExA(root, sub, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, key,
                         nullptr);
}
inline LONG QueryValue(HKEY key, const Char* name, BYTE* data, DWORD* size) {
  return RegQueryValueExA(key, name, nullptr, nullptr, data, size);
}
inline LONG SetValue(HKEY key, const Char* name, DWORD type, const BYTE* data, DWORD size) {
  return RegSetValueExA(key, name, 0, type, data, size);
}
inline LONG DeleteValue(HKEY key, const Char* name) { return RegDeleteValueA(key, name); }
inline LONG DeleteKey(HKEY key, const Char* name, REGSAM view) {
  return RegDeleteKeyExA(key, name, view, 0);
}
#endif

REGSAM ViewModifier(unsigned view) {
  if (view & kRegView64) return KEY_WOW64_64KEY;
  if (view & kRegView32) return KEY_WOW64_32KEY;
  return 0;
}

std::unique_ptr<Char[]> CopyText(const Char* text) {
  std::size_t n = Length(text) + 1;
  std::unique_ptr<Char[]> copy(new (std::nothrow) Char[n]);
  if (copy) std::memcpy(copy.get(), text, n * sizeof(Char));
  return copy;
}

// Flushes a key that was opened for writing before it closes; root keys are
// left alone.
void FlushUnlessRoot(const OpenedRegistryPath<Char>& opened) {
  if (!opened.is_root()) RegFlushKey(opened.key());
}

}  // namespace

unsigned OpenRegistryPath(const Char* path, RegPathMode mode, unsigned view, bool want_data,
                          OpenedRegistryPath<Char>* out) {
  if (path == nullptr) return kRegPathBadPath;
  std::unique_ptr<Char[]> work = CopyText(path);
  if (!work) return kRegPathNoMemory;

  RegistryPathParts<Char> parts;
  unsigned result = SplitRegistryPath(work.get(), &parts);
  if (result != kRegPathOk) return result;
  HKEY root = nullptr;
  if (!LookUpRootKey(parts.root_name, &root)) return kRegPathBadPath;

  OpenedRegistryPath<Char> opened;
  if (parts.sub_key[0] == 0) {
    opened.root_key = root;
  } else {
    const REGSAM modifier = ViewModifier(view);
    LONG rc = (mode == RegPathMode::kRead)
                  ? OpenKey(root, parts.sub_key, KEY_READ | modifier, opened.owned_key.Receive())
                  : CreateKey(root, parts.sub_key, KEY_ALL_ACCESS | modifier,
                              opened.owned_key.Receive());
    if (rc != ERROR_SUCCESS) {
      opened.owned_key.Release();  // nothing was opened; the out value is undefined
      return kRegPathKeyFailed;
    }
  }

  opened.value_name = CopyText(parts.value_name);
  if (!opened.value_name) return kRegPathNoMemory;
  if (want_data && parts.data != nullptr) {
    opened.data = CopyText(parts.data);
    if (!opened.data) return kRegPathNoMemory;
  }
  *out = std::move(opened);
  return kRegPathOk;
}

unsigned ReadRegistryValue(void* buffer, DWORD buffer_size, const Char* path, unsigned view) {
  OpenedRegistryPath<Char> opened;
  unsigned result = OpenRegistryPath(path, RegPathMode::kRead, view, false, &opened);
  if (result != kRegPathOk) return result;
  DWORD size = buffer_size;
  LONG rc = QueryValue(opened.key(), opened.value_name.get(), static_cast<BYTE*>(buffer), &size);
  if (rc == ERROR_SUCCESS) return kRegPathOk;
  return rc == ERROR_MORE_DATA ? kRegPathTooLarge : kRegPathValueFailed;
}

unsigned ReadRegistryValue(void* buffer, const Char* path, unsigned view) {
  return ReadRegistryValue(buffer, kRegistryValueBufferSize, path, view);
}

unsigned WriteRegistryValue(const Char* path, unsigned view) {
  OpenedRegistryPath<Char> opened;
  unsigned result = OpenRegistryPath(path, RegPathMode::kWrite, view, true, &opened);
  if (result != kRegPathOk) return result;
  if (!opened.data) {
    result = kRegPathBadPath;
  } else if (opened.data[0] == 0) {
    // Trailing blanks are already gone, so this is also the all-blank case.
    if (DeleteValue(opened.key(), opened.value_name.get()) != ERROR_SUCCESS) {
      result = kRegPathValueFailed;
    }
  } else {
    const DWORD number = static_cast<DWORD>(ToLong(opened.data.get()));
    if (SetValue(opened.key(), opened.value_name.get(), REG_DWORD,
                 reinterpret_cast<const BYTE*>(&number), sizeof(number)) != ERROR_SUCCESS) {
      result = kRegPathValueFailed;
    }
  }
  FlushUnlessRoot(opened);
  return result;
}

unsigned DeleteRegistryValue(const Char* path, unsigned view) {
  OpenedRegistryPath<Char> opened;
  unsigned result = OpenRegistryPath(path, RegPathMode::kWrite, view, false, &opened);
  if (result != kRegPathOk) return result;
  if (DeleteValue(opened.key(), opened.value_name.get()) != ERROR_SUCCESS) {
    result = kRegPathValueFailed;
  }
  FlushUnlessRoot(opened);
  return result;
}

unsigned DeleteRegistryKey(const Char* path, unsigned view) {
  OpenedRegistryPath<Char> opened;
  unsigned result = OpenRegistryPath(path, RegPathMode::kWrite, view, false, &opened);
  if (result != kRegPathOk) return result;
  if (opened.value_name[0] != 0) {
    LONG rc = DeleteKey(opened.key(), opened.value_name.get(), ViewModifier(view));
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND) {
      result = kRegPathValueFailed;
    }
  }
  FlushUnlessRoot(opened);
  return result;
}

}  // namespace hx
