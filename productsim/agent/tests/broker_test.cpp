// The messaging library against a broker inside the test program: module
// registration, routing to pumps and to the agent's own modules, time-outs
// and the broker going away.
#include <gtest/gtest.h>

#include <future>

#include "broker_fixture.h"
#include "packing.h"
#include "policy_codes.h"
#include "productsim/agent/agent_control_client.h"
#include "productsim/tvma/broker_names.h"
#include "store_file.h"

namespace tvsimtest {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr char kModuleA[] = "1.2.3.2.1";
constexpr char kModuleB[] = "1.3.6.1.4.1.5839.11.2.27.10000";

int32_t StatusOf(const Bytes& reply) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && i < static_cast<int>(reply.size()); ++i) v |= uint32_t{reply[i]} << (8 * i);
  return static_cast<int32_t>(v);
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

using BrokerTest = BrokerFixture;

TEST_F(BrokerTest, OneLiveRegistrationPerOid) {
  TVMA_MODULE a = MustRegister(kModuleA);
  TVMA_MODULE again = 0;
  EXPECT_EQ(Tvma().Register2(&again, kModuleA), TVMA_E_ALREADY_REGISTERED);
  EXPECT_EQ(Tvma().Register2(&again, tvsim::kPolicyModuleOid), TVMA_E_ALREADY_REGISTERED);
  EXPECT_EQ(Tvma().Register2(&again, ""), TVMA_E_INVALID_PARAMETER);
  EXPECT_EQ(Tvma().Register2(nullptr, kModuleB), TVMA_E_INVALID_PARAMETER);
  // Unregistering frees the OID at once.
  EXPECT_EQ(Tvma().UnregisterModule(a), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().UnregisterModule(a), TVMA_E_INVALID_PARAMETER);
  TVMA_MODULE b = MustRegister(kModuleA);
  EXPECT_EQ(Tvma().UnregisterModule(b), TVMA_SUCCESS);
}

TEST_F(BrokerTest, RefusedRegistrationsAnswerTheChosenCode) {
  std::string text;
  ASSERT_EQ(tvsim::SendAgentControl("refuse-registrations", "on", &text), TVMA_SUCCESS);
  TVMA_MODULE m = 0;
  EXPECT_EQ(Tvma().Register2(&m, kModuleA), TVMA_E_ALREADY_REGISTERED);
  ASSERT_EQ(tvsim::SendAgentControl("refuse-registrations", "0x84000002", &text), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().Register2(&m, kModuleA), TVMA_E_ACCESS_DENIED);
  ASSERT_EQ(tvsim::SendAgentControl("reset", "", &text), TVMA_SUCCESS);
  m = MustRegister(kModuleA);
  EXPECT_EQ(Tvma().UnregisterModule(m), TVMA_SUCCESS);
}

TEST_F(BrokerTest, PumpHandlesMessagesOnItsThreadAndRepliesReachTheSender) {
  TVMA_MODULE receiver = MustRegister(kModuleA);
  TVMA_MODULE sender = MustRegister(kModuleB);
  {
    PumpThread pump(receiver);
    Bytes reply;
    EXPECT_EQ(Send(sender, kModuleA, 1, ToBytes("payload"), &reply), TVMA_SUCCESS);
    EXPECT_EQ(reply, ToBytes("payload"));
    EXPECT_EQ(Send(sender, kModuleA, 1, {}, &reply), TVMA_SUCCESS);
    EXPECT_TRUE(reply.empty());
    // The handler's own result is the send result.
    EXPECT_EQ(Send(sender, kModuleA, 0x04000001, {}, &reply), TVMA_E_UNHANDLED_MESSAGE);
    // A module may message itself.
    EXPECT_EQ(Send(receiver, kModuleA, 1, ToBytes("x"), &reply), TVMA_SUCCESS);
    // The control tool reaches the module too.
    std::string text;
    EXPECT_EQ(tvsim::SendAgentControl("send", std::string(kModuleA) + " 1 2000 0a0b", &text),
              TVMA_SUCCESS);
    EXPECT_EQ(text, "0a0b");
    EXPECT_EQ(pump.received(), (std::vector<UINT32>{1, 1, 0x04000001, 1, 1}));
    EXPECT_TRUE(pump.ran_on_pump_thread());
    // A stop request handled by the module ends its own pump.
    EXPECT_EQ(Send(sender, kModuleA, 3, {}, nullptr), TVMA_SUCCESS);
    EXPECT_EQ(pump.Join(), TVMA_SUCCESS);
  }
  EXPECT_EQ(Tvma().UnregisterModule(receiver), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().UnregisterModule(sender), TVMA_SUCCESS);
}

TEST_F(BrokerTest, SendRefusals) {
  TVMA_MODULE sender = MustRegister(kModuleB);
  TVMA_MESSAGE m = Tvma().CreateMessage(1);
  EXPECT_EQ(Tvma().Send2(sender, "1.9.9.9", m, 2000), TVMA_E_RECIPIENT_NOT_REGISTRED);
  EXPECT_EQ(Tvma().Send2(sender + 1000, kModuleA, m, 2000), TVMA_E_SENDER_NOT_REGISTRED);
  EXPECT_EQ(Tvma().Send2(sender, kModuleA, m + 1000, 2000), TVMA_E_INVALID_PARAMETER);
  EXPECT_EQ(Tvma().Send2(sender, nullptr, m, 2000), TVMA_E_INVALID_PARAMETER);
  EXPECT_EQ(Tvma().DeleteMessage(m), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().UnregisterModule(sender), TVMA_SUCCESS);
}

TEST_F(BrokerTest, UnansweredSendsEndWithTimeoutWithinTheirTimeout) {
  TVMA_MODULE receiver = MustRegister(kModuleA);  // no pump: nobody answers
  TVMA_MODULE sender = MustRegister(kModuleB);
  std::string text;
  struct Case {
    const char* name;
    const char* destination;
    bool drop;
  } cases[] = {{"recipient without pump", kModuleA, false},
               {"agent drops the reply", tvsim::kPollModuleOid, true}};
  for (const Case& c : cases) {
    ASSERT_EQ(tvsim::SendAgentControl("drop-replies", c.drop ? "on" : "off", &text), TVMA_SUCCESS);
    DWORD start = GetTickCount();
    EXPECT_EQ(Send(sender, c.destination, tvsim::kPollMessage, {}, nullptr, 400), TVMA_E_TIMEOUT)
        << c.name;
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 350u) << c.name;
    EXPECT_LT(elapsed, 2500u) << c.name;
  }
  // A delay shorter than the time-out only delays.
  ASSERT_EQ(tvsim::SendAgentControl("reset", "", &text), TVMA_SUCCESS);
  ASSERT_EQ(tvsim::SendAgentControl("reply-delay", "300", &text), TVMA_SUCCESS);
  DWORD start = GetTickCount();
  EXPECT_EQ(Send(sender, tvsim::kPollModuleOid, tvsim::kPollMessage, {}, nullptr, 3000),
            TVMA_SUCCESS);
  EXPECT_GE(GetTickCount() - start, 250u);
  EXPECT_EQ(Tvma().UnregisterModule(receiver), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().UnregisterModule(sender), TVMA_SUCCESS);
}

TEST_F(BrokerTest, BrokerGoingAwayFailsSendsAndPumpsAtOnce) {
  TVMA_MODULE receiver = MustRegister(kModuleA);
  TVMA_MODULE sender = MustRegister(kModuleB);
  PumpThread pump(receiver);
  std::string text;
  ASSERT_EQ(tvsim::SendAgentControl("reply-delay", "20000", &text), TVMA_SUCCESS);
  DWORD start = GetTickCount();
  auto in_flight = std::async(std::launch::async, [&] {
    return Send(sender, tvsim::kPollModuleOid, tvsim::kPollMessage, {}, nullptr, 15000);
  });
  Sleep(300);
  broker_->Stop();
  TVMA_RESULT r = in_flight.get();
  EXPECT_TRUE(TVMA_FAILED(r)) << std::hex << r;
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_EQ(pump.Join(), TVMA_E_TRANSPORT_ERROR);
  // Later calls fail fast as well.
  TVMA_MODULE m = 0;
  EXPECT_EQ(Tvma().Register2(&m, "1.4.4"), TVMA_E_SERVER_NOT_RESPONDING);
  EXPECT_EQ(Send(sender, kModuleA, 1, {}, nullptr, 3000), TVMA_E_SERVER_NOT_RESPONDING);
}

TEST_F(BrokerTest, PolicyModuleServesGetAndSetFromTheStore) {
  TVMA_MODULE module = MustRegister(kModuleB);
  const std::string oid = "1.3.6.1.4.1.5839.99.1";
  tvsim::PolicyValue value = tvsim::PolicyValue::Text("hello");
  std::string set_package = tvsim::PackPackage(tvsim::PackageKind::kSetRequest, oid, value);
  std::string packed_oid = tvsim::PackOid(oid);
  Bytes reply;

  ASSERT_EQ(Send(module, tvsim::kPolicyModuleOid, tvsim::kPolicyGetMessage, ToBytes(packed_oid),
                 &reply),
            TVMA_SUCCESS);
  EXPECT_EQ(reply.size(), 4u);
  EXPECT_EQ(StatusOf(reply), tvsim::kErrOidNotFound);

  ASSERT_EQ(Send(module, tvsim::kPolicyModuleOid, tvsim::kPolicySetMessage, ToBytes(set_package),
                 &reply),
            TVMA_SUCCESS);
  ASSERT_EQ(reply.size(), 4u);
  EXPECT_EQ(StatusOf(reply), tvsim::kOk);
  tvsim::StoreImage image;
  ASSERT_EQ(tvsim::LoadStore(&image), tvsim::kOk);
  ASSERT_EQ(image.entries.count(oid), 1u);
  EXPECT_TRUE(image.entries[oid] == value);

  ASSERT_EQ(Send(module, tvsim::kPolicyModuleOid, tvsim::kPolicyGetMessage, ToBytes(packed_oid),
                 &reply),
            TVMA_SUCCESS);
  ASSERT_GT(reply.size(), 4u);
  EXPECT_EQ(StatusOf(reply), tvsim::kOk);
  std::string got_oid;
  tvsim::PolicyValue got;
  EXPECT_EQ(tvsim::UnpackPackage(tvsim::PackageKind::kGetReply, reply.data() + 4,
                                 reply.size() - 4, &got_oid, &got),
            tvsim::kOk);
  EXPECT_EQ(got_oid, oid);
  EXPECT_TRUE(got == value);

  // Malformed requests get a failing status, unknown ids are not handled.
  ASSERT_EQ(Send(module, tvsim::kPolicyModuleOid, tvsim::kPolicySetMessage, ToBytes("junk"),
                 &reply),
            TVMA_SUCCESS);
  EXPECT_NE(StatusOf(reply), tvsim::kOk);
  EXPECT_EQ(Send(module, tvsim::kPolicyModuleOid, 0x24030003, {}, &reply),
            TVMA_E_UNHANDLED_MESSAGE);

  // The switches bend the reply sizes.
  std::string text;
  ASSERT_EQ(tvsim::SendAgentControl("short-get-reply", "on", &text), TVMA_SUCCESS);
  ASSERT_EQ(tvsim::SendAgentControl("long-set-reply", "on", &text), TVMA_SUCCESS);
  ASSERT_EQ(Send(module, tvsim::kPolicyModuleOid, tvsim::kPolicyGetMessage, ToBytes(packed_oid),
                 &reply),
            TVMA_SUCCESS);
  EXPECT_EQ(reply.size(), 3u);
  ASSERT_EQ(Send(module, tvsim::kPolicyModuleOid, tvsim::kPolicySetMessage, ToBytes(set_package),
                 &reply),
            TVMA_SUCCESS);
  EXPECT_EQ(reply.size(), 8u);
  // A status-only get reply for an OID the store holds.
  ASSERT_EQ(tvsim::SendAgentControl("get-reply-bytes", "4", &text), TVMA_SUCCESS);
  ASSERT_EQ(Send(module, tvsim::kPolicyModuleOid, tvsim::kPolicyGetMessage, ToBytes(packed_oid),
                 &reply),
            TVMA_SUCCESS);
  EXPECT_EQ(reply, (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Tvma().UnregisterModule(module), TVMA_SUCCESS);
  tvsim::RemoveStore();
}

TEST_F(BrokerTest, PollModuleCountsPolls) {
  TVMA_MODULE module = MustRegister(kModuleA);
  std::string text;
  ASSERT_EQ(tvsim::SendAgentControl("poll-count", "", &text), TVMA_SUCCESS);
  EXPECT_EQ(text, "0");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Send(module, tvsim::kPollModuleOid, tvsim::kPollMessage, {}, nullptr), TVMA_SUCCESS);
  }
  EXPECT_EQ(Send(module, tvsim::kPollModuleOid, 0x24040008, {}, nullptr),
            TVMA_E_UNHANDLED_MESSAGE);
  ASSERT_EQ(tvsim::SendAgentControl("poll-count", "", &text), TVMA_SUCCESS);
  EXPECT_EQ(text, "2");
  ASSERT_EQ(tvsim::SendAgentControl("modules", "", &text), TVMA_SUCCESS);
  EXPECT_NE(text.find(std::string(kModuleA) + "\n"), std::string::npos);
  EXPECT_EQ(Tvma().UnregisterModule(module), TVMA_SUCCESS);
}

TEST_F(BrokerTest, ControlCommandArgumentsAreChecked) {
  struct Case {
    const char* command;
    const char* argument;
    TVMA_RESULT code;
  } cases[] = {
      {"no-such-command", "", TVMA_E_INVALID_PARAMETER},
      {"drop-replies", "maybe", TVMA_E_INVALID_PARAMETER},
      {"reply-delay", "-1", TVMA_E_INVALID_PARAMETER},
      {"reply-delay", "0x10", TVMA_SUCCESS},
      {"send", "1.2.3 notanumber 100", TVMA_E_INVALID_PARAMETER},
      {"send", "1.2.3 1 100 abc", TVMA_E_INVALID_PARAMETER},
      {"send", "1.2.3 1 100", TVMA_E_RECIPIENT_NOT_REGISTRED},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(tvsim::SendAgentControl(c.command, c.argument, &text), c.code)
        << c.command << " " << c.argument;
  }
}

TEST(MessagingLibrary, MessagesAndSessionWithoutBroker) {
  ASSERT_TRUE(Tvma().Load("tvma32.dll"));
  EXPECT_EQ(Tvma().Initialize(255, 0), TVMA_E_INCOMPATIBLE_API_VERSION);
  EXPECT_EQ(Tvma().Uninitialize(), TVMA_E_CONNECTION_NOT_ESTABLISHED);
  TVMA_MODULE m = 0;
  EXPECT_EQ(Tvma().Register2(&m, kModuleA), TVMA_E_CONNECTION_NOT_ESTABLISHED);
  ASSERT_EQ(Tvma().Initialize(256, 0), TVMA_SUCCESS);
  SetEnvironmentVariableW(tvsim::kBrokerPipeVariable, L"\\\\.\\pipe\\tvsim-nobody-listens");
  EXPECT_EQ(Tvma().Register2(&m, kModuleA), TVMA_E_SERVER_NOT_RESPONDING);
  SetEnvironmentVariableW(tvsim::kBrokerPipeVariable, nullptr);

  TVMA_MESSAGE msg = Tvma().CreateMessage(0x24030001);
  ASSERT_NE(msg, 0u);
  EXPECT_EQ(Tvma().GetMessageID(msg), 0x24030001u);
  const char data[] = "abcdef";
  EXPECT_EQ(Tvma().SetMessageData(msg, data, 6), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().GetMessageDataSize(msg), 6u);
  char out[8] = {};
  EXPECT_EQ(Tvma().GetMessageData(msg, out, 3), TVMA_SUCCESS);
  EXPECT_EQ(std::string(out), "abc");
  EXPECT_EQ(Tvma().SetMessageData(msg, nullptr, 4), TVMA_E_INVALID_PARAMETER);
  EXPECT_EQ(Tvma().SetResponseData(msg, data, 4), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().GetResponseDataSize(msg), 4u);
  EXPECT_EQ(Tvma().GetResponseData(msg, nullptr, 4), TVMA_E_INVALID_PARAMETER);
  EXPECT_EQ(Tvma().DeleteMessage(msg), TVMA_SUCCESS);
  // Unknown handles.
  EXPECT_EQ(Tvma().DeleteMessage(msg), TVMA_E_INVALID_PARAMETER);
  EXPECT_EQ(Tvma().GetMessageID(msg), 0u);
  EXPECT_EQ(Tvma().GetResponseDataSize(0), 0u);
  TVMA_PUMP pump = 0;
  EXPECT_EQ(Tvma().InitMessagePump(12345, &pump), TVMA_E_SENDER_NOT_REGISTRED);
  EXPECT_EQ(Tvma().StopMessagePump(12345), TVMA_E_INVALID_PARAMETER);
  EXPECT_EQ(Tvma().Uninitialize(), TVMA_SUCCESS);
}

}  // namespace
}  // namespace tvsimtest
