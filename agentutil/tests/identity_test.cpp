#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agentutil/agent_table.h"
#include "agentutil/identity.h"
#include "fake_policy.h"

using agentutil_test::FakePolicy;

namespace {

class CollectingSink : public agentutil::TextSink {
 public:
  void Write(const char* text) override { text_ += text; }
  std::string text_;
};

class FakeEnvironment : public agentutil::IdentityEnvironment {
 public:
  agentutil::PolicyApi& policy() override { return policy_; }
  void SetResetFlag() override { ++flag_sets; }
  agentutil::ResultCode RestartAgent(agentutil::ResultCode identity_result,
                                     agentutil::TextSink& out) override {
    ++restarts;
    restart_got = identity_result;
    out.Write("<restart>");
    return restart_result;
  }
  FakePolicy policy_;
  int flag_sets = 0;
  int restarts = 0;
  agentutil::ResultCode restart_got = 0;
  agentutil::ResultCode restart_result = 0x04000000u;
};

const char kNextRestart[] =
    "Tarnvale Management Unique Identity will be created at the next system restart.\n";
const char kFewSeconds[] = "Tarnvale Management Unique Identity will be created in a few seconds.\n";

struct ShowCase {
  INT32 method;
  INT32 operation;
  INT32 get_uid_result;
  std::string expected;
};

class ShowUidTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowUidTest, PrintsTypeAndValueOrPending) {
  const ShowCase& c = GetParam();
  FakePolicy policy;
  policy.method = c.method;
  policy.operation = c.operation;
  policy.get_uid_result = c.get_uid_result;
  policy.uid = "HOST-UID-1";
  CollectingSink out;
  EXPECT_EQ(0u, agentutil::ShowUid(policy, out));
  EXPECT_EQ(c.expected, out.text_);
  if (c.operation == 1) {
    EXPECT_EQ(std::string::npos, policy.calls.find("QmpGetUIDA"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Methods, ShowUidTest,
    ::testing::Values(
        ShowCase{0, 0, 0, "Identity type=SMBIOSGUID, value=HOST-UID-1\n"},
        ShowCase{1, 2, 0, "Identity type=RANDOMGUID, value=HOST-UID-1\n"},
        ShowCase{2, 0, 0, "Identity type=WINS, value=HOST-UID-1\n"},
        ShowCase{3, 0, 0, "Identity type=MAC, value=HOST-UID-1\n"},
        ShowCase{4, 0, 0, "Identity type=UNKNOWN, value=HOST-UID-1\n"},
        ShowCase{-1, 0, 0, "Identity type=UNKNOWN, value=HOST-UID-1\n"},
        ShowCase{1, 1, 0, std::string("Identity type=RANDOMGUID\n") + kNextRestart},
        ShowCase{2, 0, -9, "Error getting GUID\n"}));

TEST(ShowUidTest, LongestIdentityIsPrintedWhole) {
  FakePolicy policy;
  policy.uid = std::string(254, 'u');
  CollectingSink out;
  agentutil::ShowUid(policy, out);
  EXPECT_EQ("Identity type=SMBIOSGUID, value=" + policy.uid + "\n", out.text_);
}

struct ResetCase {
  const char* name;
  std::vector<const char*> args;  // after RESETUID
  INT32 create_uid_result;
  agentutil::ResultCode expected;
  std::string expected_output;
  INT32 expected_method;  // stored method; 7 = untouched
  bool touched;           // identity requested and flag set
  int restarts;
};

class ResetUidTest : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetUidTest, RefusesOrRequestsTheIdentity) {
  const ResetCase& c = GetParam();
  FakeEnvironment env;
  env.policy_.method = 7;
  env.policy_.create_uid_result = c.create_uid_result;
  CollectingSink out;
  EXPECT_EQ(c.expected, agentutil::ResetUid(static_cast<int>(c.args.size()), c.args.data(), env,
                                            out));
  EXPECT_EQ(c.expected_output, out.text_);
  EXPECT_EQ(c.expected_method, env.policy_.method);
  EXPECT_EQ(c.touched ? "QmUIDSetMethod;QmpCreateUID;" : "", env.policy_.calls);
  EXPECT_EQ(c.touched ? 1 : 0, env.flag_sets);
  EXPECT_EQ(c.restarts, env.restarts);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ResetUidTest,
    ::testing::Values(
        ResetCase{"NoMethod", {}, 0, 0x84000003u, "", 7, false, 0},
        ResetCase{"UnknownMethod", {"GUID"}, 0, 0x84000003u, "Invalid algorithm\n", 7, false, 0},
        ResetCase{"NotApplyNow", {"MAC", "NOW"}, 0, 0x84000003u,
                  "Invalid parameter: only APPLYNOW is allowed\n", 7, false, 0},
        ResetCase{"Smbios", {"SMBIOSGUID"}, 0, 0x04000000u, kNextRestart, 0, true, 0},
        ResetCase{"Random", {"RANDOMGUID"}, 0, 0x04000000u, kNextRestart, 1, true, 0},
        ResetCase{"MacLower", {"mac"}, 0, 0x04000000u, kNextRestart, 3, true, 0},
        ResetCase{"WinsApplyNowLower", {"wins", "applynow", "ignored"}, 0, 0x04000000u,
                  std::string(kFewSeconds) + "<restart>", 2, true, 1},
        ResetCase{"RequestFails", {"WINS"}, -71, 0x84000001u,
                  "Tarnvale Management Unique Identity creation failed, error = -71.\n", 2, true,
                  0},
        // A failed request still sets the flag and restarts.
        ResetCase{"RequestFailsApplyNow", {"WINS", "APPLYNOW"}, 5, 0x04000000u,
                  "Tarnvale Management Unique Identity creation failed, error = 5.\n<restart>", 2,
                  true, 1}),
    [](const ::testing::TestParamInfo<ResetCase>& info) { return info.param.name; });

TEST(ResetUidTest, RestartGetsTheRequestResultAndDecides) {
  FakeEnvironment env;
  env.policy_.create_uid_result = 3;
  env.restart_result = 0x84000003u;
  CollectingSink out;
  const char* args[] = {"RANDOMGUID", "APPLYNOW"};
  EXPECT_EQ(0x84000003u, agentutil::ResetUid(2, args, env, out));
  EXPECT_EQ(0x84000001u, env.restart_got);
}

TEST(AgentTableTest, EmptiesColumnsOneToThreeOfEveryRow) {
  FakePolicy policy;
  policy.table = {{"a0", "a1", "a2", "a3"}, {"b0", "b1", "b2", "b3"}};
  EXPECT_EQ(0, agentutil::ClearAgentTable(policy));
  ASSERT_TRUE(policy.table_written);
  std::vector<std::vector<std::string> > expected = {{"a0", "", "", ""}, {"b0", "", "", ""}};
  EXPECT_EQ(expected, policy.written);
  EXPECT_EQ(0, policy.open_channels);
  EXPECT_EQ(0, policy.open_variables);
}

TEST(AgentTableTest, TableWithoutRowsIsWrittenBackUnchanged) {
  FakePolicy policy;
  EXPECT_EQ(0, agentutil::ClearAgentTable(policy));
  EXPECT_TRUE(policy.table_written);
  EXPECT_TRUE(policy.written.empty());
  EXPECT_EQ(std::string::npos, policy.calls.find("QmpSetCellStringA"));
}

class AgentTableFailureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(AgentTableFailureTest, StopsAtTheFailingCallAndReleasesEverything) {
  FakePolicy policy;
  policy.table = {{"a0", "a1", "a2", "a3"}};
  policy.failing_call = GetParam();
  EXPECT_EQ(-17, agentutil::ClearAgentTable(policy));
  EXPECT_EQ(0, policy.open_channels);
  EXPECT_EQ(0, policy.open_variables);
  // Nothing after the failing call but the releases.
  std::string tail = policy.calls.substr(policy.calls.find(GetParam()) + strlen(GetParam()) + 1);
  EXPECT_EQ(std::string::npos, tail.find("TchSetPolicy")) << policy.calls;
  EXPECT_EQ(std::string::npos, tail.find("QmpSetCellStringA")) << policy.calls;
}

INSTANTIATE_TEST_SUITE_P(Calls, AgentTableFailureTest,
                         ::testing::Values("TchInitialize", "QmpCreatePolicyVar", "QmpSetOID",
                                           "TchGetPolicy"));

TEST(AgentTableTest, FailedWriteStillReleases) {
  FakePolicy policy;
  policy.table = {{"a0", "a1", "a2", "a3"}};
  policy.failing_call = "TchSetPolicy";
  EXPECT_EQ(-17, agentutil::ClearAgentTable(policy));
  EXPECT_EQ(0, policy.open_channels);
  EXPECT_EQ(0, policy.open_variables);
}

}  // namespace
