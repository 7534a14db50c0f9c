// The calls of the agent's messaging library that the message-broker client
// makes, behind an interface: the program binds them to tvma32.dll's imports,
// tests to a fake broker.
#pragma once

#include "installer/policy/tvma32.h"

namespace agentutil {

class TvmaApi {
 public:
  virtual ~TvmaApi() {}
  virtual TVMA_RESULT Initialize(UINT32 version, UINT32 flags) = 0;
  virtual TVMA_RESULT Uninitialize() = 0;
  virtual TVMA_RESULT RegisterModule(TVMA_MODULE* module, const char* oid) = 0;
  virtual TVMA_RESULT UnregisterModule(TVMA_MODULE module) = 0;
  virtual TVMA_RESULT InitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump) = 0;
  virtual TVMA_RESULT RunMessagePump(TVMA_PUMP pump, TVMA_MESSAGE_HANDLER handler,
                                     void* context) = 0;
  virtual TVMA_RESULT StopMessagePump(TVMA_PUMP pump) = 0;
  virtual TVMA_MESSAGE CreateMessage(UINT32 id) = 0;
  virtual TVMA_RESULT DeleteMessage(TVMA_MESSAGE message) = 0;
  virtual TVMA_RESULT SetMessageData(TVMA_MESSAGE message, const void* data, UINT32 size) = 0;
  // TVMA2SendMessage (the name SendMessage is a Windows macro).
  virtual TVMA_RESULT Send(TVMA_MODULE module, const char* destination,
                           TVMA_MESSAGE message, UINT32 timeout_ms) = 0;
  virtual UINT32 GetResponseDataSize(TVMA_MESSAGE message) = 0;
  virtual TVMA_RESULT GetResponseData(TVMA_MESSAGE message, void* buffer, UINT32 size) = 0;
  virtual UINT32 GetMessageID(TVMA_MESSAGE message) = 0;
  virtual UINT32 GetMessageDataSize(TVMA_MESSAGE message) = 0;
  virtual TVMA_RESULT GetMessageData(TVMA_MESSAGE message, void* buffer, UINT32 size) = 0;
  virtual TVMA_RESULT SetResponseData(TVMA_MESSAGE message, const void* data, UINT32 size) = 0;
};

// tvma32.dll through its imports; defined only in the program.
TvmaApi& ImportedTvmaApi();

}  // namespace agentutil
