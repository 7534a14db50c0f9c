// Splitting of registry path text, in both character widths.
#include <gtest/gtest.h>

#include <random>
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

// Random short texts of the characters that matter, checked against the
// rules stated plainly on std::string: catches terminators written in the
// wrong place and reads past the end.
TEST(RegistryPathText, RandomTextsFollowTheRules) {
  const char alphabet[] = {'\\', '\\', '|', ' ', 'a', 'H'};
  std::mt19937 random(20261211);
  auto rtrim = [](std::string t) {
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 14);
    for (int i = 0; i < length; ++i) text.push_back(alphabet[random() % sizeof(alphabet)]);
    SCOPED_TRACE(text);

    const size_t first = text.find('\\');
    const size_t pair = first == std::string::npos ? first : text.find("\\\\", first);
    std::vector<char> work(text.begin(), text.end());
    work.push_back(0);
    hx::RegistryPathParts<char> parts;
    const unsigned result = hx::SplitRegistryPath(work.data(), &parts);
    if (pair == std::string::npos) {
      EXPECT_EQ(4u, result);
      continue;
    }
    ASSERT_EQ(0u, result);
    EXPECT_EQ(text.substr(0, first), parts.root_name);
    EXPECT_EQ(pair == first ? std::string() : text.substr(first + 1, pair - first - 1),
              parts.sub_key);
    const std::string rest = text.substr(pair + 2);
    const size_t bar = rest.find('|');
    if (bar == std::string::npos) {
      EXPECT_EQ(rtrim(rest), parts.value_name);
      EXPECT_EQ(nullptr, parts.data);
    } else {
      EXPECT_EQ(rest.substr(0, bar), parts.value_name);
      ASSERT_NE(nullptr, parts.data);
      EXPECT_EQ(rtrim(rest.substr(bar + 1)), parts.data);
    }
  }
}

}  // namespace
