// Platform codes by Windows version, and the registry entry text of tvisu.dll.
#include <gtest/gtest.h>

#include "platform_code.h"
#include "registry_entry.h"

using namespace tvisu;

namespace {

TEST(PlatformCode, ByVersionAndProductType) {
  const struct {
    uint32_t platform, major, minor, type;
    int32_t code;
  } kCases[] = {
      {1, 4, 0, 1, 103},   {1, 4, 10, 1, 104},  {1, 4, 90, 1, 110},  {1, 3, 0, 1, 102},
      {2, 3, 50, 1, 106},  {2, 3, 51, 3, 107},  {2, 4, 0, 1, 108},   {2, 5, 0, 3, 109},
      {2, 5, 1, 1, 111},   {2, 5, 2, 3, 112},   {2, 6, 0, 1, 113},   {2, 6, 0, 3, 114},
      {2, 6, 1, 1, 115},   {2, 6, 1, 2, 116},   {2, 6, 2, 1, 117},   {2, 6, 2, 3, 118},
      {2, 6, 3, 1, 119},   {2, 6, 3, 3, 120},   {2, 10, 0, 1, 121},  {2, 10, 0, 3, 122},
      {2, 11, 0, 1, 0},    {2, 6, 4, 1, 0},     {3, 10, 0, 1, 102},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(c.code, PlatformCode(c.platform, c.major, c.minor, c.type))
        << c.platform << " " << c.major << "." << c.minor << " type " << c.type;
}

TEST(RegistryEntryText, Parsing) {
  const struct {
    const char* text;
    bool ok;
    const char* sub_key;
    const char* value;
    bool has_data;
    const char* data;
  } kCases[] = {
      {"HKEY_LOCAL_MACHINE\\Software\\Q\\\\Name|data  ", true, "Software\\Q", "Name", true,
       "data"},
      {"hkey_current_user\\A\\\\V  ", true, "A", "V", false, ""},
      {"HKEY_USERS\\\\RootValue|1", true, "", "RootValue", true, "1"},
      {"HKEY_CLASSES_ROOT\\K\\\\|x|y", true, "K", "", true, "x|y"},
      {"HKLM\\Software\\\\Name|1", false, "", "", false, ""},
      {"HKEY_LOCAL_MACHINE\\Software\\Name|1", false, "", "", false, ""},
      {"no backslash", false, "", "", false, ""},
  };
  for (const auto& c : kCases) {
    RegistryEntry e;
    ASSERT_EQ(c.ok, ParseRegistryEntry(c.text, &e)) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(c.sub_key, e.sub_key) << c.text;
    EXPECT_EQ(c.value, e.value_name) << c.text;
    EXPECT_EQ(c.has_data, e.has_data) << c.text;
    EXPECT_EQ(c.data, e.data) << c.text;
  }
}

TEST(RegistryEntryText, DataByType) {
  typedef std::vector<unsigned char> Bytes;
  const struct {
    uint32_t type;
    const char* data;
    bool ok;
    Bytes bytes;
  } kCases[] = {
      {1, "ab", true, {'a', 'b', 0}},
      {2, "%X%", true, {'%', 'X', '%', 0}},
      {4, "258", true, {2, 1, 0, 0}},
      {4, "0x10", true, {16, 0, 0, 0}},
      {4, "-1", true, {255, 255, 255, 255}},
      {4, "4294967296", false, {}},
      {4, "12abc", false, {}},
      {11, "1", true, {1, 0, 0, 0, 0, 0, 0, 0}},
      {3, "01 a0,FF", true, {1, 0xa0, 0xff}},
      {3, "0", false, {}},
      {7, "a|bc", true, {'a', 0, 'b', 'c', 0, 0}},
      {99, "x", false, {}},
  };
  for (const auto& c : kCases) {
    Bytes out;
    ASSERT_EQ(c.ok, EncodeRegistryData(c.type, c.data, &out)) << c.type << " " << c.data;
    if (c.ok) {
      EXPECT_EQ(c.bytes, out) << c.type << " " << c.data;
    }
  }
}

}  // namespace
