// Policy adapters and wrapper against an in-memory store: connection order,
// the probe, and the custom-setting operations.
#include <gtest/gtest.h>

#include "custom_policy_operations.h"
#include "fake_policy_store.h"
#include "policy_adapter_wrapper.h"
#include "tch_policy_adapter.h"
#include "test_log.h"

namespace {

int gSleeps = 0;
void CountSleep(DWORD ms) {
  EXPECT_EQ(5000u, ms);
  ++gSleeps;
}

class PolicyFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    gSleeps = 0;
    previousSleep_ = UsePolicySleep(CountSleep);
    testlog::Lines().clear();
  }
  void TearDown() override { UsePolicySleep(previousSleep_); }
  fake::Store& store() { return fake::TheStore(); }
  fake::ScopedFakePolicy fake_;
  PolicySleepFunction previousSleep_ = nullptr;
};

// Adapters that record the order in which they were tried.
std::vector<std::string> gTried;
template <bool kConnects>
class ScriptedAdapter : public TCHPolicyAdapter {
 public:
  explicit ScriptedAdapter(const char* name) : name_(name) {}
  bool Initialize() override {
    gTried.push_back(name_);
    return kConnects && TCHPolicyAdapter::Initialize();
  }
  const char* name_;
};
struct AgentLike : ScriptedAdapter<true> { AgentLike() : ScriptedAdapter("agent") {} };
struct ChannelLike : ScriptedAdapter<true> { ChannelLike() : ScriptedAdapter("channel") {} };
struct Refusing : ScriptedAdapter<false> { Refusing() : ScriptedAdapter("refusing") {} };

TEST_F(PolicyFixture, DefaultAdapterIsTriedFirstAndKeptWhenItConnects) {
  struct Case {
    bool agentFirst;
    const char* expectedFirst;
  } cases[] = {{true, "agent"}, {false, "channel"}};
  for (const Case& c : cases) {
    gTried.clear();
    PolicyAdapterWrapper wrapper;
    bool ok = c.agentFirst ? wrapper.Initialize<AgentLike, ChannelLike>(testlog::SinkV)
                           : wrapper.Initialize<ChannelLike, AgentLike>(testlog::SinkV);
    EXPECT_TRUE(ok);
    ASSERT_EQ(1u, gTried.size());
    EXPECT_EQ(c.expectedFirst, gTried[0]);
  }
}

TEST_F(PolicyFixture, ProbeAnsweredNotFoundAtOnceConnectsWithoutSleeping) {
  PolicyAdapterWrapper wrapper;
  EXPECT_TRUE((wrapper.Initialize<TCHPolicyAdapter, Refusing>(testlog::SinkV)));
  EXPECT_EQ(0, gSleeps);
  EXPECT_EQ(1, store().getPolicyCalls);
  EXPECT_EQ(1, testlog::Count("Policy access ok"));
  EXPECT_EQ(1, testlog::Count("TCH connection initialized"));
  EXPECT_TRUE(store().live.empty());
}

TEST_F(PolicyFixture, ProbeAnsweredTwentyTimesFallsBackToSecondary) {
  // The probe OID exists: the store counts as not accessible.
  store().AddScalar(HX_POLICY_PROBE_OID, 3, "x", 0);
  gTried.clear();
  PolicyAdapterWrapper wrapper;
  EXPECT_FALSE((wrapper.Initialize<AgentLike, ChannelLike>(testlog::SinkV)));
  EXPECT_EQ(40, gSleeps);  // twenty per adapter, the last probe's sleep included
  EXPECT_EQ((std::vector<std::string>{"agent", "channel"}), gTried);
  EXPECT_EQ(40, testlog::Count("Wait for policy to be accessible"));
  EXPECT_EQ(2, testlog::Count("Policy access is not working"));
  EXPECT_EQ(1, testlog::Count("Failed to initialize the default policy adapter"));
  EXPECT_EQ(1, testlog::Count("Failed to initialize the secondary policy adapter. Policy "
                              "connection will not work."));
  EXPECT_EQ(0, store().channelsOpen);  // each failed adapter released its channel
  EXPECT_FALSE(wrapper.IsConnected());
  std::string text;
  EXPECT_NE(0, wrapper.GetStringValue("1.2.3", text));
}

TEST_F(PolicyFixture, SecondaryConnectsWhenDefaultFailsToInitialize) {
  gTried.clear();
  PolicyAdapterWrapper wrapper;
  EXPECT_TRUE((wrapper.Initialize<Refusing, ChannelLike>(testlog::SinkV)));
  EXPECT_EQ((std::vector<std::string>{"refusing", "channel"}), gTried);
  EXPECT_EQ(0, gSleeps);
}

TEST_F(PolicyFixture, InitializeOnConnectedWrapperKeepsAdapter) {
  PolicyAdapterWrapper wrapper;
  ASSERT_TRUE((wrapper.Initialize<TCHPolicyAdapter, TCHPolicyAdapter>(testlog::SinkV)));
  IPolicyAdapter* adapter = wrapper.adapter();
  testlog::Lines().clear();
  EXPECT_TRUE((wrapper.Initialize<Refusing, Refusing>(testlog::SinkV)));
  EXPECT_EQ(adapter, wrapper.adapter());
  EXPECT_EQ((std::vector<std::string>{"PolicyAdapterWrapper::Initialize"}), testlog::Lines());
  EXPECT_TRUE(wrapper.Uninitialize());
  EXPECT_EQ(0, store().channelsOpen);
  EXPECT_TRUE(wrapper.Uninitialize());  // nothing held: success
}

TEST_F(PolicyFixture, DetachedLogKeepsReleaseQuiet) {
  PolicyAdapterWrapper wrapper;
  ASSERT_TRUE((wrapper.Initialize<TCHPolicyAdapter, TCHPolicyAdapter>(testlog::SinkV)));
  testlog::Lines().clear();
  wrapper.DetachLog();
  EXPECT_TRUE(wrapper.Uninitialize());
  EXPECT_TRUE(testlog::Lines().empty());
  EXPECT_EQ(0, store().channelsOpen);
}

TEST_F(PolicyFixture, TchInitializeFailureIsLogged) {
  store().tchInitializeResult = -77;
  TCHPolicyAdapter adapter;
  adapter.SetLogCallback(testlog::SinkV);
  EXPECT_FALSE(adapter.Initialize());
  EXPECT_EQ((std::vector<std::string>{"Initializing TCH policy connection",
                                      "Failed to initialize TCH"}),
            testlog::Lines());
}

class ConnectedFixture : public PolicyFixture {
 protected:
  void SetUp() override {
    PolicyFixture::SetUp();
    ASSERT_TRUE((wrapper.Initialize<TCHPolicyAdapter, TCHPolicyAdapter>(testlog::SinkV)));
  }
  PolicyAdapterWrapper wrapper;
};

TEST_F(ConnectedFixture, SetPolicyTableValueCountsFromOne) {
  fake::Variable& t = store().AddTable("1.3.6.1.4.1.5839.9", {7, 3, 2});
  t.rows.assign(2, std::vector<fake::Cell>(3));
  EXPECT_EQ(0, SetPolicyTableValue(wrapper, "1.3.6.1.4.1.5839.9", 1, 1, "42abc"));
  EXPECT_EQ(0, SetPolicyTableValue(wrapper, "1.3.6.1.4.1.5839.9", 2, 2, "text"));
  const fake::Variable& after = store().stored["1.3.6.1.4.1.5839.9"];
  EXPECT_EQ(42, after.rows[0][0].number);
  EXPECT_EQ("text", after.rows[1][1].text);
  // Column 3 holds value records: neither text nor a number.
  int setsBefore = store().setPolicyCalls;
  EXPECT_EQ(-511, SetPolicyTableValue(wrapper, "1.3.6.1.4.1.5839.9", 1, 3, "x"));
  EXPECT_EQ(setsBefore, store().setPolicyCalls);
  EXPECT_TRUE(store().live.empty());
}

TEST_F(ConnectedFixture, SetPolicyValueByType) {
  store().AddScalar("1.1", 4, "old", 0);
  store().AddScalar("1.2", 9, "", 5);
  store().AddScalar("1.3", 2, "", 0);
  EXPECT_EQ(0, SetPolicyValue(wrapper, "1.1", "new"));
  EXPECT_EQ(0, SetPolicyValue(wrapper, "1.2", "not a number"));
  EXPECT_EQ(-511, SetPolicyValue(wrapper, "1.3", "5"));
  EXPECT_EQ(-508, SetPolicyValue(wrapper, "1.4", "5"));
  EXPECT_EQ("new", store().stored["1.1"].text);
  EXPECT_EQ(0, store().stored["1.2"].number);
  EXPECT_EQ(0, SetPolicyValue(wrapper, "1.2", "-17 apples"));
  EXPECT_EQ(-17, store().stored["1.2"].number);
}

TEST_F(ConnectedFixture, ClearPolicyTableStoresEvenWhenRemovalsFail) {
  fake::Variable& t = store().AddTable("2.1", {3});
  t.rows.assign(3, std::vector<fake::Cell>(1));
  EXPECT_EQ(0, ClearPolicyTable(wrapper, "2.1"));
  EXPECT_TRUE(store().stored["2.1"].rows.empty());

  fake::Variable& u = store().AddTable("2.2", {3});
  u.rows.assign(2, std::vector<fake::Cell>(1));
  store().removeRowResult = -3;
  int setsBefore = store().setPolicyCalls;
  EXPECT_EQ(0, ClearPolicyTable(wrapper, "2.2"));
  EXPECT_EQ(setsBefore + 1, store().setPolicyCalls);
  EXPECT_EQ(-508, ClearPolicyTable(wrapper, "2.3"));
}

TEST_F(ConnectedFixture, GetColumnStrings) {
  fake::Variable& t = store().AddTable("3.1", {7, 3});
  t.rows.assign(2, std::vector<fake::Cell>(2));
  t.rows[0][1].text = "first";
  t.rows[1][1].text = "second";
  TextList list{"unchanged"};
  EXPECT_EQ(-4, wrapper.GetColumnStrings("3.1", list, 2));
  EXPECT_EQ(-4, wrapper.GetColumnStrings("3.1", list, 5));
  EXPECT_EQ(-4, wrapper.GetColumnStrings("3.9", list, 0));  // read failed: columns stay 0
  EXPECT_EQ((TextList{"unchanged"}), list);
  EXPECT_EQ(0, wrapper.GetColumnStrings("3.1", list, 1));
  EXPECT_EQ((TextList{"first", "second"}), list);
  EXPECT_TRUE(store().live.empty());
}

TEST_F(ConnectedFixture, GetStringValueAndProductVersion) {
  store().AddScalar("1.3.6.1.4.1.5839.12.2.1", 3, "8.00", 0);
  std::string text = "before";
  EXPECT_EQ(0, wrapper.GetProductVersion("1.3.6.1.4.1.5839.12", text));
  EXPECT_EQ("8.00", text);
  EXPECT_EQ(-508, wrapper.GetStringValue("9.9", text));
  EXPECT_EQ("8.00", text);
  fake::Variable& h = store().AddTable("1.3.6.1.4.1.5839.12.2.9.10", {7, 3});
  h.rows.assign(1, std::vector<fake::Cell>(2));
  h.rows[0][1].text = "HF1";
  TextList ids;
  EXPECT_EQ(0, wrapper.GetInstalledHotfixIds("1.3.6.1.4.1.5839.12", ids));
  EXPECT_EQ((TextList{"HF1"}), ids);
}

}  // namespace
