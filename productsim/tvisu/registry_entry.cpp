#include "registry_entry.h"

#include <cerrno>
#include <cstdlib>

namespace tvisu {

namespace {

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

void TrimRight(std::string* s) {
  while (!s->empty() && s->back() == ' ') s->pop_back();
}

bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long* out) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return false;
  const char* p = text.c_str() + start;
  bool negative = *p == '-';
  if (negative) ++p;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(p, &end, 0);
  if (end == p || errno != 0) return false;
  while (*end == ' ') ++end;
  if (*end != '\0') return false;
  if (negative) {
    if (v > max / 2 + 1) return false;
    v = (max - v + 1) & max;  // two's complement within the width
  } else if (v > max) {
    return false;
  }
  *out = v;
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int RootIndex(const std::string& root) {
  static const char* const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                       "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
  for (int i = 0; i < 4; ++i)
    if (EqualNoCase(root, kRoots[i])) return i;
  return -1;
}

bool ParseRegistryEntry(const std::string& text, RegistryEntry* entry) {
  *entry = RegistryEntry();
  size_t first = text.find('\\');
  if (first == std::string::npos) return false;
  entry->root = text.substr(0, first);
  size_t value_start;
  if (first + 1 < text.size() && text[first + 1] == '\\') {
    value_start = first + 2;
  } else {
    size_t pair = text.find("\\\\", first + 1);
    if (pair == std::string::npos) return false;
    entry->sub_key = text.substr(first + 1, pair - first - 1);
    value_start = pair + 2;
  }
  std::string rest = text.substr(value_start);
  size_t bar = rest.find('|');
  if (bar == std::string::npos) {
    entry->value_name = rest;
    TrimRight(&entry->value_name);
  } else {
    entry->value_name = rest.substr(0, bar);
    entry->has_data = true;
    entry->data = rest.substr(bar + 1);
    TrimRight(&entry->data);
  }
  return RootIndex(entry->root) >= 0;
}

bool EncodeRegistryData(uint32_t type, const std::string& data, std::vector<unsigned char>* out) {
  out->clear();
  switch (type) {
    case 1:  // REG_SZ
    case 2:  // REG_EXPAND_SZ
      out->assign(data.begin(), data.end());
      out->push_back(0);
      return true;
    case 3: {  // REG_BINARY
      int high = -1;
      for (char c : data) {
        if (c == ' ' || c == ',') {
          if (high >= 0) return false;
          continue;
        }
        int v = HexValue(c);
        if (v < 0) return false;
        if (high < 0) {
          high = v;
        } else {
          out->push_back(static_cast<unsigned char>(high * 16 + v));
          high = -1;
        }
      }
      return high < 0;
    }
    case 4:     // REG_DWORD
    case 11: {  // REG_QWORD
      unsigned long long v = 0;
      unsigned long long max = type == 4 ? 0xffffffffull : ~0ull;
      if (!ParseUnsigned(data, max, &v)) return false;
      int bytes = type == 4 ? 4 : 8;
      for (int i = 0; i < bytes; ++i) out->push_back(static_cast<unsigned char>(v >> (8 * i)));
      return true;
    }
    case 7: {  // REG_MULTI_SZ
      size_t start = 0;
      for (;;) {
        size_t bar = data.find('|', start);
        std::string item = data.substr(start, bar == std::string::npos ? bar : bar - start);
        out->insert(out->end(), item.begin(), item.end());
        out->push_back(0);
        if (bar == std::string::npos) break;
        start = bar + 1;
      }
      out->push_back(0);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tvisu
