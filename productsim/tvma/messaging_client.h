// State of the messaging library inside one process: the session count, the
// registered modules (each with its own connection to the broker, on which the
// broker delivers incoming messages), messages and pumps.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "installer/policy/tvma32.h"
#include "productsim/tvma/handle_table.h"
#include "productsim/tvma/pipe_channel.h"

namespace tvsim {

struct TvmaMessage {
  uint32_t id = 0;
  std::vector<uint8_t> data;
  std::vector<uint8_t> response;
};

struct TvmaModule {
  std::string oid;
  std::shared_ptr<PipeChannel> inbox;
  std::atomic<bool> pumping{false};
};

struct TvmaPump {
  std::shared_ptr<TvmaModule> module;
  hx::ScopedKernelHandle stop_event;
};

class MessagingClient {
 public:
  static MessagingClient& Instance();

  TVMA_RESULT Initialize(uint32_t version);
  TVMA_RESULT Uninitialize();
  TVMA_RESULT RegisterModule(TVMA_MODULE* module, const char* oid);
  TVMA_RESULT UnregisterModule(TVMA_MODULE module);
  TVMA_RESULT SendMessage(TVMA_MODULE module, const char* destination, TVMA_MESSAGE message,
                          uint32_t timeout_ms);

  TVMA_MESSAGE CreateMessage(uint32_t id);
  TVMA_RESULT DeleteMessage(TVMA_MESSAGE message);
  TVMA_RESULT SetMessageData(TVMA_MESSAGE message, const void* data, uint32_t size);
  uint32_t GetMessageId(TVMA_MESSAGE message);
  uint32_t GetMessageDataSize(TVMA_MESSAGE message);
  TVMA_RESULT GetMessageData(TVMA_MESSAGE message, void* buffer, uint32_t size);
  TVMA_RESULT SetResponseData(TVMA_MESSAGE message, const void* data, uint32_t size);
  uint32_t GetResponseDataSize(TVMA_MESSAGE message);
  TVMA_RESULT GetResponseData(TVMA_MESSAGE message, void* buffer, uint32_t size);

  TVMA_RESULT InitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump);
  TVMA_RESULT RunMessagePump(TVMA_PUMP pump, TVMA_MESSAGE_HANDLER handler, void* context);
  TVMA_RESULT StopMessagePump(TVMA_PUMP pump);

 private:
  void CloseModule(const std::shared_ptr<TvmaModule>& module);

  std::mutex lock_;
  int sessions_ = 0;
  HandleTable<TvmaModule> modules_;
  HandleTable<TvmaMessage> messages_;
  HandleTable<TvmaPump> pumps_;
};

}  // namespace tvsim
