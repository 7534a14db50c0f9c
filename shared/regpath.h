// Registry path module: reads, writes and deletes a registry value (or key)
// named by one line of text, "ROOT\sub\key\\ValueName" with an optional
// "|data", in a chosen registry view.
//
// One source, two libraries: hx_regpath_w (wide text, the MSI tool) and
// hx_regpath_a (single-byte text in the system code page, the installer).
// Each library defines the overloads of its own character type; both share
// this header. Nothing is kept between calls and nothing is logged: every
// outcome is one of the kRegPath* results of regpath_text.h.
#pragma once

#include <windows.h>

#include <memory>

#include "shared/regpath_text.h"
#include "shared/scoped_handle.h"

namespace hx {

// View flags: kRegView64 wins over kRegView32; neither means the calling
// process's own view.
enum : unsigned {
  kRegViewOwn = 0,
  kRegView32 = 1,
  kRegView64 = 2,
};

// Size in bytes that ReadRegistryValue without a size assumes.
const DWORD kRegistryValueBufferSize = 2000;

enum class RegPathMode {
  kRead,   // open the key for reading
  kWrite,  // create the key, or open it when it exists, with full access
};

// An opened path. The key is either one of the four root keys, which must
// never be closed, or a key of its own that closes with this object.
template <typename Char>
struct OpenedRegistryPath {
  HKEY root_key = nullptr;      // set when the path names a value of a root key
  ScopedRegKey owned_key;       // set otherwise
  std::unique_ptr<Char[]> value_name;
  std::unique_ptr<Char[]> data; // only when asked for and the path has "|"

  HKEY key() const { return root_key != nullptr ? root_key : owned_key.Get(); }
  bool is_root() const { return root_key != nullptr; }
};

// Opens the key of a path and copies out its value name and, when want_data
// is true and the path has "|", its data text. On any result other than
// kRegPathOk *out is left empty.
unsigned OpenRegistryPath(const char* path, RegPathMode mode, unsigned view, bool want_data,
                          OpenedRegistryPath<char>* out);
unsigned OpenRegistryPath(const wchar_t* path, RegPathMode mode, unsigned view, bool want_data,
                          OpenedRegistryPath<wchar_t>* out);

// Reads the named value into buffer (kRegistryValueBufferSize bytes, or
// buffer_size bytes). The type is not checked; the data is copied as stored,
// so text is zero-terminated only when it was stored with its terminator.
// kRegPathTooLarge when the value does not fit (buffer content undefined).
// The data text of the path, if any, is ignored.
unsigned ReadRegistryValue(void* buffer, const char* path, unsigned view);
unsigned ReadRegistryValue(void* buffer, const wchar_t* path, unsigned view);
unsigned ReadRegistryValue(void* buffer, DWORD buffer_size, const char* path, unsigned view);
unsigned ReadRegistryValue(void* buffer, DWORD buffer_size, const wchar_t* path, unsigned view);

// Writes the data text of the path as a REG_DWORD (decimal, by strtol rules:
// "12ab" is 12, "-1" is 0xFFFFFFFF, "ab" is 0); an empty or all-blank data
// text deletes the value instead. The key is created when missing, and stays
// even when the write then fails. A path without "|" gives kRegPathBadPath
// (after the key was created).
unsigned WriteRegistryValue(const char* path, unsigned view);
unsigned WriteRegistryValue(const wchar_t* path, unsigned view);

// Deletes the value named by the last name. The key is created when missing;
// a missing value gives kRegPathValueFailed. A data text is ignored.
unsigned DeleteRegistryValue(const char* path, unsigned view);
unsigned DeleteRegistryValue(const wchar_t* path, unsigned view);

// Deletes the sub key named by the last name below the key of the path
// (created when missing). The sub key must have no sub keys of its own; a sub
// key that does not exist counts as success, and so does an empty last name
// (nothing is deleted). A data text is ignored.
unsigned DeleteRegistryKey(const char* path, unsigned view);
unsigned DeleteRegistryKey(const wchar_t* path, unsigned view);

}  // namespace hx
