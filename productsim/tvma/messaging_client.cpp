#include "productsim/tvma/messaging_client.h"

#include <cstring>

#include "productsim/tvma/broker_names.h"

namespace tvsim {
namespace {

// Registration and unregistration are quick exchanges with the broker.
constexpr DWORD kBrokerTimeoutMs = 5000;
constexpr size_t kMaxOidBytes = 255;

bool ValidOid(const char* oid) {
  if (oid == nullptr || oid[0] == '\0') return false;
  size_t n = strnlen(oid, kMaxOidBytes + 1);
  return n <= kMaxOidBytes;
}

TVMA_RESULT CopyOut(const std::vector<uint8_t>& from, void* buffer, uint32_t size) {
  if (size == 0) return TVMA_SUCCESS;
  if (buffer == nullptr) return TVMA_E_INVALID_PARAMETER;
  size_t n = from.size() < size ? from.size() : size;
  if (n > 0) memcpy(buffer, from.data(), n);
  return TVMA_SUCCESS;
}

TVMA_RESULT CopyIn(std::vector<uint8_t>* to, const void* data, uint32_t size) {
  if (size > 0 && data == nullptr) return TVMA_E_INVALID_PARAMETER;
  if (size > kMaxPayloadBytes) return TVMA_E_INVALID_PARAMETER;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  to->assign(bytes, bytes + size);
  return TVMA_SUCCESS;
}

TVMA_RESULT FromIo(IoStatus status) {
  switch (status) {
    case IoStatus::kOk: return TVMA_SUCCESS;
    case IoStatus::kTimeout: return TVMA_E_TIMEOUT;
    case IoStatus::kStopped: return TVMA_E_TRANSPORT_ERROR;
    case IoStatus::kBroken: break;
  }
  return TVMA_E_TRANSPORT_ERROR;
}

}  // namespace

MessagingClient& MessagingClient::Instance() {
  static MessagingClient client;
  return client;
}

TVMA_RESULT MessagingClient::Initialize(uint32_t version) {
  if (version != 256) return TVMA_E_INCOMPATIBLE_API_VERSION;
  std::lock_guard<std::mutex> hold(lock_);
  ++sessions_;
  return TVMA_SUCCESS;
}

TVMA_RESULT MessagingClient::Uninitialize() {
  std::map<uint32_t, std::shared_ptr<TvmaModule>> left;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (sessions_ == 0) return TVMA_E_CONNECTION_NOT_ESTABLISHED;
    if (--sessions_ > 0) return TVMA_SUCCESS;
    left = modules_.TakeAll();
    pumps_.TakeAll();
  }
  for (auto& entry : left) CloseModule(entry.second);
  return TVMA_SUCCESS;
}

TVMA_RESULT MessagingClient::RegisterModule(TVMA_MODULE* module, const char* oid) {
  if (module == nullptr || !ValidOid(oid)) return TVMA_E_INVALID_PARAMETER;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (sessions_ == 0) return TVMA_E_CONNECTION_NOT_ESTABLISHED;
  }
  std::shared_ptr<PipeChannel> channel;
  IoStatus st = PipeChannel::Connect(BrokerPipeName(), kBrokerTimeoutMs, &channel);
  if (st != IoStatus::kOk) return TVMA_E_SERVER_NOT_RESPONDING;
  Frame request;
  request.kind = FrameKind::kRegister;
  request.a = oid;
  Frame answer;
  st = channel->WriteFrame(request, kBrokerTimeoutMs);
  if (st == IoStatus::kOk) st = channel->ReadFrame(&answer, kBrokerTimeoutMs, nullptr);
  if (st != IoStatus::kOk) return st == IoStatus::kTimeout ? TVMA_E_SERVER_NOT_RESPONDING
                                                           : TVMA_E_TRANSPORT_ERROR;
  if (answer.kind != FrameKind::kResult) return TVMA_E_TRANSPORT_ERROR;
  if (answer.code != TVMA_SUCCESS) return answer.code;
  auto entry = std::make_shared<TvmaModule>();
  entry->oid = oid;
  entry->inbox = channel;
  std::lock_guard<std::mutex> hold(lock_);
  *module = modules_.Add(entry);
  return TVMA_SUCCESS;
}

void MessagingClient::CloseModule(const std::shared_ptr<TvmaModule>& module) {
  if (!module->pumping) {
    // Without a pump reading the connection the broker's answer can be read
    // here, so the OID is free again before this call returns.
    Frame request;
    request.kind = FrameKind::kUnregister;
    Frame answer;
    if (module->inbox->WriteFrame(request, kBrokerTimeoutMs) == IoStatus::kOk) {
      for (int skipped = 0; skipped < 64; ++skipped) {
        if (module->inbox->ReadFrame(&answer, kBrokerTimeoutMs, nullptr) != IoStatus::kOk ||
            answer.kind == FrameKind::kResult) {
          break;
        }
      }
    }
  }
  module->inbox->Shutdown();
}

TVMA_RESULT MessagingClient::UnregisterModule(TVMA_MODULE module) {
  std::shared_ptr<TvmaModule> entry;
  {
    std::lock_guard<std::mutex> hold(lock_);
    entry = modules_.Take(module);
    if (!entry) return TVMA_E_INVALID_PARAMETER;
  }
  CloseModule(entry);
  return TVMA_SUCCESS;
}

TVMA_RESULT MessagingClient::SendMessage(TVMA_MODULE module, const char* destination,
                                         TVMA_MESSAGE message, uint32_t timeout_ms) {
  DWORD start = GetTickCount();
  if (!ValidOid(destination)) return TVMA_E_INVALID_PARAMETER;
  Frame request;
  request.kind = FrameKind::kSend;
  request.b = destination;
  request.timeout_ms = timeout_ms;
  {
    std::lock_guard<std::mutex> hold(lock_);
    std::shared_ptr<TvmaModule> sender = modules_.Get(module);
    if (!sender) return TVMA_E_SENDER_NOT_REGISTRED;
    std::shared_ptr<TvmaMessage> m = messages_.Get(message);
    if (!m) return TVMA_E_INVALID_PARAMETER;
    request.a = sender->oid;
    request.message_id = m->id;
    request.payload = m->data;
  }
  std::shared_ptr<PipeChannel> channel;
  IoStatus st = PipeChannel::Connect(BrokerPipeName(), Remaining(start, timeout_ms), &channel);
  if (st == IoStatus::kBroken) return TVMA_E_SERVER_NOT_RESPONDING;
  if (st != IoStatus::kOk) return TVMA_E_TIMEOUT;
  st = channel->WriteFrame(request, Remaining(start, timeout_ms));
  Frame answer;
  if (st == IoStatus::kOk) st = channel->ReadFrame(&answer, Remaining(start, timeout_ms), nullptr);
  if (st != IoStatus::kOk) return FromIo(st);
  if (answer.kind != FrameKind::kResult) return TVMA_E_TRANSPORT_ERROR;
  if (answer.code != TVMA_SUCCESS) return answer.code;
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  if (!m) return TVMA_E_INVALID_PARAMETER;
  m->response = std::move(answer.payload);
  return TVMA_SUCCESS;
}

TVMA_MESSAGE MessagingClient::CreateMessage(uint32_t id) {
  auto m = std::make_shared<TvmaMessage>();
  m->id = id;
  std::lock_guard<std::mutex> hold(lock_);
  return messages_.Add(m);
}

TVMA_RESULT MessagingClient::DeleteMessage(TVMA_MESSAGE message) {
  std::lock_guard<std::mutex> hold(lock_);
  return messages_.Take(message) ? TVMA_SUCCESS : TVMA_E_INVALID_PARAMETER;
}

TVMA_RESULT MessagingClient::SetMessageData(TVMA_MESSAGE message, const void* data,
                                            uint32_t size) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  return m ? CopyIn(&m->data, data, size) : TVMA_E_INVALID_PARAMETER;
}

uint32_t MessagingClient::GetMessageId(TVMA_MESSAGE message) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  return m ? m->id : 0;
}

uint32_t MessagingClient::GetMessageDataSize(TVMA_MESSAGE message) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  return m ? static_cast<uint32_t>(m->data.size()) : 0;
}

TVMA_RESULT MessagingClient::GetMessageData(TVMA_MESSAGE message, void* buffer, uint32_t size) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  return m ? CopyOut(m->data, buffer, size) : TVMA_E_INVALID_PARAMETER;
}

TVMA_RESULT MessagingClient::SetResponseData(TVMA_MESSAGE message, const void* data,
                                             uint32_t size) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  return m ? CopyIn(&m->response, data, size) : TVMA_E_INVALID_PARAMETER;
}

uint32_t MessagingClient::GetResponseDataSize(TVMA_MESSAGE message) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  return m ? static_cast<uint32_t>(m->response.size()) : 0;
}

TVMA_RESULT MessagingClient::GetResponseData(TVMA_MESSAGE message, void* buffer, uint32_t size) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaMessage> m = messages_.Get(message);
  return m ? CopyOut(m->response, buffer, size) : TVMA_E_INVALID_PARAMETER;
}

TVMA_RESULT MessagingClient::InitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump) {
  if (pump == nullptr) return TVMA_E_INVALID_PARAMETER;
  auto p = std::make_shared<TvmaPump>();
  p->stop_event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!p->stop_event) return TVMA_E_OUT_OF_MEMORY;
  std::lock_guard<std::mutex> hold(lock_);
  p->module = modules_.Get(module);
  if (!p->module) return TVMA_E_SENDER_NOT_REGISTRED;
  *pump = pumps_.Add(p);
  return TVMA_SUCCESS;
}

TVMA_RESULT MessagingClient::RunMessagePump(TVMA_PUMP pump, TVMA_MESSAGE_HANDLER handler,
                                            void* context) {
  if (handler == nullptr) return TVMA_E_INVALID_PARAMETER;
  std::shared_ptr<TvmaPump> p;
  {
    std::lock_guard<std::mutex> hold(lock_);
    p = pumps_.Get(pump);
  }
  if (!p) return TVMA_E_INVALID_PARAMETER;
  bool expected = false;
  if (!p->module->pumping.compare_exchange_strong(expected, true)) return TVMA_E_ACCESS_DENIED;
  TVMA_RESULT result = TVMA_SUCCESS;
  for (;;) {
    if (WaitForSingleObject(p->stop_event.Get(), 0) == WAIT_OBJECT_0) break;
    Frame incoming;
    IoStatus st = p->module->inbox->ReadFrame(&incoming, INFINITE, p->stop_event.Get());
    if (st == IoStatus::kStopped) break;
    if (st != IoStatus::kOk) {
      if (WaitForSingleObject(p->stop_event.Get(), 0) != WAIT_OBJECT_0) {
        result = TVMA_E_TRANSPORT_ERROR;
      }
      break;
    }
    if (incoming.kind != FrameKind::kDeliver) continue;
    auto m = std::make_shared<TvmaMessage>();
    m->id = incoming.message_id;
    m->data = std::move(incoming.payload);
    TVMA_MESSAGE handle;
    {
      std::lock_guard<std::mutex> hold(lock_);
      handle = messages_.Add(m);
    }
    Frame reply;
    reply.kind = FrameKind::kReply;
    reply.seq = incoming.seq;
    reply.code = handler(0, handle, context);
    {
      std::lock_guard<std::mutex> hold(lock_);
      messages_.Take(handle);
    }
    reply.payload = m->response;
    p->module->inbox->WriteFrame(reply, kBrokerTimeoutMs);
  }
  p->module->pumping = false;
  // Ready for another run of the same pump.
  ResetEvent(p->stop_event.Get());
  return result;
}

TVMA_RESULT MessagingClient::StopMessagePump(TVMA_PUMP pump) {
  std::lock_guard<std::mutex> hold(lock_);
  std::shared_ptr<TvmaPump> p = pumps_.Get(pump);
  if (!p) return TVMA_E_INVALID_PARAMETER;
  SetEvent(p->stop_event.Get());
  return TVMA_SUCCESS;
}

}  // namespace tvsim
