// Entry text of TVISU_CreateRegistryEntry (pure logic).
//
// Syntax: the registry path text of the product's tools,
//   ROOT\sub\key\\ValueName|data
// ROOT is one of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
// HKEY_USERS (any letter case). "ROOT\\Value|data" names a value of the root
// key itself; an empty value name is the key's default value. Trailing blanks
// of the last part are removed. Without "|" only the key is created.
//
// The type argument is the registry value type, and the data text is
// converted by it:
//   1 REG_SZ, 2 REG_EXPAND_SZ  the text as it is
//   3 REG_BINARY               hexadecimal byte pairs; blanks and commas between
//                              pairs are ignored ("01 a0 ff")
//   4 REG_DWORD, 11 REG_QWORD  decimal, or hexadecimal with 0x
//   7 REG_MULTI_SZ             strings separated by further "|"
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvisu {

struct RegistryEntry {
  std::string root;  // as written
  std::string sub_key;
  std::string value_name;
  bool has_data = false;
  std::string data;
};

// False when there is no backslash, no pair of backslashes or no known root.
bool ParseRegistryEntry(const std::string& text, RegistryEntry* entry);
// 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS;
// -1 for any other name.
int RootIndex(const std::string& root);
// The value's bytes for the type; false for an unknown type or bad data.
bool EncodeRegistryData(uint32_t type, const std::string& data, std::vector<unsigned char>* out);

}  // namespace tvisu
