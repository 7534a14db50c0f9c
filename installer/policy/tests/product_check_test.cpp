// Platform names and lists, version texts, and the product check with the
// policy and the registry as sources.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_policy_store.h"
#include "platform.h"
#include "platform_detect.h"
#include "policy_adapter_wrapper.h"
#include "product_check.h"
#include "product_keys.h"
#include "tch_policy_adapter.h"
#include "test_log.h"
#include "version_text.h"
#include "wine_test_env.h"

namespace {

TEST(Platform, SupportedByList) {
  struct Case {
    const char* name;
    unsigned sp;
    const char* list;
    bool supported;
  } cases[] = {
      {"nt51", 2, "", true},
      {"nt51", 2, "*, nt40", true},
      {"", 2, "nt51", false},
      {"nt51", 2, "nt50, nt51SP3-", false},
      {"nt51", 2, "NT51SP2", true},
      {"nt51", 2, "nt51SP-2", true},
      {"nt51", 3, "nt51SP-2", false},
      {"nt51", 2, "nt51SP2-3", true},
      {"nt51", 4, "nt51SP2-3", false},
      {"nt60", 5, "nt60SP1-", true},
      {"nt60", 0, "nt60SP1-", false},
      {"nt61-64", 1, "nt61", false},
      {"nt61-64", 1, " nt62 ,, NT61-64 ", true},
      {"nt51", 2, "nt51SP", false},
      {"nt51", 2, "nt51SP 1 - 2", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.supported, PlatformSupported(c.name, c.sp, c.list))
        << c.name << " SP" << c.sp << " in '" << c.list << "'";
}

TEST(Platform, Names) {
  struct Case {
    int code;
    bool win64;
    const char* name;
  } cases[] = {{102, false, "unknown"}, {111, true, "nt51"},   {112, true, ".net-64"},
               {115, false, "nt61"},    {115, true, "nt61-64"}, {122, true, "nt100s-64"},
               {105, true, "unknown"}};
  for (const Case& c : cases) {
    char name[65];
    ASSERT_TRUE(FixedPlatformName(c.code, c.win64, name, sizeof(name)));
    EXPECT_STREQ(c.name, name);
  }
  char name[65];
  EXPECT_FALSE(FixedPlatformName(123, false, name, sizeof(name)));
  FormPlatformName(true, 10, 0, false, true, name, sizeof(name));
  EXPECT_STREQ("nt100s-64", name);
  FormPlatformName(false, 4, 10, true, false, name, sizeof(name));
  EXPECT_STREQ("410", name);
}

INT32 Code130() { return 130; }
INT32 ServicePack3(INT32* info) {
  *info = 0x70003;
  return 0;
}
INT32 Yes() { return 1; }
bool Server63(OSVERSIONINFOEXA* v) {
  memset(v, 0, sizeof(*v));
  v->dwPlatformId = VER_PLATFORM_WIN32_NT;
  v->dwMajorVersion = 6;
  v->dwMinorVersion = 3;
  v->wProductType = VER_NT_SERVER;
  return true;
}

TEST(Platform, DetectFormsNameForUnknownCode) {
  PlatformCalls calls = {Code130, ServicePack3, Yes, Server63};
  PlatformInfo info;
  DetectPlatform(calls, &info);
  EXPECT_EQ(130u, info.code);
  EXPECT_STREQ("nt63s-64", info.name);
  EXPECT_EQ(3, info.servicePack);
}

TEST(VersionText, Compare) {
  struct Case {
    const char* a;
    const char* b;
    int result;
  } cases[] = {
      {"8.1", "8.05", 1},         {"8.01", "8.1", -1},       {"8.10", "8.1", 0},
      {"8.00", "", 1},            {"", "", 0},               {"9", "8.99", 1},
      {"8.00.1234", "8.00.1300", -1}, {"8.00.1234", "8.00", 0}, {" 8 . 5", "8.50", 0},
      {"8.00.0", "8.00.5", 0},    {"x8.0", "0.0", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.result, CompareVersionTexts(c.a, c.b)) << c.a << " vs " << c.b;
}

const char kRoot[] = "Software\\HxPolicyTest";

class ProductCheckFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    testlog::Lines().clear();
    hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kRoot);
    memset(&product, 0, sizeof(product));
    lstrcpynA(product.productOid, "1.3.6.1.4.1.5839.12", sizeof(product.productOid));
    input.platformName = "nt61-64";
    input.servicePack = 1;
    input.product = &product;
    input.productRootKey = kRoot;
    input.wrapper = &wrapper;
    input.log = testlog::Sink;
    ASSERT_TRUE((wrapper.Initialize<TCHPolicyAdapter, TCHPolicyAdapter>(nullptr)));
  }
  void TearDown() override { hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kRoot); }
  void SetRange(const char* min, unsigned minBuild, const char* max, unsigned maxBuild) {
    lstrcpynA(product.verMin, min, sizeof(product.verMin));
    lstrcpynA(product.verMax, max, sizeof(product.verMax));
    product.verMinBuild = minBuild;
    product.verMaxBuild = maxBuild;
    snprintf(product.minVersionText, sizeof(product.minVersionText),
             minBuild ? "%s.%u" : "%s", min, minBuild);
    snprintf(product.maxVersionText, sizeof(product.maxVersionText),
             maxBuild ? "%s.%u" : "%s", max, maxBuild);
  }
  void RegistryValue(const char* key, const char* name, const char* value) {
    std::string path = std::string(kRoot) + "\\" + key;
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &h, nullptr));
    RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(h);
  }
  fake::ScopedFakePolicy fake_;
  PolicyAdapterWrapper wrapper;
  ProductRequirement product;
  ProductCheckInput input;
  ProductCheckResult result;
};

TEST_F(ProductCheckFixture, VersionRangeFromPolicy) {
  struct Case {
    const char* version;
    const char* build;
    const char* min;
    unsigned minBuild;
    const char* max;
    unsigned maxBuild;
    bool within;
  } cases[] = {
      {"8.1", "", "8.05", 0, "9.0", 0, true},
      {"8.1", "", "8.05", 0, "", 0, false},  // an empty maximum reads as 0.0
      {"8.00", "1234", "8.00", 1300, "9.0", 0, false},
      {"8.00", "1234", "8.00", 0, "9.0", 0, true},
      {"8.00", "1234", "7.0", 0, "8.00", 1234, true},
      {"8.00", "1235", "7.0", 0, "8.00", 1234, false},
  };
  for (const Case& c : cases) {
    fake::TheStore().AddScalar("1.3.6.1.4.1.5839.12.2.1", 3, c.version, 0);
    fake::TheStore().AddScalar("1.3.6.1.4.1.5839.12.2.7", 3, c.build, 0);
    fake::TheStore().AddScalar("1.3.6.1.4.1.5839.12.1.2", 3, "EN", 0);
    SetRange(c.min, c.minBuild, c.max, c.maxBuild);
    CheckProduct(input, &result);
    EXPECT_TRUE(result.productInstalled);
    EXPECT_EQ(c.within, result.withinRange) << c.version << "." << c.build;
    EXPECT_STREQ("EN", result.productLanguage);
  }
  EXPECT_TRUE(testlog::Contains("Currently installed version of product \"1.3.6.1.4.1.5839.12\": "
                                "8.00.1235\n"));
  EXPECT_TRUE(testlog::Contains("Hotfix compatibility with product comparison:\nMin range: "
                                "product 8.00, hotfix 7.0; Max range: product 8.00.1235, hotfix "
                                "8.00.1234\nProduct version within range=0\n"));
}

TEST_F(ProductCheckFixture, UnsupportedPlatformStopsTheCheck) {
  lstrcpynA(product.productPlatforms, "nt51", sizeof(product.productPlatforms));
  CheckProduct(input, &result);
  EXPECT_FALSE(result.platformSupported);
  EXPECT_FALSE(result.productInstalled);
  EXPECT_EQ((std::vector<std::string>{"This hotfix does not support current platform.\n"}),
            testlog::Lines());
}

TEST_F(ProductCheckFixture, RegistryFallback) {
  RegistryValue(HX_PRODUCT_KEY_ENDPOINT, HX_PRODUCT_VERSION_VALUE, "8.00");
  RegistryValue(HX_PRODUCT_KEY_ENDPOINT, HX_PRODUCT_VERSION_EX_VALUE, "8.00.123456789");
  SetRange("8.00", 0, "8.00", 0);
  CheckProduct(input, &result);
  EXPECT_TRUE(result.productInstalled);
  EXPECT_STREQ("8.00", result.installedVersion);
  EXPECT_STREQ("1234567", result.installedBuild);  // cut to 7 characters
  EXPECT_TRUE(result.withinRange);
  EXPECT_TRUE(testlog::Contains("Obtaining the installed product version from registry key: "
                                "\"Endpoint Security\"\n"));
  EXPECT_TRUE(testlog::Contains("Registry value \"CurrentVersion\" read successfully\n"));
}

TEST_F(ProductCheckFixture, TooLongRegistryVersionReadsAsMissing) {
  RegistryValue("Custom", HX_PRODUCT_VERSION_VALUE, "8.00.0001");
  lstrcpynA(product.productRegKey, "Custom", sizeof(product.productRegKey));
  CheckProduct(input, &result);
  EXPECT_FALSE(result.productInstalled);
  EXPECT_STREQ("", result.installedVersion);
  EXPECT_TRUE(testlog::Contains("Error 234 reading registry value \"CurrentVersion\"\n"));
}

TEST_F(ProductCheckFixture, UnknownProductWithoutKeyIsNotInstalled) {
  lstrcpynA(product.productOid, "1.3.6.1.4.1.5839.99", sizeof(product.productOid));
  CheckProduct(input, &result);
  EXPECT_FALSE(result.productInstalled);
  EXPECT_TRUE(testlog::Contains("Obtaining the installed product version from registry key: "
                                "\"NULL\"\n"));
  EXPECT_TRUE(testlog::Contains("Product version variable \"1.3.6.1.4.1.5839.99 \" unavailable "
                                "in policy, assuming product not installed.\n"));
}

TEST_F(ProductCheckFixture, PolicyTextTooLongForBufferReadsAsMissing) {
  fake::TheStore().AddScalar("1.3.6.1.4.1.5839.12.2.1", 3, "8.00.00001", 0);
  char out[8];
  EXPECT_EQ(0u, ReadPolicyText(&wrapper, "1.3.6.1.4.1.5839.12.2.1", out, sizeof(out)));
  EXPECT_STREQ("", out);
  EXPECT_EQ(0u, ReadPolicyText(nullptr, "1.3.6.1.4.1.5839.12.2.1", out, sizeof(out)));
}

}  // namespace
