#include "fake_tvma.h"

#include <string.h>

namespace agentutil_test {

FakeTvma::FakeTvma() {
  stopped_ = CreateEventA(NULL, TRUE, FALSE, NULL);
  delivered_ = CreateEventA(NULL, TRUE, FALSE, NULL);
  InitializeCriticalSection(&lock_);
}

FakeTvma::~FakeTvma() {
  CloseHandle(stopped_);
  CloseHandle(delivered_);
  DeleteCriticalSection(&lock_);
}

FakeMessage FakeTvma::message(TVMA_MESSAGE handle) {
  Guard guard(&lock_);
  return messages_[handle];
}

bool FakeTvma::WaitDelivered(DWORD timeout_ms) {
  return WaitForSingleObject(delivered_, timeout_ms) == WAIT_OBJECT_0;
}

TVMA_MESSAGE FakeTvma::AddIncoming(UINT32 id, const std::string& payload, bool read_fails) {
  Guard guard(&lock_);
  TVMA_MESSAGE handle = next_message_++;
  FakeMessage& m = messages_[handle];
  m.id = id;
  m.data = payload;
  m.data_read_fails = read_fails;
  incoming_.push_back(handle);
  return handle;
}

TVMA_RESULT FakeTvma::Initialize(UINT32 version, UINT32 flags) {
  ++initialize_calls;
  return version == 256 && flags == 0 ? initialize_result : TVMA_E_INVALID_PARAMETER;
}

TVMA_RESULT FakeTvma::Uninitialize() {
  ++uninitialize_calls;
  return TVMA_SUCCESS;
}

TVMA_RESULT FakeTvma::RegisterModule(TVMA_MODULE* module, const char* oid) {
  size_t index = static_cast<size_t>(register_calls);
  if (index >= register_results.size()) index = register_results.size() - 1;
  ++register_calls;
  registered_oid = oid != NULL ? oid : "";
  TVMA_RESULT result = register_results[index];
  if (result == TVMA_SUCCESS) *module = module_handle;
  return result;
}

TVMA_RESULT FakeTvma::UnregisterModule(TVMA_MODULE module) {
  ++unregister_calls;
  return module == module_handle ? unregister_result : TVMA_E_INVALID_PARAMETER;
}

TVMA_RESULT FakeTvma::InitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump) {
  ++pump_init_calls;
  if (module != module_handle) return TVMA_E_INVALID_PARAMETER;
  if (pump_init_result == TVMA_SUCCESS) *pump = kPump;
  return pump_init_result;
}

TVMA_RESULT FakeTvma::RunMessagePump(TVMA_PUMP pump, TVMA_MESSAGE_HANDLER handler,
                                     void* context) {
  if (pump != kPump) return TVMA_E_INVALID_PARAMETER;
  for (size_t i = 0; i < incoming_.size(); ++i) {
    handler_results.push_back(handler(0, incoming_[i], context));
  }
  SetEvent(delivered_);
  WaitForSingleObject(stopped_, INFINITE);
  return TVMA_SUCCESS;
}

TVMA_RESULT FakeTvma::StopMessagePump(TVMA_PUMP pump) {
  InterlockedIncrement(&stop_calls);
  if (pump != kPump) return TVMA_E_INVALID_PARAMETER;
  SetEvent(stopped_);
  return TVMA_SUCCESS;
}

TVMA_MESSAGE FakeTvma::CreateMessage(UINT32 id) {
  if (create_message_fails) return 0;
  Guard guard(&lock_);
  ++created_messages;
  TVMA_MESSAGE handle = next_message_++;
  messages_[handle].id = id;
  return handle;
}

TVMA_RESULT FakeTvma::DeleteMessage(TVMA_MESSAGE message) {
  Guard guard(&lock_);
  ++deleted_messages;
  messages_.erase(message);
  return TVMA_SUCCESS;
}

TVMA_RESULT FakeTvma::SetMessageData(TVMA_MESSAGE message, const void* data, UINT32 size) {
  Guard guard(&lock_);
  if (set_data_result == TVMA_SUCCESS) {
    messages_[message].data.assign(static_cast<const char*>(data), size);
  }
  return set_data_result;
}

TVMA_RESULT FakeTvma::Send(TVMA_MODULE module, const char* destination, TVMA_MESSAGE message,
                           UINT32 timeout_ms) {
  if (send_waits_for_delivery) WaitDelivered();
  Guard guard(&lock_);
  sent_from = module;
  sent_to = destination != NULL ? destination : "";
  sent_id = messages_[message].id;
  sent_data = messages_[message].data;
  sent_timeout = timeout_ms;
  if (send_result == TVMA_SUCCESS) messages_[message].response = reply;
  return send_result;
}

UINT32 FakeTvma::GetResponseDataSize(TVMA_MESSAGE message) {
  Guard guard(&lock_);
  return static_cast<UINT32>(messages_[message].response.size());
}

TVMA_RESULT FakeTvma::GetResponseData(TVMA_MESSAGE message, void* buffer, UINT32 size) {
  Guard guard(&lock_);
  const std::string& response = messages_[message].response;
  if (size > response.size()) return TVMA_E_BUFFER_TOO_SMALL;
  memcpy(buffer, response.data(), size);
  return TVMA_SUCCESS;
}

UINT32 FakeTvma::GetMessageID(TVMA_MESSAGE message) {
  Guard guard(&lock_);
  return messages_[message].id;
}

UINT32 FakeTvma::GetMessageDataSize(TVMA_MESSAGE message) {
  Guard guard(&lock_);
  return static_cast<UINT32>(messages_[message].data.size());
}

TVMA_RESULT FakeTvma::GetMessageData(TVMA_MESSAGE message, void* buffer, UINT32 size) {
  Guard guard(&lock_);
  const FakeMessage& m = messages_[message];
  if (m.data_read_fails) {
    // A failing copy may still have written part of the buffer.
    memset(buffer, 0xAB, size);
    return TVMA_E_TRANSPORT_ERROR;
  }
  if (size > m.data.size()) return TVMA_E_BUFFER_TOO_SMALL;
  memcpy(buffer, m.data.data(), size);
  return TVMA_SUCCESS;
}

TVMA_RESULT FakeTvma::SetResponseData(TVMA_MESSAGE message, const void* data, UINT32 size) {
  Guard guard(&lock_);
  messages_[message].response.assign(static_cast<const char*>(data), size);
  return TVMA_SUCCESS;
}

}  // namespace agentutil_test
