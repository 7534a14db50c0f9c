// A broker in memory for the message-broker client's tests: scripted results
// per call, recorded calls, and a pump that delivers prepared incoming
// messages and then runs until it is stopped.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "agentutil/tvma_api.h"

namespace agentutil_test {

struct FakeMessage {
  UINT32 id = 0;
  std::string data;      // request payload (or incoming payload)
  std::string response;  // reply
  bool data_read_fails = false;
};

class FakeTvma : public agentutil::TvmaApi {
 public:
  FakeTvma();
  ~FakeTvma() override;

  // Script.
  TVMA_RESULT initialize_result = TVMA_SUCCESS;
  // One entry per attempt; the last one repeats.
  std::vector<TVMA_RESULT> register_results{TVMA_SUCCESS};
  TVMA_MODULE module_handle = 0x1234;
  TVMA_RESULT pump_init_result = TVMA_SUCCESS;
  TVMA_RESULT send_result = TVMA_SUCCESS;
  std::string reply;               // reply payload given to every sent message
  bool create_message_fails = false;
  // Send answers only once the pump handed out the incoming messages.
  bool send_waits_for_delivery = false;
  TVMA_RESULT set_data_result = TVMA_SUCCESS;
  TVMA_RESULT unregister_result = TVMA_SUCCESS;

  // Adds a message the agent sends to the module; the pump delivers these in
  // order when it starts. Returns its handle.
  TVMA_MESSAGE AddIncoming(UINT32 id, const std::string& payload, bool read_fails = false);
  FakeMessage message(TVMA_MESSAGE handle);
  // Waits until the pump handed every incoming message to the handler.
  bool WaitDelivered(DWORD timeout_ms = 10000);
  // Results the handler returned for the delivered messages.
  std::vector<TVMA_RESULT> handler_results;

  // Record.
  int initialize_calls = 0;
  int uninitialize_calls = 0;
  int register_calls = 0;
  std::string registered_oid;
  int unregister_calls = 0;
  int pump_init_calls = 0;
  volatile LONG stop_calls = 0;
  int created_messages = 0;
  int deleted_messages = 0;
  UINT32 sent_id = 0;
  std::string sent_to;
  std::string sent_data;
  UINT32 sent_timeout = 0;
  TVMA_MODULE sent_from = 0;

  TVMA_RESULT Initialize(UINT32 version, UINT32 flags) override;
  TVMA_RESULT Uninitialize() override;
  TVMA_RESULT RegisterModule(TVMA_MODULE* module, const char* oid) override;
  TVMA_RESULT UnregisterModule(TVMA_MODULE module) override;
  TVMA_RESULT InitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump) override;
  TVMA_RESULT RunMessagePump(TVMA_PUMP pump, TVMA_MESSAGE_HANDLER handler,
                             void* context) override;
  TVMA_RESULT StopMessagePump(TVMA_PUMP pump) override;
  TVMA_MESSAGE CreateMessage(UINT32 id) override;
  TVMA_RESULT DeleteMessage(TVMA_MESSAGE message) override;
  TVMA_RESULT SetMessageData(TVMA_MESSAGE message, const void* data, UINT32 size) override;
  TVMA_RESULT Send(TVMA_MODULE module, const char* destination, TVMA_MESSAGE message,
                   UINT32 timeout_ms) override;
  UINT32 GetResponseDataSize(TVMA_MESSAGE message) override;
  TVMA_RESULT GetResponseData(TVMA_MESSAGE message, void* buffer, UINT32 size) override;
  UINT32 GetMessageID(TVMA_MESSAGE message) override;
  UINT32 GetMessageDataSize(TVMA_MESSAGE message) override;
  TVMA_RESULT GetMessageData(TVMA_MESSAGE message, void* buffer, UINT32 size) override;
  TVMA_RESULT SetResponseData(TVMA_MESSAGE message, const void* data, UINT32 size) override;

 private:
  static const TVMA_PUMP kPump = 0x77;
  std::map<TVMA_MESSAGE, FakeMessage> messages_;
  std::vector<TVMA_MESSAGE> incoming_;
  TVMA_MESSAGE next_message_ = 100;
  HANDLE stopped_;    // manual reset, set by StopMessagePump
  HANDLE delivered_;  // manual reset, set once the incoming messages are handled
  // The pump thread and the test thread both reach the messages.
  CRITICAL_SECTION lock_;
  struct Guard {
    explicit Guard(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~Guard() { LeaveCriticalSection(cs_); }
    CRITICAL_SECTION* cs_;
  };
};

}  // namespace agentutil_test
