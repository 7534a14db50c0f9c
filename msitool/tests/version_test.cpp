// Version text parsing and ordering.
#include <gtest/gtest.h>

#include <string>

#include "version.h"

namespace {

using msitool::VersionNumbers;

TEST(Version, ParsesPatterns) {
  struct Case {
    const wchar_t* text;
    bool ok;
    VersionNumbers expected;
  };
  const Case cases[] = {
      {L"5.10.0.1", true, {5, 10, 0, 1}},
      {L"5.1", true, {5, 1, -1, -1}},
      {L"5.1.0.0", true, {5, 1, 0, 0}},
      {L" 6.0.1 ", true, {6, 0, 1, -1}},
      {L"   7   ", true, {7, -1, -1, -1}},
      {L"1.2.3.4.5", true, {1, 2, 3, 4}},
      {L"2.5beta", true, {2, 5, -1, -1}},
      {L"3.", true, {3, -1, -1, -1}},
      {L"-1.2", true, {-1, 2, -1, -1}},
      {L"", false, {}},
      {L"   ", false, {}},
      {L"abc", false, {}},
      {L".5", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
    VersionNumbers v = {42, 42, 42, 42};
    EXPECT_EQ(c.ok, msitool::ParseVersion(c.text, &v));
    const VersionNumbers want = c.ok ? c.expected : VersionNumbers{42, 42, 42, 42};
    EXPECT_EQ(want.major, v.major);
    EXPECT_EQ(want.minor, v.minor);
    EXPECT_EQ(want.build, v.build);
    EXPECT_EQ(want.revision, v.revision);
  }
}

TEST(Version, LongTextIsCutNotOverrun) {
  std::wstring text = L"1.2" + std::wstring(500, L'0');
  VersionNumbers v = {};
  EXPECT_TRUE(msitool::ParseVersion(text.c_str(), &v));
  EXPECT_EQ(1, v.major);
}

TEST(Version, OrdersNumbersNotText) {
  struct Case {
    VersionNumbers a;
    VersionNumbers b;
    bool a_higher;
  };
  const Case cases[] = {
      {{5, 10, 0, 1}, {5, 9, 9, 9}, true},
      {{5, 9, 9, 9}, {5, 10, 0, 1}, false},
      {{5, 1, 0, 0}, {5, 1, -1, -1}, true},  // missing parts count as -1
      {{1, 2, 3, 4}, {1, 2, 3, 4}, false},
      {{1, 2, 3, 5}, {1, 2, 3, 4}, true},
      {{2, 0, 0, 0}, {10, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a_higher, msitool::IsHigherVersion(c.a, c.b))
        << c.a.major << "." << c.a.minor << "." << c.a.build << "." << c.a.revision;
  }
}

}  // namespace
