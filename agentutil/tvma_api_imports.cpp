// tvma32.dll bound through the program's ordinary imports.
#include "agentutil/tvma_api.h"

namespace agentutil {
namespace {

class ImportedTvma : public TvmaApi {
 public:
  TVMA_RESULT Initialize(UINT32 version, UINT32 flags) override {
    return TVMAInitialize(version, flags);
  }
  TVMA_RESULT Uninitialize() override { return TVMAUninitialize(); }
  TVMA_RESULT RegisterModule(TVMA_MODULE* module, const char* oid) override {
    return TVMA2RegisterModule(module, oid);
  }
  TVMA_RESULT UnregisterModule(TVMA_MODULE module) override {
    return TVMAUnregisterModule(module);
  }
  TVMA_RESULT InitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump) override {
    return TVMAInitMessagePump(module, pump);
  }
  TVMA_RESULT RunMessagePump(TVMA_PUMP pump, TVMA_MESSAGE_HANDLER handler,
                             void* context) override {
    return TVMARunMessagePump(pump, handler, context);
  }
  TVMA_RESULT StopMessagePump(TVMA_PUMP pump) override { return TVMAStopMessagePump(pump); }
  TVMA_MESSAGE CreateMessage(UINT32 id) override { return TVMACreateMessage(id); }
  TVMA_RESULT DeleteMessage(TVMA_MESSAGE message) override { return TVMADeleteMessage(message); }
  TVMA_RESULT SetMessageData(TVMA_MESSAGE message, const void* data, UINT32 size) override {
    return TVMASetMessageData(message, data, size);
  }
  TVMA_RESULT Send(TVMA_MODULE module, const char* destination, TVMA_MESSAGE message,
                   UINT32 timeout_ms) override {
    return TVMA2SendMessage(module, destination, message, timeout_ms);
  }
  UINT32 GetResponseDataSize(TVMA_MESSAGE message) override {
    return TVMAGetResponseDataSize(message);
  }
  TVMA_RESULT GetResponseData(TVMA_MESSAGE message, void* buffer, UINT32 size) override {
    return TVMAGetResponseData(message, buffer, size);
  }
  UINT32 GetMessageID(TVMA_MESSAGE message) override { return TVMAGetMessageID(message); }
  UINT32 GetMessageDataSize(TVMA_MESSAGE message) override {
    return TVMAGetMessageDataSize(message);
  }
  TVMA_RESULT GetMessageData(TVMA_MESSAGE message, void* buffer, UINT32 size) override {
    return TVMAGetMessageData(message, buffer, size);
  }
  TVMA_RESULT SetResponseData(TVMA_MESSAGE message, const void* data, UINT32 size) override {
    return TVMASetResponseData(message, data, size);
  }
};

}  // namespace

TvmaApi& ImportedTvmaApi() {
  static ImportedTvma api;
  return api;
}

}  // namespace agentutil
