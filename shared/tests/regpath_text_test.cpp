// Splitting of registry path text, in both character widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shared/regpath_text.h"

namespace {

struct SplitCase {
  const char* path;
  unsigned result;
  const char* root;
  const char* sub_key;
  const char* value;
  const char* data;  // nullptr: no "|"
};

const SplitCase kSplitCases[] = {
    {"HKEY_LOCAL_MACHINE\\Software\\Foo\\\\Bar", 0, "HKEY_LOCAL_MACHINE", "Software\\Foo", "Bar",
     nullptr},
    {"HKEY_LOCAL_MACHINE\\Software\\Foo\\\\Bar|1", 0, "HKEY_LOCAL_MACHINE", "Software\\Foo", "Bar",
     "1"},
    // Value of the root key itself.
    {"HKEY_CURRENT_USER\\\\Bar|2", 0, "HKEY_CURRENT_USER", "", "Bar", "2"},
    // Only the last part loses its trailing blanks; leading blanks and blanks
    // before the bar stay.
    {"R\\K\\\\ Bar  ", 0, "R", "K", " Bar", nullptr},
    {"R\\K\\\\ Bar  |  12  ", 0, "R", "K", " Bar  ", "  12"},
    {"R\\K\\\\Bar|   ", 0, "R", "K", "Bar", ""},
    {"R\\K\\\\Bar|", 0, "R", "K", "Bar", ""},
    // The data is everything after the first bar.
    {"R\\K\\\\Bar|a|b", 0, "R", "K", "Bar", "a|b"},
    // An empty value name is the key's default value.
    {"R\\K\\\\", 0, "R", "K", "", nullptr},
    // The first pair of backslashes ends the key path.
    {"R\\a\\b\\\\\\c", 0, "R", "a\\b", "\\c", nullptr},
    {"R\\a\\\\b\\\\c", 0, "R", "a", "b\\\\c", nullptr},
    // Empty root name: split succeeds; the root look-up rejects it.
    {"\\\\Bar", 0, "", "", "Bar", nullptr},
    {"NoBackslashAtAll", 4, nullptr, nullptr, nullptr, nullptr},
    {"", 4, nullptr, nullptr, nullptr, nullptr},
    {"R\\single\\backslashes\\only", 4, nullptr, nullptr, nullptr, nullptr},
    {"R\\", 4, nullptr, nullptr, nullptr, nullptr},
    {"R\\K\\", 4, nullptr, nullptr, nullptr, nullptr},
};

template <typename Char>
std::basic_string<Char> Widen(const char* s) {
  std::basic_string<Char> out;
  for (; *s; ++s) out.push_back(static_cast<Char>(static_cast<unsigned char>(*s)));
  return out;
}

template <typename Char>
void CheckSplit(const SplitCase& c) {
  SCOPED_TRACE(std::string(c.path) + (sizeof(Char) == 1 ? " (narrow)" : " (wide)"));
  std::basic_string<Char> path = Widen<Char>(c.path);
  std::vector<Char> work(path.begin(), path.end());
  work.push_back(0);
  hx::RegistryPathParts<Char> parts;
  ASSERT_EQ(c.result, hx::SplitRegistryPath(work.data(), &parts));
  if (c.result != 0) return;
  EXPECT_EQ(Widen<Char>(c.root), parts.root_name);
  EXPECT_EQ(Widen<Char>(c.sub_key), parts.sub_key);
  EXPECT_EQ(Widen<Char>(c.value), parts.value_name);
  if (c.data == nullptr) {
    EXPECT_EQ(nullptr, parts.data);
  } else {
    ASSERT_NE(nullptr, parts.data);
    EXPECT_EQ(Widen<Char>(c.data), parts.data);
  }
}

TEST(RegistryPathText, SplitsPathsInBothWidths) {
  for (const SplitCase& c : kSplitCases) {
    CheckSplit<char>(c);
    CheckSplit<wchar_t>(c);
  }
}

TEST(RegistryPathText, RootNamesIgnoreCaseButNotAbbreviations) {
  struct RootCase {
    const char* name;
    HKEY key;  // nullptr: unknown
  };
  const RootCase cases[] = {
      {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {"hkey_current_user", HKEY_CURRENT_USER},
      {"Hkey_Local_Machine", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", HKEY_USERS},
      {"HKLM", nullptr},                          {"HKEY_LOCAL_MACHINE ", nullptr},
      {"HKEY_USER", nullptr},                     {"HKEY_USERSX", nullptr},
      {"", nullptr},                              {"HKEY_CURRENT_CONFIG", nullptr},
  };
  for (const RootCase& c : cases) {
    SCOPED_TRACE(c.name);
    HKEY narrow = nullptr;
    HKEY wide = nullptr;
    EXPECT_EQ(c.key != nullptr, hx::LookUpRootKey(c.name, &narrow));
    EXPECT_EQ(c.key != nullptr, hx::LookUpRootKey(Widen<wchar_t>(c.name).c_str(), &wide));
    if (c.key != nullptr) {
      EXPECT_EQ(c.key, narrow);
      EXPECT_EQ(c.key, wide);
    }
  }
}

TEST(RegistryPathText, NonAsciiLettersAreNotFolded) {
  // U+0130 and U+0131 fold to I/i in some locales; only A to Z count here.
  HKEY key = nullptr;
  EXPECT_FALSE(hx::LookUpRootKey(L"HKEY_US\u0130RS", &key));
  EXPECT_FALSE(hx::LookUpRootKey(L"hkey_us\u0131rs", &key));
}

}  // namespace
