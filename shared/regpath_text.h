// Registry path text: "ROOT\sub\key\\ValueName|data".
//
// Pure text handling, shared by the narrow and the wide build of the registry
// path module and usable without touching the registry (tests, fuzzing).
// The split works in place on a caller's writable copy: it only writes
// terminators into it and hands back pointers into it.
#pragma once

#include <windows.h>

#include <cstddef>

namespace hx {

enum : unsigned {
  kRegPathOk = 0,
  kRegPathKeyFailed = 1,     // key could not be opened (read) or created (write)
  kRegPathValueFailed = 2,   // value could not be read, written or deleted
  kRegPathTooLarge = 3,      // value does not fit into the caller's buffer
  kRegPathBadPath = 4,       // malformed path, unknown root; writing: no "|"
  kRegPathNoMemory = 100,    // no memory for the working copy
};

template <typename Char>
struct RegistryPathParts {
  const Char* root_name = nullptr;
  const Char* sub_key = nullptr;     // empty when the value lies in the root key
  const Char* value_name = nullptr;  // the last name (a value, or a key to delete)
  const Char* data = nullptr;        // text after the first "|"; null without "|"
};

namespace regpath_detail {

template <typename Char>
void TrimTrailingBlanks(Char* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  while (n > 0 && text[n - 1] == Char(' ')) text[--n] = 0;
}

inline bool AsciiEqualNoCase(int a, int b) {
  if (a >= 'a' && a <= 'z') a -= 'a' - 'A';
  if (b >= 'a' && b <= 'z') b -= 'a' - 'A';
  return a == b;
}

}  // namespace regpath_detail

// Splits a writable copy of a path into its parts. Returns kRegPathOk, or
// kRegPathBadPath when there is no backslash or no pair of backslashes after
// the root name. The root name is not checked here.
template <typename Char>
unsigned SplitRegistryPath(Char* text, RegistryPathParts<Char>* parts) {
  if (text == nullptr) return kRegPathBadPath;
  Char* first = text;
  while (*first != 0 && *first != Char('\\')) ++first;
  if (*first == 0) return kRegPathBadPath;

  // The key path ends where two backslashes meet; when that happens right at
  // the first backslash the value lies in the root key itself.
  Char* pair = first;
  while (!(pair[0] == Char('\\') && pair[1] == Char('\\'))) {
    if (pair[0] == 0) return kRegPathBadPath;
    ++pair;
  }
  *first = 0;
  *pair = 0;
  parts->root_name = text;
  parts->sub_key = (pair == first) ? pair : first + 1;
  Char* value = pair + 2;
  parts->value_name = value;

  Char* bar = value;
  while (*bar != 0 && *bar != Char('|')) ++bar;
  if (*bar == Char('|')) {
    *bar = 0;
    parts->data = bar + 1;
    regpath_detail::TrimTrailingBlanks(bar + 1);
  } else {
    parts->data = nullptr;
    regpath_detail::TrimTrailingBlanks(value);
  }
  return kRegPathOk;
}

// Finds one of the four root keys by its full name (case of A to Z ignored).
// Returns false for any other name, abbreviations included.
template <typename Char>
bool LookUpRootKey(const Char* name, HKEY* root) {
  struct Entry {
    const char* name;
    HKEY key;
  };
  static const Entry kRoots[] = {
      {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
      {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
      {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
      {"HKEY_USERS", HKEY_USERS},
  };
  for (const Entry& e : kRoots) {
    std::size_t i = 0;
    while (e.name[i] != 0 && name[i] != 0 &&
           regpath_detail::AsciiEqualNoCase(static_cast<int>(name[i]), e.name[i])) {
      ++i;
    }
    if (e.name[i] == 0 && name[i] == 0) {
      *root = e.key;
      return true;
    }
  }
  return false;
}

}  // namespace hx
