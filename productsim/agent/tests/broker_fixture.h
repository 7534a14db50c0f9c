// An agent broker running inside the test program on a pipe of its own, with
// the policy store in a scratch folder, and the messaging library pointed at
// it. Every test gets a fresh broker and a fresh library session.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "productsim/agent/agent_modules.h"
#include "productsim/agent/broker.h"
#include "tvma_api.h"
#include "wine_test_env.h"

namespace tvsimtest {

class BrokerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Registers oid and expects success.
  TVMA_MODULE MustRegister(const char* oid);
  // Sends id with payload to destination; *reply receives the answer.
  TVMA_RESULT Send(TVMA_MODULE from, const char* destination, UINT32 id,
                   const std::vector<uint8_t>& payload, std::vector<uint8_t>* reply,
                   UINT32 timeout_ms = 5000);

  std::unique_ptr<hxtest::TempDir> store_dir_;
  std::wstring pipe_name_;
  tvsim::AgentSwitches switches_;
  std::unique_ptr<tvsim::PolicyModule> policy_;
  std::unique_ptr<tvsim::PollModule> poll_;
  std::unique_ptr<tvsim::Broker> broker_;
};

// A message pump for one module on a thread of its own. Its handler answers
// id 1 with the payload echoed, id 3 by stopping its own pump, and anything
// else with UNHANDLED_MESSAGE.
class PumpThread {
 public:
  explicit PumpThread(TVMA_MODULE module);
  ~PumpThread();
  TVMA_RESULT Join();  // waits for the pump to end; its result
  std::vector<UINT32> received() const;
  bool ran_on_pump_thread() const { return on_pump_thread_; }

 private:
  static TVMA_RESULT __cdecl Handle(UINT32 reserved, TVMA_MESSAGE message, void* context);

  TVMA_PUMP pump_ = 0;
  std::thread thread_;
  std::atomic<TVMA_RESULT> result_{0};
  std::atomic<DWORD> pump_thread_id_{0};
  std::atomic<bool> on_pump_thread_{true};
  mutable std::mutex lock_;
  std::vector<UINT32> received_;
};

}  // namespace tvsimtest
