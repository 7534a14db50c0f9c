#include "broker_fixture.h"

#include "productsim/tvma/broker_names.h"

namespace tvsimtest {

void BrokerFixture::SetUp() {
  static int counter = 0;
  store_dir_.reset(new hxtest::TempDir("tvsimstore"));
  std::wstring dir(store_dir_->path().begin(), store_dir_->path().end());
  SetEnvironmentVariableW(L"TVSIM_STORE_DIR", dir.c_str());
  pipe_name_ = L"\\\\.\\pipe\\tvsim-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
  SetEnvironmentVariableW(tvsim::kBrokerPipeVariable, pipe_name_.c_str());
  policy_.reset(new tvsim::PolicyModule(&switches_));
  poll_.reset(new tvsim::PollModule(&switches_));
  broker_.reset(new tvsim::Broker(pipe_name_, L"", &switches_));
  broker_->AddLocalModule(tvsim::kPolicyModuleOid, policy_.get());
  broker_->AddLocalModule(tvsim::kPollModuleOid, poll_.get());
  ASSERT_TRUE(broker_->Start());
  ASSERT_TRUE(Tvma().Load("tvma32.dll"));
  ASSERT_EQ(Tvma().Initialize(256, 0), TVMA_SUCCESS);
}

void BrokerFixture::TearDown() {
  Tvma().Uninitialize();
  broker_.reset();
  SetEnvironmentVariableW(tvsim::kBrokerPipeVariable, nullptr);
  SetEnvironmentVariableW(L"TVSIM_STORE_DIR", nullptr);
  store_dir_.reset();
}

TVMA_MODULE BrokerFixture::MustRegister(const char* oid) {
  TVMA_MODULE module = 0;
  EXPECT_EQ(Tvma().Register2(&module, oid), TVMA_SUCCESS) << oid;
  EXPECT_NE(module, 0u);
  return module;
}

TVMA_RESULT BrokerFixture::Send(TVMA_MODULE from, const char* destination, UINT32 id,
                                const std::vector<uint8_t>& payload,
                                std::vector<uint8_t>* reply, UINT32 timeout_ms) {
  TVMA_MESSAGE m = Tvma().CreateMessage(id);
  EXPECT_NE(m, 0u);
  if (!payload.empty()) {
    EXPECT_EQ(Tvma().SetMessageData(m, payload.data(), static_cast<UINT32>(payload.size())),
              TVMA_SUCCESS);
  }
  TVMA_RESULT r = Tvma().Send2(from, destination, m, timeout_ms);
  if (reply != nullptr) {
    reply->assign(Tvma().GetResponseDataSize(m), 0);
    if (!reply->empty()) {
      EXPECT_EQ(Tvma().GetResponseData(m, reply->data(), static_cast<UINT32>(reply->size())),
                TVMA_SUCCESS);
    }
  }
  EXPECT_EQ(Tvma().DeleteMessage(m), TVMA_SUCCESS);
  return r;
}

PumpThread::PumpThread(TVMA_MODULE module) {
  EXPECT_EQ(Tvma().InitMessagePump(module, &pump_), TVMA_SUCCESS);
  thread_ = std::thread([this] {
    pump_thread_id_ = GetCurrentThreadId();
    result_ = Tvma().RunMessagePump(pump_, &PumpThread::Handle, this);
  });
}

PumpThread::~PumpThread() {
  Tvma().StopMessagePump(pump_);
  Join();
}

TVMA_RESULT PumpThread::Join() {
  if (thread_.joinable()) thread_.join();
  return result_;
}

std::vector<UINT32> PumpThread::received() const {
  std::lock_guard<std::mutex> hold(lock_);
  return received_;
}

TVMA_RESULT __cdecl PumpThread::Handle(UINT32, TVMA_MESSAGE message, void* context) {
  auto* self = static_cast<PumpThread*>(context);
  if (GetCurrentThreadId() != self->pump_thread_id_) self->on_pump_thread_ = false;
  UINT32 id = Tvma().GetMessageID(message);
  {
    std::lock_guard<std::mutex> hold(self->lock_);
    self->received_.push_back(id);
  }
  if (id == 1) {
    std::vector<uint8_t> data(Tvma().GetMessageDataSize(message));
    if (!data.empty()) Tvma().GetMessageData(message, data.data(), static_cast<UINT32>(data.size()));
    Tvma().SetResponseData(message, data.data(), static_cast<UINT32>(data.size()));
    return TVMA_SUCCESS;
  }
  if (id == 3) {
    Tvma().StopMessagePump(self->pump_);
    return TVMA_SUCCESS;
  }
  return TVMA_E_UNHANDLED_MESSAGE;
}

}  // namespace tvsimtest
