// Output texts and the paths that products build.
#include <gtest/gtest.h>

#include <string>

#include "messages.h"
#include "product_paths.h"
#include "text_util.h"

namespace {

TEST(Texts, BannerAndUsage) {
  wchar_t buf[msitool::kOutputBufferChars];
  ASSERT_TRUE(msitool::FormatBanner(buf, msitool::kOutputBufferChars));
  EXPECT_EQ(std::wstring(L"\nTarnvale Msi Tool v10.0.110 \n"), buf);
  ASSERT_TRUE(msitool::FormatUsage(buf, msitool::kOutputBufferChars, L"tv_msi_32_s.exe"));
  EXPECT_EQ(0u, std::wstring(buf).find(
                    L"\nUsage: tv_msi_32_s.exe [/?] [/hideoldaddremoves] [/u:UPGRADECODE]\n\n"));
  // The longest program file name still fits.
  std::wstring longest(259, L'n');
  EXPECT_TRUE(msitool::FormatUsage(buf, msitool::kOutputBufferChars, longest.c_str()));
}

TEST(Texts, FileNamePart) {
  EXPECT_STREQ(L"tool.exe", msitool::FileNamePart(L"C:\\a\\b\\tool.exe"));
  EXPECT_STREQ(L"tool.exe", msitool::FileNamePart(L"tool.exe"));
  EXPECT_STREQ(L"", msitool::FileNamePart(L"C:\\dir\\"));
}

TEST(Texts, UninstallRegistryPaths) {
  wchar_t buf[msitool::kRegistryPathChars];
  ASSERT_TRUE(msitool::MakeUninstallRegistryPath(L"{CODE}", L"\\\\SystemComponent|1", buf,
                                                 msitool::kRegistryPathChars));
  EXPECT_STREQ(
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{CODE}"
      L"\\\\SystemComponent|1",
      buf);
}

TEST(Texts, PackageCopyPathMustFit) {
  const size_t n = msitool::kPackagePathChars;
  struct Case {
    size_t temp_chars;  // "C:\" plus filler, ending with a backslash
    size_t name_chars;
    bool fits;
  };
  const Case cases[] = {
      {20, 12, true},
      {200, n - 1 - 200, true},   // exactly 259 characters
      {200, n - 200, false},      // one too many
      {n - 1, 1, false},
      {20, 0, false},             // no package name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.temp_chars) + "+" + std::to_string(c.name_chars));
    std::wstring temp = L"C:\\" + std::wstring(c.temp_chars - 4, L't') + L"\\";
    std::wstring name(c.name_chars, L'p');
    wchar_t out[msitool::kPackagePathChars + 8];
    for (wchar_t& ch : out) ch = L'#';
    EXPECT_EQ(c.fits, msitool::MakePackageCopyPath(temp.c_str(), name.c_str(), out, n));
    if (c.fits) {
      EXPECT_EQ(temp + name, out);
    }
    for (size_t i = n; i < n + 8; ++i) EXPECT_EQ(L'#', out[i]);
  }
}

}  // namespace
