// Registry path operations against the real registry, in both character
// widths and in the 32-bit, 64-bit and own registry views.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shared/regpath.h"
#include "wine_test_env.h"

namespace {

const char kTestKey[] = "Software\\HxRegPathTest";
const char kMachine[] = "HKEY_LOCAL_MACHINE\\Software\\HxRegPathTest";

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

REGSAM Sam(unsigned view) {
  if (view == hx::kRegView64) return KEY_WOW64_64KEY;
  if (view == hx::kRegView32) return KEY_WOW64_32KEY;
  return 0;
}

// Calls one operation in the narrow or the wide build.
struct Width {
  bool wide;
  unsigned Write(const std::string& path, unsigned view) const {
    return wide ? hx::WriteRegistryValue(Wide(path).c_str(), view)
                : hx::WriteRegistryValue(path.c_str(), view);
  }
  unsigned Read(void* buf, const std::string& path, unsigned view) const {
    return wide ? hx::ReadRegistryValue(buf, Wide(path).c_str(), view)
                : hx::ReadRegistryValue(buf, path.c_str(), view);
  }
  unsigned ReadSized(void* buf, DWORD size, const std::string& path, unsigned view) const {
    return wide ? hx::ReadRegistryValue(buf, size, Wide(path).c_str(), view)
                : hx::ReadRegistryValue(buf, size, path.c_str(), view);
  }
  unsigned DeleteValue(const std::string& path, unsigned view) const {
    return wide ? hx::DeleteRegistryValue(Wide(path).c_str(), view)
                : hx::DeleteRegistryValue(path.c_str(), view);
  }
  unsigned DeleteKey(const std::string& path, unsigned view) const {
    return wide ? hx::DeleteRegistryKey(Wide(path).c_str(), view)
                : hx::DeleteRegistryKey(path.c_str(), view);
  }
  const char* Name() const { return wide ? "wide" : "narrow"; }
};

const Width kWidths[] = {{false}, {true}};
const unsigned kViews[] = {hx::kRegViewOwn, hx::kRegView32, hx::kRegView64};

class RegistryPathTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY);
    hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY);
    hxtest::DeleteRegTree(HKEY_CURRENT_USER, kTestKey);
  }

  static bool KeyExists(const std::string& sub, REGSAM sam) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ | sam, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  // Reads a REG_DWORD value; false when missing or of another type.
  static bool GetDword(const std::string& sub, const char* name, REGSAM sam, DWORD* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ | sam, &key) != ERROR_SUCCESS) {
      return false;
    }
    DWORD type = 0;
    DWORD size = sizeof(*value);
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD;
  }

  static void PutString(const std::string& sub, const char* name, const std::string& text,
                        REGSAM sam) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS | sam, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
  }
};

// Data text to number, and the blank-only delete.
TEST_F(RegistryPathTest, WritesDataAsNumberOrDeletes) {
  struct Case {
    const char* data;  // after "|"
    bool present;      // value exists afterwards
    DWORD value;
  };
  const Case cases[] = {
      {"1", true, 1},           {"12ab", true, 12},    {"-1", true, 0xFFFFFFFFu},
      {"ab", true, 0},          {"  7  ", true, 7},    {"+42", true, 42},
      {"99999999999", true, 0x7FFFFFFFu},  // saturates like strtol on a 32-bit long
      {"   ", false, 0},        {"", false, 0},
  };
  for (const Width& w : kWidths) {
    for (unsigned view : kViews) {
      for (const Case& c : cases) {
        SCOPED_TRACE(std::string(w.Name()) + " view " + std::to_string(view) + " data '" +
                     c.data + "'");
        const std::string path = std::string(kMachine) + "\\Sub\\\\Val|";
        // Start from an existing value so that the delete case shows.
        ASSERT_EQ(0u, w.Write(path + "5", view));
        EXPECT_EQ(0u, w.Write(path + c.data, view));
        DWORD got = 0;
        EXPECT_EQ(c.present, GetDword(std::string(kTestKey) + "\\Sub", "Val", Sam(view), &got));
        if (c.present) {
          EXPECT_EQ(c.value, got);
        }
      }
    }
  }
}

TEST_F(RegistryPathTest, MalformedPathsAndMissingBar) {
  for (const Width& w : kWidths) {
    SCOPED_TRACE(w.Name());
    BYTE buf[hx::kRegistryValueBufferSize];
    const char* bad[] = {
        "HKLM\\Software\\HxRegPathTest\\\\Val|1",            // abbreviation
        "HKEY_LOCAL_MACHINE\\Software\\HxRegPathTest\\Val|1",  // single backslashes only
        "HKEY_LOCAL_MACHINE",                                 // no backslash
        "HKEY_NOWHERE\\Software\\\\Val|1",
    };
    for (const char* path : bad) {
      SCOPED_TRACE(path);
      EXPECT_EQ(4u, w.Write(path, 0));
      EXPECT_EQ(4u, w.Read(buf, path, 0));
      EXPECT_EQ(4u, w.DeleteValue(path, 0));
      EXPECT_EQ(4u, w.DeleteKey(path, 0));
    }
    EXPECT_FALSE(KeyExists(kTestKey, 0));

    // Writing without "|" still creates the key, then reports 4.
    EXPECT_EQ(4u, w.Write(std::string(kMachine) + "\\NoBar\\\\Val", 0));
    EXPECT_TRUE(KeyExists(std::string(kTestKey) + "\\NoBar", 0));
    // Lower-case root names are found.
    EXPECT_EQ(0u, w.Write("hkey_local_machine\\Software\\HxRegPathTest\\Low\\\\V|3", 0));
    DWORD got = 0;
    EXPECT_TRUE(GetDword(std::string(kTestKey) + "\\Low", "V", 0, &got));
    EXPECT_EQ(3u, got);
    Clean();
  }
}

TEST_F(RegistryPathTest, ReadsResultsAndSizes) {
  for (const Width& w : kWidths) {
    for (unsigned view : kViews) {
      SCOPED_TRACE(std::string(w.Name()) + " view " + std::to_string(view));
      const std::string sub = std::string(kTestKey) + "\\Read";
      const std::string key = std::string(kMachine) + "\\Read\\\\";
      PutString(sub, "Short", "hello", Sam(view));
      PutString(sub, "Exact", std::string(1999, 'x'), Sam(view));  // 2000 bytes narrow
      PutString(sub, "Long", std::string(2000, 'y'), Sam(view));   // 2001 bytes narrow

      std::vector<char> buf(hx::kRegistryValueBufferSize + 16, '#');
      EXPECT_EQ(0u, w.Read(buf.data(), key + "Short  ", view));  // trailing blanks trimmed
      EXPECT_EQ(0u, w.Read(buf.data(), key + "Short|ignored", view));
      if (w.wide) {
        EXPECT_STREQ(L"hello", reinterpret_cast<const wchar_t*>(buf.data()));
        // 2000 wide characters with terminator do not fit 2000 bytes.
        EXPECT_EQ(3u, w.Read(buf.data(), key + "Exact", view));
      } else {
        EXPECT_STREQ("hello", buf.data());
        EXPECT_EQ(0u, w.Read(buf.data(), key + "Exact", view));
        EXPECT_EQ('#', buf[hx::kRegistryValueBufferSize]);  // nothing past the 2000 bytes
      }
      EXPECT_EQ(3u, w.Read(buf.data(), key + "Long", view));
      EXPECT_EQ('#', buf[hx::kRegistryValueBufferSize]);
      EXPECT_EQ(3u, w.ReadSized(buf.data(), 4, key + "Short", view));
      EXPECT_EQ(2u, w.Read(buf.data(), key + "Missing", view));
      EXPECT_EQ(1u, w.Read(buf.data(), std::string(kMachine) + "\\NoSuchKey\\\\V", view));
      EXPECT_FALSE(KeyExists(std::string(kTestKey) + "\\NoSuchKey", Sam(view)));
      Clean();
    }
  }
}

// Each view flag reaches its own view only; 64 wins when both are given.
TEST_F(RegistryPathTest, ViewsAreSeparate) {
  struct Case {
    unsigned view;
    REGSAM lands;
    REGSAM not_in;
  };
  const Case cases[] = {
      {hx::kRegView32, KEY_WOW64_32KEY, KEY_WOW64_64KEY},
      {hx::kRegView64, KEY_WOW64_64KEY, KEY_WOW64_32KEY},
      {hx::kRegView32 | hx::kRegView64, KEY_WOW64_64KEY, KEY_WOW64_32KEY},
  };
  for (const Width& w : kWidths) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(w.Name()) + " view " + std::to_string(c.view));
      EXPECT_EQ(0u, w.Write(std::string(kMachine) + "\\V\\\\X|9", c.view));
      DWORD got = 0;
      EXPECT_TRUE(GetDword(std::string(kTestKey) + "\\V", "X", c.lands, &got));
      EXPECT_FALSE(KeyExists(std::string(kTestKey) + "\\V", c.not_in));
      BYTE buf[hx::kRegistryValueBufferSize];
      EXPECT_EQ(0u, w.Read(buf, std::string(kMachine) + "\\V\\\\X", c.view));
      EXPECT_EQ(1u, w.Read(buf, std::string(kMachine) + "\\V\\\\X",
                           c.not_in == KEY_WOW64_32KEY ? hx::kRegView32 : hx::kRegView64));
      Clean();
    }
  }
}

// A value of a root key itself: read, written and deleted, and the root key
// stays usable afterwards (it was not closed).
TEST_F(RegistryPathTest, ValueOfRootKey) {
  for (const Width& w : kWidths) {
    SCOPED_TRACE(w.Name());
    const std::string path = "HKEY_CURRENT_USER\\\\HxRegPathTestRootValue";
    EXPECT_EQ(0u, w.Write(path + "|77", 0));
    DWORD value = 0;
    BYTE buf[hx::kRegistryValueBufferSize];
    EXPECT_EQ(0u, w.Read(buf, path, 0));
    memcpy(&value, buf, sizeof(value));
    EXPECT_EQ(77u, value);
    EXPECT_EQ(0u, w.DeleteValue(path, 0));
    EXPECT_EQ(2u, w.Read(buf, path, 0));
    EXPECT_EQ(2u, w.Write(path + "|", 0));  // deleting a missing value fails
    // The predefined handle still works.
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key));
    RegCloseKey(key);
  }
}

TEST_F(RegistryPathTest, DeletesValuesAndKeys) {
  for (const Width& w : kWidths) {
    for (unsigned view : kViews) {
      SCOPED_TRACE(std::string(w.Name()) + " view " + std::to_string(view));
      const std::string top = std::string(kMachine) + "\\Del";
      const std::string sub = std::string(kTestKey) + "\\Del";
      PutString(sub + "\\Empty", "x", "1", Sam(view));
      PutString(sub + "\\Parent\\Child", "x", "1", Sam(view));
      PutString(sub, "Value", "1", Sam(view));

      EXPECT_EQ(0u, w.DeleteValue(top + "\\\\Value|data ignored", view));
      EXPECT_EQ(2u, w.DeleteValue(top + "\\\\Value", view));
      // Deleting a value below a missing key creates the key and fails.
      EXPECT_EQ(2u, w.DeleteValue(top + "\\New\\\\Value", view));
      EXPECT_TRUE(KeyExists(sub + "\\New", Sam(view)));

      EXPECT_EQ(0u, w.DeleteKey(top + "\\\\Empty", view));
      EXPECT_FALSE(KeyExists(sub + "\\Empty", Sam(view)));
      EXPECT_EQ(0u, w.DeleteKey(top + "\\\\Empty", view));    // already gone
      EXPECT_EQ(0u, w.DeleteKey(top + "\\\\", view));         // empty last name
      EXPECT_TRUE(KeyExists(sub, Sam(view)));
      EXPECT_EQ(2u, w.DeleteKey(top + "\\\\Parent", view));   // has a sub key
      EXPECT_TRUE(KeyExists(sub + "\\Parent\\Child", Sam(view)));
      EXPECT_EQ(0u, w.DeleteKey(top + "\\Parent\\\\Child|x", view));
      EXPECT_EQ(0u, w.DeleteKey(top + "\\\\Parent", view));
      EXPECT_FALSE(KeyExists(sub + "\\Parent", Sam(view)));
      Clean();
    }
  }
}

}  // namespace
