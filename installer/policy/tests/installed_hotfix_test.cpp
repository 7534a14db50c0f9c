// The installed-hotfix tables: read, replace or append, write back whole.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "fake_policy_store.h"
#include "hotfix_time.h"
#include "installed_hotfix_data.h"
#include "policy_adapter_wrapper.h"
#include "tch_policy_adapter.h"
#include "test_log.h"

namespace {

const char kProduct[] = "1.3.6.1.4.1.5839.12";
const char kProductTable[] = "1.3.6.1.4.1.5839.12.2.9.10";

ProductHotfixEntry ProductEntry(const char* id, int64_t installed) {
  ProductHotfixEntry e;
  memset(&e, 0, sizeof(e));
  lstrcpynA(e.id, id, sizeof(e.id));
  lstrcpynA(e.description, "descr", sizeof(e.description));
  e.releaseDate = ParseReleaseDate("");
  lstrcpynA(e.productVersion, "8.00", sizeof(e.productVersion));
  lstrcpynA(e.productBuild, "1234", sizeof(e.productBuild));
  e.installationTime = installed;
  return e;
}

AgentHotfixEntry AgentEntry(const char* id, const char* oid, int64_t installed) {
  AgentHotfixEntry e;
  memset(&e, 0, sizeof(e));
  lstrcpynA(e.id, id, sizeof(e.id));
  lstrcpynA(e.productOid, oid, sizeof(e.productOid));
  lstrcpynA(e.productName, "Product", sizeof(e.productName));
  e.installationTime = installed;
  return e;
}

class HotfixTableFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    testlog::Lines().clear();
    store().AddTable(kProductTable, {7, 3, 3, 7, 3, 3, 7});
    store().AddTable(HX_AGENT_HOTFIX_TABLE_OID, {7, 3, 2, 3, 7, 7});
    ASSERT_TRUE((wrapper.Initialize<TCHPolicyAdapter, TCHPolicyAdapter>(nullptr)));
    ASSERT_TRUE(data.SetProductOid(kProduct));
  }
  fake::Store& store() { return fake::TheStore(); }
  // Writes the entries through the code under test, then reads them back.
  void Write() { ASSERT_TRUE(data.WriteToPolicy(wrapper)); }
  fake::ScopedFakePolicy fake_;
  PolicyAdapterWrapper wrapper;
  InstalledHotfixData data;
};

TEST_F(HotfixTableFixture, EmptyTablesGetRowZero) {
  ASSERT_TRUE(data.ReadFromPolicy(wrapper));
  EXPECT_EQ(0u, data.productEntries.Count());
  EXPECT_EQ(0u, data.agentEntries.Count());
  ASSERT_TRUE(data.productEntries.Put(ProductEntry("HF-1", 1000)));
  ASSERT_TRUE(data.agentEntries.Put(AgentEntry("HF-1", kProduct, 1000)));
  Write();
  const fake::Variable& p = store().stored[kProductTable];
  ASSERT_EQ(1u, p.rows.size());
  EXPECT_EQ(0, p.rows[0][0].number);
  EXPECT_EQ("HF-1", p.rows[0][1].text);
  // An empty release date is -1, stored as 0xFFFFFFFF and read back unsigned.
  EXPECT_EQ(-1, p.rows[0][3].number);
  const fake::Variable& a = store().stored[HX_AGENT_HOTFIX_TABLE_OID];
  ASSERT_EQ(1u, a.rows.size());
  EXPECT_EQ(kProduct, a.rows[0][2].text);
  ASSERT_TRUE(data.ReadFromPolicy(wrapper));
  int64_t released = 0;
  data.productEntries.ForEach([&](const ProductHotfixEntry& e) { released = e.releaseDate; });
  EXPECT_EQ(0xFFFFFFFFLL, released);
  EXPECT_TRUE(store().live.empty());
}

TEST_F(HotfixTableFixture, SameIdInAnyCaseReplacesInPlaceOthersAppend) {
  data.productEntries.Put(ProductEntry("HF-1", 1));
  data.productEntries.Put(ProductEntry("HF-2", 2));
  data.agentEntries.Put(AgentEntry("HF-1", kProduct, 1));
  data.agentEntries.Put(AgentEntry("HF-2", "1.3.6.1.4.1.5839.14", 2));  // another product
  Write();

  InstalledHotfixData again;
  ASSERT_TRUE(again.SetProductOid(kProduct));
  ASSERT_TRUE(again.ReadFromPolicy(wrapper));
  ASSERT_TRUE(again.productEntries.Put(ProductEntry("hf-1", 99)));
  ASSERT_TRUE(again.agentEntries.Put(AgentEntry("hf-2", kProduct, 99)));
  ASSERT_TRUE(again.productEntries.Put(ProductEntry("HF-3", 3)));
  ASSERT_TRUE(again.WriteToPolicy(wrapper));

  const fake::Variable& p = store().stored[kProductTable];
  ASSERT_EQ(3u, p.rows.size());
  EXPECT_EQ("hf-1", p.rows[0][1].text);
  EXPECT_EQ(99, p.rows[0][6].number);
  EXPECT_EQ("HF-2", p.rows[1][1].text);
  EXPECT_EQ("HF-3", p.rows[2][1].text);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(i, p.rows[i][0].number);
  const fake::Variable& a = store().stored[HX_AGENT_HOTFIX_TABLE_OID];
  ASSERT_EQ(2u, a.rows.size());
  EXPECT_EQ("hf-2", a.rows[1][1].text);
  EXPECT_EQ(kProduct, a.rows[1][2].text);
}

TEST_F(HotfixTableFixture, FailuresRecordErrorKindAndCode) {
  // A missing agent table: the product part reads, the agent part fails in
  // GetPolicy with policy error 0.
  store().stored.erase(HX_AGENT_HOTFIX_TABLE_OID);
  EXPECT_FALSE(data.ReadFromPolicy(wrapper));
  EXPECT_EQ(0, data.productPart.errorKind);
  EXPECT_EQ(2, data.agentPart.errorKind);
  EXPECT_EQ(0, data.agentPart.policyError);

  // A product write refused by the store leaves the agent part untried.
  store().AddTable(HX_AGENT_HOTFIX_TABLE_OID, {7, 3, 2, 3, 7, 7});
  store().setResult[kProductTable] = -42;
  EXPECT_FALSE(data.WriteToPolicy(wrapper));
  EXPECT_EQ(2, data.productPart.errorKind);
  EXPECT_EQ(0, data.agentPart.errorKind);
  EXPECT_TRUE(store().live.empty());
}

TEST_F(HotfixTableFixture, ProductOidTooLongForTableOidIsRejected) {
  std::string longOid(121, '1');
  EXPECT_FALSE(data.SetProductOid(longOid.c_str()));
  int getsBefore = store().getPolicyCalls;
  EXPECT_FALSE(data.ReadFromPolicy(wrapper));
  EXPECT_EQ(2, data.productPart.errorKind);
  EXPECT_EQ(getsBefore, store().getPolicyCalls);  // nothing read under a cut OID
  EXPECT_TRUE(data.SetProductOid(std::string(120, '1').c_str()));
}

TEST_F(HotfixTableFixture, PrintEntries) {
  data.productEntries.Put(ProductEntry("HF-1", 1));
  data.agentEntries.Put(AgentEntry("HF-1", kProduct, 1));
  data.PrintEntries(testlog::Sink);
  ASSERT_EQ(5u, testlog::Lines().size());
  EXPECT_EQ("=== Installed hotfixes in policy of product 1.3.6.1.4.1.5839.12 (1 entries):\n",
            testlog::Lines()[0]);
  EXPECT_EQ(0u, testlog::Lines()[1].find("ID=HF-1, descr=descr, released="));
  EXPECT_EQ(0u, testlog::Lines()[2].find("applied: on product ver 8.00.1234, date="));
  EXPECT_EQ("=== Installed hotfixes in TVMA policy (1 entries):\n", testlog::Lines()[3]);
  EXPECT_EQ(0u, testlog::Lines()[4].find("ID=HF-1, product=1.3.6.1.4.1.5839.12 (\"Product\"), "
                                         "applied on "));
}

TEST(HotfixTime, ReleaseDateIsLocalMidnight) {
  struct tm expected;
  memset(&expected, 0, sizeof(expected));
  expected.tm_year = 115;
  expected.tm_mon = 6;
  expected.tm_mday = 3;
  int64_t midnight = _mktime64(&expected);
  struct Case {
    const char* text;
    int64_t time;
  } cases[] = {{"2015-07-03", midnight}, {"-2015--07-3", midnight}, {"2015-07-03xyz", midnight}, {"", -1}, {"1969-12-01", -1}};
  for (const Case& c : cases) EXPECT_EQ(c.time, ParseReleaseDate(c.text)) << c.text;
  char text[32];
  FormatHotfixTime(midnight, text, sizeof(text));
  EXPECT_STREQ("Fri Jul 03 00:00:00 2015", text);
}

}  // namespace
