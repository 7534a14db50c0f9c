#include <gtest/gtest.h>

#include "agentutil/mb_client.h"
#include "agentutil/poll.h"
#include "fake_clock.h"
#include "fake_tvma.h"

using agentutil::CMBClient;
using agentutil_test::FakeClock;
using agentutil_test::FakeTvma;

namespace {

bool BrokerReady() { return true; }
bool BrokerAbsent() { return false; }

// Counts the notifications a derived module receives.
class CountingClient : public CMBClient {
 public:
  CountingClient(FakeTvma& api, FakeClock& clock) : CMBClient(api, clock, &BrokerReady) {}
  ~CountingClient() override { Uninitialize(); }
  agentutil::ResultCode OnValueSet() override {
    ++value_sets;
    return 0x04000011u;
  }
  agentutil::ResultCode OnStopRequest() override {
    ++stop_requests;
    return 0x04000022u;
  }
  UINT32 GetAnswerValue() override { return 0x0A0B0C0Du; }
  int value_sets = 0;
  int stop_requests = 0;
};

class MBClientTest : public ::testing::Test {
 protected:
  FakeTvma api;
  FakeClock clock;
};

TEST_F(MBClientTest, RegistersAtOnceWhenTheBrokerIsReady) {
  CMBClient client(api, clock, &BrokerReady);
  EXPECT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  EXPECT_EQ(1u, client.state());
  EXPECT_EQ(1, api.register_calls);
  EXPECT_EQ("1.2.3.2.1", api.registered_oid);
  EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(MBClientTest, InitializeTwiceIsRefusedAndChangesNothing) {
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  EXPECT_EQ(TVMA_E_ACCESS_DENIED, client.Initialize("1.2.3.2.1", 10, NULL));
  EXPECT_EQ(1, api.initialize_calls);
  EXPECT_EQ(1, api.register_calls);
  EXPECT_EQ(1u, client.state());
}

struct AttemptCase {
  const char* name;
  bool broker_ready;
  std::vector<TVMA_RESULT> register_results;
  UINT32 timeout_s;
  TVMA_RESULT expected;
  int expected_attempts;  // register calls when the broker is ready, else attempts via sleeps
  UINT32 expected_state;
};

class AttemptTest : public MBClientTest, public ::testing::WithParamInterface<AttemptCase> {};

TEST_P(AttemptTest, AttemptsEndAsScripted) {
  const AttemptCase& c = GetParam();
  api.register_results = c.register_results;
  CMBClient client(api, clock, c.broker_ready ? &BrokerReady : &BrokerAbsent);
  EXPECT_EQ(c.expected, client.Initialize("1.2.3.2.1", c.timeout_s, NULL));
  EXPECT_EQ(c.expected_state, client.state());
  int attempts = static_cast<int>(clock.sleeps.size()) + 1;
  EXPECT_EQ(c.expected_attempts, attempts);
  EXPECT_EQ(c.broker_ready ? c.expected_attempts : 0, api.register_calls);
  for (size_t i = 0; i < clock.sleeps.size(); ++i) EXPECT_EQ(500u, clock.sleeps[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Registration, AttemptTest,
    ::testing::Values(
        // Ten seconds allow 20 attempts 500 ms apart.
        AttemptCase{"NoBroker", false, {TVMA_SUCCESS}, 10, TVMA_E_SERVER_NOT_RESPONDING, 20, 0},
        AttemptCase{"AlreadyRegisteredEndsAtOnce", true, {TVMA_E_ALREADY_REGISTERED}, 10,
                    TVMA_E_ALREADY_REGISTERED, 1, 0},
        AttemptCase{"TransientFailureThenSuccess", true,
                    {TVMA_E_TRANSPORT_ERROR, TVMA_E_TRANSPORT_ERROR, TVMA_SUCCESS}, 10,
                    TVMA_SUCCESS, 3, 1},
        AttemptCase{"LastFailureStands", true, {TVMA_E_TRANSPORT_ERROR}, 2,
                    TVMA_E_TRANSPORT_ERROR, 4, 0},
        AttemptCase{"ZeroTimeoutStillTriesOnce", true, {TVMA_E_TRANSPORT_ERROR}, 0,
                    TVMA_E_TRANSPORT_ERROR, 1, 0}),
    [](const ::testing::TestParamInfo<AttemptCase>& info) { return info.param.name; });

TEST_F(MBClientTest, LibraryInitFailureIsReturnedUnchanged) {
  api.initialize_result = TVMA_E_INCOMPATIBLE_API_VERSION;
  CMBClient client(api, clock, &BrokerReady);
  EXPECT_EQ(TVMA_E_INCOMPATIBLE_API_VERSION, client.Initialize("1.2.3.2.1", 10, NULL));
  EXPECT_EQ(0, api.register_calls);
  EXPECT_EQ(0u, client.state());
}

int cancel_at = 0;
int CancelAt(UINT32 attempts) { return static_cast<int>(attempts) >= cancel_at; }

TEST_F(MBClientTest, CancelBeforeAnyAttemptIsATimeout) {
  cancel_at = 0;
  CMBClient client(api, clock, &BrokerReady);
  EXPECT_EQ(TVMA_E_TIMEOUT, client.Initialize("1.2.3.2.1", 10, &CancelAt));
  EXPECT_EQ(0, api.register_calls);
  EXPECT_EQ(0u, client.state());
}

TEST_F(MBClientTest, UnlimitedAttemptsEndOnlyByCancelKeepingTheLastFailure) {
  cancel_at = 50;  // beyond what any limited time-out here would allow
  CMBClient client(api, clock, &BrokerAbsent);
  EXPECT_EQ(TVMA_E_SERVER_NOT_RESPONDING, client.Initialize("1.2.3.2.1", 0xFFFFFFFFu, &CancelAt));
  EXPECT_EQ(50u, clock.sleeps.size());
}

TEST_F(MBClientTest, SendBeforeInitializeCreatesNoMessage) {
  CMBClient client(api, clock, &BrokerReady);
  agentutil::ResultCode send_result = 0;
  EXPECT_EQ(TVMA_E_CONNECTION_NOT_ESTABLISHED,
            client.SendToModule("1.3", 5, NULL, 0, 100, NULL, NULL, &send_result));
  EXPECT_EQ(TVMA_E_UNKNOWN_ERROR, send_result);
  EXPECT_EQ(0, api.created_messages);
}

TEST_F(MBClientTest, SendAttachesDataAndCopiesAtMostTheAnswerBuffer) {
  api.reply = "ABCDEFGH";
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  char answer[4] = {0};
  UINT32 answer_size = sizeof(answer);
  agentutil::ResultCode send_result = 0;
  EXPECT_EQ(TVMA_SUCCESS, client.SendToModule("1.3.6", 0x24040001u, "xyz", 3, 4321, answer,
                                              &answer_size, &send_result));
  EXPECT_EQ(TVMA_SUCCESS, send_result);
  EXPECT_EQ(std::string("ABCD"), std::string(answer, 4));
  EXPECT_EQ(8u, answer_size);  // the full size of the reply
  EXPECT_EQ("xyz", api.sent_data);
  EXPECT_EQ("1.3.6", api.sent_to);
  EXPECT_EQ(0x24040001u, api.sent_id);
  EXPECT_EQ(4321u, api.sent_timeout);
  EXPECT_EQ(api.module_handle, api.sent_from);
  EXPECT_EQ(1, api.deleted_messages);
}

TEST_F(MBClientTest, SendWithoutAnswerBufferZeroesTheAnswerSize) {
  api.reply = "ABCD";
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  UINT32 answer_size = 99;
  EXPECT_EQ(TVMA_SUCCESS, client.SendToModule("1.3", 7, NULL, 0, 1, NULL, &answer_size, NULL));
  EXPECT_EQ(0u, answer_size);
}

TEST_F(MBClientTest, SendFailuresAreReportedAndTheMessageIsFreed) {
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));

  api.send_result = TVMA_E_RECIPIENT_NOT_REGISTRED;
  agentutil::ResultCode send_result = 0;
  EXPECT_EQ(TVMA_E_RECIPIENT_NOT_REGISTRED,
            client.SendToModule("1.3", 7, NULL, 0, 1, NULL, NULL, &send_result));
  EXPECT_EQ(TVMA_E_RECIPIENT_NOT_REGISTRED, send_result);

  api.set_data_result = TVMA_E_OUT_OF_MEMORY;
  EXPECT_EQ(TVMA_E_OUT_OF_MEMORY,
            client.SendToModule("1.3", 7, "ab", 2, 1, NULL, NULL, &send_result));
  EXPECT_EQ(TVMA_E_UNKNOWN_ERROR, send_result);  // never sent
  EXPECT_EQ(2, api.created_messages);
  EXPECT_EQ(2, api.deleted_messages);

  api.create_message_fails = true;
  EXPECT_EQ(TVMA_E_OUT_OF_MEMORY, client.SendToModule("1.3", 7, NULL, 0, 1, NULL, NULL, NULL));
}

struct IncomingCase {
  const char* name;
  UINT32 id;
  std::string payload;
  bool read_fails;
  TVMA_RESULT expected;
  UINT32 expected_last_value;
  int expected_value_sets;
  int expected_stop_requests;
  std::string expected_response;
};

class IncomingTest : public MBClientTest, public ::testing::WithParamInterface<IncomingCase> {};

TEST_P(IncomingTest, HandlesTheMessage) {
  const IncomingCase& c = GetParam();
  CountingClient client(api, clock);
  TVMA_MESSAGE message = api.AddIncoming(c.id, c.payload, c.read_fails);
  EXPECT_EQ(c.expected, client.HandleMessage(message));
  EXPECT_EQ(c.expected_last_value, client.last_value());
  EXPECT_EQ(c.expected_value_sets, client.value_sets);
  EXPECT_EQ(c.expected_stop_requests, client.stop_requests);
  EXPECT_EQ(c.expected_response, api.message(message).response);
  EXPECT_EQ(0, api.stop_calls);  // no pump runs, so nothing is stopped
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, IncomingTest,
    ::testing::Values(
        IncomingCase{"ValueQuery", 0x04000001u, "", false, TVMA_SUCCESS, 0, 0, 0,
                     std::string("\x0D\x0C\x0B\x0A", 4)},
        IncomingCase{"NoAction", 0x04000002u, "", false, TVMA_SUCCESS, 0, 0, 0, ""},
        IncomingCase{"SetValue", 0x04000003u, std::string("\x01\x02\x03\x04", 4), false,
                     0x04000011u, 0x04030201u, 1, 0, ""},
        IncomingCase{"SetValueTwoBytes", 0x04000003u, "\x05\x06", false, 0x04000011u, 0, 1, 0,
                     ""},
        IncomingCase{"SetValueCopyFails", 0x04000003u, std::string("\x01\x02\x03\x04", 4), true,
                     0x04000011u, 0, 1, 0, ""},
        IncomingCase{"StopRequest", 0x04000004u, "", false, 0x04000022u, 0, 0, 1, ""},
        IncomingCase{"Unknown", 0x04000005u, "", false, TVMA_E_UNHANDLED_MESSAGE, 0, 0, 0, ""}),
    [](const ::testing::TestParamInfo<IncomingCase>& info) { return info.param.name; });

TEST_F(MBClientTest, BaseClientAnswersAValueQueryWithZero) {
  CMBClient client(api, clock, &BrokerReady);
  TVMA_MESSAGE message = api.AddIncoming(0x04000001u, "");
  EXPECT_EQ(TVMA_SUCCESS, client.HandleMessage(message));
  EXPECT_EQ(std::string(4, '\0'), api.message(message).response);
}

TEST_F(MBClientTest, PumpNeedsARegistration) {
  CMBClient client(api, clock, &BrokerReady);
  EXPECT_EQ(TVMA_E_CONNECTION_NOT_ESTABLISHED, client.StartMessagePump());
  EXPECT_EQ(TVMA_E_CONNECTION_NOT_ESTABLISHED, client.WaitForPumpThreads());
  EXPECT_EQ(TVMA_SUCCESS, client.StopMessagePump());
  EXPECT_EQ(0, api.pump_init_calls);
}

TEST_F(MBClientTest, RunningPumpIsStoppedAndWaitedForByUninitialize) {
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  ASSERT_EQ(TVMA_SUCCESS, client.StartMessagePump());
  EXPECT_EQ(2u, client.state());
  EXPECT_EQ(1u, client.pump_thread_count());
  EXPECT_EQ(TVMA_SUCCESS, client.Uninitialize());
  EXPECT_EQ(0u, client.state());
  EXPECT_EQ(1, api.stop_calls);
  EXPECT_EQ(0u, client.pump_thread_count());
  EXPECT_EQ(1, api.unregister_calls);
  EXPECT_EQ(1, api.uninitialize_calls);
}

TEST_F(MBClientTest, UnregistrationFailureIsReportedButTheLibraryIsReleased) {
  api.unregister_result = TVMA_E_TRANSPORT_ERROR;
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  EXPECT_EQ(TVMA_E_TRANSPORT_ERROR, client.Uninitialize());
  EXPECT_EQ(1, api.uninitialize_calls);
  EXPECT_EQ(0u, client.state());
}

TEST_F(MBClientTest, PumpInitFailureEndsTheStartWithItsCode) {
  api.pump_init_result = TVMA_E_MESSAGE_QUEUE_FULL;
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  EXPECT_EQ(TVMA_E_MESSAGE_QUEUE_FULL, client.StartMessagePump());
  EXPECT_EQ(1u, client.state());
  EXPECT_EQ(0u, client.pump_thread_count());
  EXPECT_EQ(TVMA_SUCCESS, client.Uninitialize());
  EXPECT_EQ(1, api.unregister_calls);
}

TEST_F(MBClientTest, StopRequestFromTheAgentLeavesTheClientStopping) {
  api.AddIncoming(0x04000004u, "");
  {
    CMBClient client(api, clock, &BrokerReady);
    ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
    ASSERT_EQ(TVMA_SUCCESS, client.StartMessagePump());
    ASSERT_TRUE(api.WaitDelivered());
    EXPECT_EQ(3u, client.state());
    // Messages still go out while the pump stops.
    EXPECT_EQ(TVMA_SUCCESS, client.SendToModule("1.3", 7, NULL, 0, 1, NULL, NULL, NULL));
    EXPECT_EQ(TVMA_E_UNKNOWN_ERROR, client.Uninitialize());
    EXPECT_EQ(3u, client.state());
  }
  EXPECT_EQ(1, api.stop_calls);
  ASSERT_EQ(1u, api.handler_results.size());
  EXPECT_EQ(TVMA_SUCCESS, api.handler_results[0]);
  EXPECT_EQ(0, api.unregister_calls);
  EXPECT_EQ(0, api.uninitialize_calls);
}

TEST_F(MBClientTest, WaitAfterAStopRequestReturnsToRegistered) {
  api.AddIncoming(0x04000004u, "");
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  ASSERT_EQ(TVMA_SUCCESS, client.StartMessagePump());
  ASSERT_TRUE(api.WaitDelivered());
  EXPECT_EQ(TVMA_SUCCESS, client.WaitForPumpThreads());
  EXPECT_EQ(1u, client.state());
  EXPECT_EQ(0u, client.pump_thread_count());
  EXPECT_EQ(TVMA_SUCCESS, client.Uninitialize());
  EXPECT_EQ(1, api.unregister_calls);
}

TEST_F(MBClientTest, MessagesReachTheHandlerOnThePumpThread) {
  api.AddIncoming(0x04000002u, "");
  api.AddIncoming(0x0400ABCDu, "");
  CMBClient client(api, clock, &BrokerReady);
  ASSERT_EQ(TVMA_SUCCESS, client.Initialize("1.2.3.2.1", 10, NULL));
  ASSERT_EQ(TVMA_SUCCESS, client.StartMessagePump());
  ASSERT_TRUE(api.WaitDelivered());
  ASSERT_EQ(2u, api.handler_results.size());
  EXPECT_EQ(TVMA_SUCCESS, api.handler_results[0]);
  EXPECT_EQ(TVMA_E_UNHANDLED_MESSAGE, api.handler_results[1]);
  EXPECT_EQ(2u, client.state());
}

TEST_F(MBClientTest, PollSendsOneMessageToThePollModule) {
  EXPECT_EQ(TVMA_SUCCESS, agentutil::RunPoll(api, clock, &BrokerReady));
  EXPECT_EQ("1.2.3.2.1", api.registered_oid);
  EXPECT_EQ("1.3.6.1.4.1.5839.11.1.14", api.sent_to);
  EXPECT_EQ(0x24040007u, api.sent_id);
  EXPECT_EQ("", api.sent_data);
  EXPECT_EQ(6000u, api.sent_timeout);
  EXPECT_EQ(1, api.unregister_calls);
  EXPECT_EQ(1, api.uninitialize_calls);
  EXPECT_EQ(api.created_messages, api.deleted_messages);
}

TEST_F(MBClientTest, PollReportsTheFirstFailure) {
  api.send_result = TVMA_E_TIMEOUT;
  EXPECT_EQ(TVMA_E_TIMEOUT, agentutil::RunPoll(api, clock, &BrokerReady));
  EXPECT_EQ(1, api.unregister_calls);

  FakeTvma refusing;
  refusing.register_results = {TVMA_E_ALREADY_REGISTERED};
  EXPECT_EQ(TVMA_E_ALREADY_REGISTERED, agentutil::RunPoll(refusing, clock, &BrokerReady));
  EXPECT_EQ(1, refusing.register_calls);
  EXPECT_EQ(0, refusing.created_messages);

  FakeTvma no_pump;
  no_pump.pump_init_result = TVMA_E_OUT_OF_MEMORY;
  EXPECT_EQ(TVMA_E_OUT_OF_MEMORY, agentutil::RunPoll(no_pump, clock, &BrokerReady));
  EXPECT_EQ(0, no_pump.created_messages);
}

TEST_F(MBClientTest, PollKeepsTheSendResultWhenTheAgentStopsThePump) {
  api.AddIncoming(0x04000004u, "");
  api.send_waits_for_delivery = true;
  EXPECT_EQ(TVMA_SUCCESS, agentutil::RunPoll(api, clock, &BrokerReady));
  EXPECT_EQ(0, api.unregister_calls);
}

}  // namespace
