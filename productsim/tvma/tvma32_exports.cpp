// Exported calls of the messaging library; each passes to the process-wide
// client. Nothing may throw across the boundary.
#include <new>
#include <string>

#include "installer/policy/tvma32.h"
#include "productsim/tvma/messaging_client.h"
#include "productsim/tvma/policy_oid_text.h"

using tvsim::MessagingClient;

namespace {

template <typename F>
TVMA_RESULT Guard(F f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return TVMA_E_OUT_OF_MEMORY;
  } catch (...) {
    return TVMA_E_UNKNOWN_ERROR;
  }
}

template <typename F>
UINT32 GuardValue(F f) {
  try {
    return f();
  } catch (...) {
    return 0;
  }
}

MessagingClient& Client() { return MessagingClient::Instance(); }

}  // namespace

extern "C" {

TVMA_RESULT TVMA32_CALL TVMAInitialize(UINT32 version, UINT32 /*flags*/) {
  return Guard([&] { return Client().Initialize(version); });
}

TVMA_RESULT TVMA32_CALL TVMAUninitialize(void) {
  return Guard([&] { return Client().Uninitialize(); });
}

TVMA_RESULT TVMA32_CALL TVMAUnregisterModule(TVMA_MODULE module) {
  return Guard([&] { return Client().UnregisterModule(module); });
}

TVMA_MESSAGE TVMA32_CALL TVMACreateMessage(UINT32 id) {
  return GuardValue([&] { return Client().CreateMessage(id); });
}

TVMA_RESULT TVMA32_CALL TVMADeleteMessage(TVMA_MESSAGE message) {
  return Guard([&] { return Client().DeleteMessage(message); });
}

TVMA_RESULT TVMA32_CALL TVMASetMessageData(TVMA_MESSAGE message, const void* data, UINT32 size) {
  return Guard([&] { return Client().SetMessageData(message, data, size); });
}

UINT32 TVMA32_CALL TVMAGetResponseDataSize(TVMA_MESSAGE message) {
  return GuardValue([&] { return Client().GetResponseDataSize(message); });
}

TVMA_RESULT TVMA32_CALL TVMAGetResponseData(TVMA_MESSAGE message, void* buffer, UINT32 size) {
  return Guard([&] { return Client().GetResponseData(message, buffer, size); });
}

TVMA_RESULT TVMA32_CALL TVMARegisterModule(TVMA_MODULE* module, QMP_HANDLE oid_var) {
  return Guard([&] {
    std::string oid;
    if (!tvsim::PolicyHandleOidText(oid_var, &oid)) return TVMA_E_INVALID_PARAMETER;
    return Client().RegisterModule(module, oid.c_str());
  });
}

TVMA_RESULT TVMA32_CALL TVMASendMessage(TVMA_MODULE module, QMP_OID destination,
                                        TVMA_MESSAGE message, UINT32 timeout_ms) {
  return Guard([&] {
    std::string oid;
    if (!tvsim::PolicyHandleOidText(destination, &oid)) return TVMA_E_INVALID_PARAMETER;
    return Client().SendMessage(module, oid.c_str(), message, timeout_ms);
  });
}

TVMA_RESULT TVMA32_CALL TVMA2RegisterModule(TVMA_MODULE* module, const char* oid) {
  return Guard([&] { return Client().RegisterModule(module, oid); });
}

TVMA_RESULT TVMA32_CALL TVMA2SendMessage(TVMA_MODULE module, const char* destination,
                                         TVMA_MESSAGE message, UINT32 timeout_ms) {
  return Guard([&] { return Client().SendMessage(module, destination, message, timeout_ms); });
}

UINT32 TVMA32_CALL TVMAGetMessageID(TVMA_MESSAGE message) {
  return GuardValue([&] { return Client().GetMessageId(message); });
}

UINT32 TVMA32_CALL TVMAGetMessageDataSize(TVMA_MESSAGE message) {
  return GuardValue([&] { return Client().GetMessageDataSize(message); });
}

TVMA_RESULT TVMA32_CALL TVMAGetMessageData(TVMA_MESSAGE message, void* buffer, UINT32 size) {
  return Guard([&] { return Client().GetMessageData(message, buffer, size); });
}

TVMA_RESULT TVMA32_CALL TVMASetResponseData(TVMA_MESSAGE message, const void* data, UINT32 size) {
  return Guard([&] { return Client().SetResponseData(message, data, size); });
}

TVMA_RESULT TVMA32_CALL TVMAInitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump) {
  return Guard([&] { return Client().InitMessagePump(module, pump); });
}

TVMA_RESULT TVMA32_CALL TVMARunMessagePump(TVMA_PUMP pump, TVMA_MESSAGE_HANDLER handler,
                                           void* context) {
  return Guard([&] { return Client().RunMessagePump(pump, handler, context); });
}

TVMA_RESULT TVMA32_CALL TVMAStopMessagePump(TVMA_PUMP pump) {
  return Guard([&] { return Client().StopMessagePump(pump); });
}

}  // extern "C"
