// CMBClient: the utility's client of the agent's message broker. It registers
// a module under an OID, runs the module's message pump on a thread of its
// own, sends messages to other modules and shuts all of it down in order.
#pragma once

#include <windows.h>

#include <vector>

#include "agentutil/broker_ready.h"
#include "agentutil/client_lock.h"
#include "agentutil/clock.h"
#include "agentutil/result_code.h"
#include "agentutil/tvma_api.h"
#include "shared/scoped_handle.h"

namespace agentutil {

// Identifiers of the messages the agent sends to a module.
const UINT32 kMsgValueQuery = 0x04000001u;
const UINT32 kMsgNoAction = 0x04000002u;
const UINT32 kMsgSetValue = 0x04000003u;
const UINT32 kMsgStopRequest = 0x04000004u;

// Asked before each registration attempt with the number of attempts made so
// far; non-zero ends the attempts.
typedef int (*CancelCallback)(UINT32 attempts);

class CMBClient {
 public:
  enum State : UINT32 {
    kNotRegistered = 0,
    kRegistered = 1,
    kPumpRunning = 2,
    kPumpStopping = 3,
  };

  // Waits between registration attempts go through `clock`; `probe` tells
  // whether the broker is ready.
  CMBClient(TvmaApi& api, Clock& clock, BrokerReadyProbe probe = &IsBrokerReady);
  CMBClient(const CMBClient&) = delete;
  CMBClient& operator=(const CMBClient&) = delete;

  // Virtual operations in their slot order (0 to 8); the destructor follows
  // them so that it does not move a slot.
  // The value sent in answer to a value query.
  virtual UINT32 GetAnswerValue();
  // timeout_s 0xFFFFFFFF: no limit on the attempts; cancel may be null.
  virtual ResultCode Initialize(const char* module_oid, UINT32 timeout_s, CancelCallback cancel);
  virtual ResultCode Uninitialize();
  // Runs on the pump thread for each incoming message.
  virtual ResultCode HandleMessage(TVMA_MESSAGE message);
  virtual ResultCode OnValueSet();
  virtual ResultCode OnStopRequest();
  virtual ResultCode StartMessagePump();
  virtual ResultCode WaitForPumpThreads();
  virtual ResultCode StopMessagePump();
  // Uninitializes, then frees the lock and the thread set.
  virtual ~CMBClient();

  // data, answer, answer_size and send_result may be null. On entry
  // *answer_size is the buffer's size; on return the full size of the reply.
  ResultCode SendToModule(const char* recipient_oid, UINT32 message_id, const void* data,
                          UINT32 data_size, UINT32 timeout_ms, void* answer, UINT32* answer_size,
                          ResultCode* send_result);

  // Closes the handles of pump threads that have ended.
  void ReapPumpThreads();

  UINT32 state();
  UINT32 last_value() const { return last_value_; }
  size_t pump_thread_count();

 private:
  struct PumpContext {
    CMBClient* client;
    HANDLE ready;
    TVMA_PUMP* pump;
  };

  static unsigned __stdcall PumpThread(void* context);
  static TVMA_RESULT __cdecl OnMessage(UINT32 reserved, TVMA_MESSAGE message, void* context);

  // Returns the previous state.
  UINT32 SetState(UINT32 state);
  TVMA_MODULE module();
  // Only for the destructor when a stop request left threads behind.
  void JoinPumpThreads(DWORD timeout_ms);
  void CopyPumpThreadHandles(std::vector<hx::ScopedKernelHandle>* copies);

  TvmaApi& api_;
  Clock& clock_;
  BrokerReadyProbe probe_;
  ClientLock lock_;
  TVMA_MODULE module_;
  std::vector<hx::ScopedKernelHandle> pump_threads_;
  TVMA_PUMP pump_;
  UINT32 state_;
  volatile UINT32 last_value_;
};

}  // namespace agentutil
