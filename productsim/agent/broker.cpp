#include "productsim/agent/broker.h"

#include "installer/policy/tvma32.h"
#include "productsim/agent/agent_control.h"

namespace tvsim {
namespace {

constexpr DWORD kWriteTimeoutMs = 5000;
constexpr DWORD kPipeBufferBytes = 64 * 1024;

// One outstanding message delivered to a pump, waiting for its reply.
struct Waiter {
  hx::ScopedKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  uint32_t code = TVMA_E_TRANSPORT_ERROR;
  std::vector<uint8_t> reply;
};

Frame Result(uint32_t code) {
  Frame f;
  f.kind = FrameKind::kResult;
  f.code = code;
  return f;
}

}  // namespace

struct BrokerConnection {
  explicit BrokerConnection(HANDLE pipe) : channel(std::make_shared<PipeChannel>(pipe, true)) {}
  std::shared_ptr<PipeChannel> channel;
  std::string module_oid;  // guarded by the broker's lock
  std::mutex pending_lock;
  std::map<uint32_t, std::shared_ptr<Waiter>> pending;
  bool closed = false;  // guarded by pending_lock
};

Broker::Broker(std::wstring pipe_name, std::wstring ready_mutex, AgentSwitches* switches)
    : pipe_name_(std::move(pipe_name)),
      ready_mutex_name_(std::move(ready_mutex)),
      switches_(switches),
      stop_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Broker::~Broker() { Stop(); }

void Broker::AddLocalModule(const std::string& oid, LocalModule* module) { local_[oid] = module; }

bool Broker::Start() {
  if (!stop_event_ || listener_.joinable()) return false;
  // The first instance is made here so that the name is served before the
  // readiness mutex appears.
  HANDLE first = CreateNamedPipeW(pipe_name_.c_str(),
                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                                      FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                  PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes, kPipeBufferBytes,
                                  0, nullptr);
  if (first == INVALID_HANDLE_VALUE) return false;
  listener_ = std::thread([this, first] {
    hx::ScopedKernelHandle instance(first);
    for (;;) {
      hx::ScopedKernelHandle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
      OVERLAPPED ov = {};
      ov.hEvent = connected.Get();
      bool ok = ConnectNamedPipe(instance.Get(), &ov) != 0;
      DWORD err = ok ? ERROR_PIPE_CONNECTED : GetLastError();
      if (err == ERROR_IO_PENDING) {
        HANDLE waits[2] = {connected.Get(), stop_event_.Get()};
        DWORD w = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (w != WAIT_OBJECT_0) {
          CancelIoEx(instance.Get(), &ov);
          DWORD n = 0;
          GetOverlappedResult(instance.Get(), &ov, &n, TRUE);
          return;
        }
        DWORD n = 0;
        err = GetOverlappedResult(instance.Get(), &ov, &n, FALSE) ? ERROR_PIPE_CONNECTED
                                                                   : GetLastError();
      }
      if (WaitForSingleObject(stop_event_.Get(), 0) == WAIT_OBJECT_0) return;
      if (err == ERROR_PIPE_CONNECTED || err == ERROR_NO_DATA) {
        auto connection = std::make_shared<BrokerConnection>(instance.Release());
        {
          std::lock_guard<std::mutex> hold(lock_);
          connections_.insert(connection);
          ++serving_;
        }
        std::thread([this, connection] { Serve(connection); }).detach();
      }
      instance.Reset(CreateNamedPipeW(pipe_name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                      PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes,
                                      kPipeBufferBytes, 0, nullptr));
      if (!instance) return;
    }
  });
  if (!ready_mutex_name_.empty()) {
    ready_mutex_.Reset(CreateMutexW(nullptr, FALSE, ready_mutex_name_.c_str()));
  }
  return true;
}

void Broker::Stop() {
  ready_mutex_.Close();
  std::set<std::shared_ptr<BrokerConnection>> open;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (stopped_) return;
    stopped_ = true;
    open = connections_;
  }
  if (stop_event_) SetEvent(stop_event_.Get());
  for (const auto& c : open) c->channel->Shutdown();
  if (listener_.joinable()) listener_.join();
  std::unique_lock<std::mutex> hold(lock_);
  idle_.wait_for(hold, std::chrono::seconds(10), [this] { return serving_ == 0; });
}

std::vector<std::string> Broker::RegisteredModules() {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<std::string> oids;
  for (const auto& m : local_) oids.push_back(m.first);
  for (const auto& m : modules_) oids.push_back(m.first);
  return oids;
}

void Broker::Serve(std::shared_ptr<BrokerConnection> connection) {
  for (;;) {
    Frame request;
    if (connection->channel->ReadFrame(&request, INFINITE, stop_event_.Get()) != IoStatus::kOk) {
      break;
    }
    switch (request.kind) {
      case FrameKind::kRegister:
        connection->channel->WriteFrame(Register(connection, request.a), kWriteTimeoutMs);
        break;
      case FrameKind::kUnregister:
        Unregister(connection);
        connection->channel->WriteFrame(Result(TVMA_SUCCESS), kWriteTimeoutMs);
        break;
      case FrameKind::kSend:
        AnswerSend(connection, request);
        break;
      case FrameKind::kReply: {
        std::lock_guard<std::mutex> hold(connection->pending_lock);
        auto it = connection->pending.find(request.seq);
        if (it != connection->pending.end()) {
          it->second->code = request.code;
          it->second->reply = std::move(request.payload);
          SetEvent(it->second->done.Get());
          connection->pending.erase(it);
        }
        break;
      }
      case FrameKind::kControl:
        connection->channel->WriteFrame(Control(request), kWriteTimeoutMs);
        break;
      default:
        break;
    }
  }
  Unregister(connection);
  {
    // Messages waiting on this module's pump fail at once.
    std::lock_guard<std::mutex> hold(connection->pending_lock);
    connection->closed = true;
    for (auto& p : connection->pending) {
      p.second->code = TVMA_E_RECIPIENT_NOT_REGISTRED;
      SetEvent(p.second->done.Get());
    }
    connection->pending.clear();
  }
  connection->channel->Shutdown();
  std::lock_guard<std::mutex> hold(lock_);
  connections_.erase(connection);
  if (--serving_ == 0) idle_.notify_all();
}

Frame Broker::Register(const std::shared_ptr<BrokerConnection>& connection,
                       const std::string& oid) {
  uint32_t refused = switches_->refuse_registrations;
  if (refused != 0) return Result(refused);
  std::lock_guard<std::mutex> hold(lock_);
  if (stopped_) return Result(TVMA_E_SERVER_NOT_RESPONDING);
  if (!connection->module_oid.empty()) return Result(TVMA_E_ACCESS_DENIED);
  if (local_.count(oid) != 0) return Result(TVMA_E_ALREADY_REGISTERED);
  auto it = modules_.find(oid);
  // A holder whose process went away without unregistering gives way.
  if (it != modules_.end() && it->second->channel->PeerAlive()) {
    return Result(TVMA_E_ALREADY_REGISTERED);
  }
  if (it != modules_.end()) it->second->module_oid.clear();
  modules_[oid] = connection;
  connection->module_oid = oid;
  return Result(TVMA_SUCCESS);
}

void Broker::Unregister(const std::shared_ptr<BrokerConnection>& connection) {
  std::lock_guard<std::mutex> hold(lock_);
  if (connection->module_oid.empty()) return;
  auto it = modules_.find(connection->module_oid);
  if (it != modules_.end() && it->second == connection) modules_.erase(it);
  connection->module_oid.clear();
}

SendOutcome Broker::Route(const std::string& destination, uint32_t message_id,
                          const std::vector<uint8_t>& data, uint32_t timeout_ms) {
  SendOutcome out;
  DWORD start = GetTickCount();
  std::shared_ptr<BrokerConnection> target;
  LocalModule* local = nullptr;
  uint32_t seq = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto l = local_.find(destination);
    if (l != local_.end()) {
      local = l->second;
    } else {
      auto m = modules_.find(destination);
      if (m != modules_.end()) target = m->second;
    }
    if (++next_seq_ == 0) ++next_seq_;
    seq = next_seq_;
  }
  if (local != nullptr) {
    out.code = local->Handle(message_id, data, &out.reply);
    return out;
  }
  if (!target) {
    out.code = TVMA_E_RECIPIENT_NOT_REGISTRED;
    return out;
  }
  auto waiter = std::make_shared<Waiter>();
  {
    std::lock_guard<std::mutex> hold(target->pending_lock);
    if (target->closed) {
      out.code = TVMA_E_RECIPIENT_NOT_REGISTRED;
      return out;
    }
    target->pending[seq] = waiter;
  }
  Frame deliver;
  deliver.kind = FrameKind::kDeliver;
  deliver.seq = seq;
  deliver.message_id = message_id;
  deliver.payload = data;
  IoStatus st = target->channel->WriteFrame(deliver, Remaining(start, timeout_ms));
  if (st == IoStatus::kOk) {
    HANDLE waits[2] = {waiter->done.Get(), stop_event_.Get()};
    DWORD w = WaitForMultipleObjects(2, waits, FALSE, Remaining(start, timeout_ms));
    st = w == WAIT_OBJECT_0 ? IoStatus::kOk
         : w == WAIT_TIMEOUT ? IoStatus::kTimeout
                             : IoStatus::kBroken;
  }
  std::lock_guard<std::mutex> hold(target->pending_lock);
  target->pending.erase(seq);
  if (WaitForSingleObject(waiter->done.Get(), 0) == WAIT_OBJECT_0) {
    out.code = waiter->code;
    out.reply = std::move(waiter->reply);
  } else {
    out.code = st == IoStatus::kTimeout ? TVMA_E_TIMEOUT : TVMA_E_TRANSPORT_ERROR;
  }
  return out;
}

void Broker::AnswerSend(const std::shared_ptr<BrokerConnection>& connection,
                        const Frame& request) {
  DWORD start = GetTickCount();
  SendOutcome out = Route(request.b, request.message_id, request.payload, request.timeout_ms);
  if (switches_->drop_replies) {
    // No answer: the sender's own time-out ends its wait, then it hangs up.
    return;
  }
  DWORD delay = switches_->reply_delay_ms;
  DWORD spent = GetTickCount() - start;
  if (delay > spent &&
      WaitForSingleObject(stop_event_.Get(), delay - spent) == WAIT_OBJECT_0) {
    return;
  }
  Frame answer = Result(out.code);
  answer.payload = std::move(out.reply);
  connection->channel->WriteFrame(answer, kWriteTimeoutMs);
}

Frame Broker::Control(const Frame& request) {
  Frame answer = Result(TVMA_SUCCESS);
  std::string text;
  answer.code = RunControlCommand(this, switches_, request.a, request.b, &text);
  answer.payload.assign(text.begin(), text.end());
  return answer;
}

}  // namespace tvsim
