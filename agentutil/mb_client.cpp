#include "agentutil/mb_client.h"

#include <process.h>

namespace agentutil {
namespace {

// Registration attempts are this far apart.
const DWORD kAttemptIntervalMs = 500;
const UINT32 kUnlimitedTimeout = 0xFFFFFFFFu;
const UINT32 kApiVersion = 256;
// A stop request from the agent leaves the pump ending on its own; the
// destructor gives it this long before the client's memory goes away.
const DWORD kStoppedPumpJoinMs = 10000;

}  // namespace

CMBClient::CMBClient(TvmaApi& api, Clock& clock, BrokerReadyProbe probe)
    : api_(api),
      clock_(clock),
      probe_(probe != NULL ? probe : &IsBrokerReady),
      module_(0),
      pump_(0),
      state_(kNotRegistered),
      last_value_(0) {}

CMBClient::~CMBClient() {
  Uninitialize();
  // In state 3 Uninitialize leaves the pump thread alone; it runs client
  // code until its pump returns, so wait for it before the members go.
  JoinPumpThreads(kStoppedPumpJoinMs);
}

UINT32 CMBClient::GetAnswerValue() { return 0; }

ResultCode CMBClient::Initialize(const char* module_oid, UINT32 timeout_s,
                                 CancelCallback cancel) {
  if (state() != kNotRegistered) return TVMA_E_ACCESS_DENIED;
  ResultCode result = api_.Initialize(kApiVersion, 0);
  if (IsError(result)) return result;

  const bool unlimited = timeout_s == kUnlimitedTimeout;
  // 64-bit so that long time-outs do not wrap.
  const unsigned long long allowed =
      static_cast<unsigned long long>(timeout_s) * 1000u / kAttemptIntervalMs;
  bool cancelled = false;
  bool registered = false;
  UINT32 attempts = 0;
  for (;;) {
    if (cancel != NULL && cancel(attempts) != 0) {
      cancelled = true;
      break;
    }
    TVMA_MODULE module = 0;
    if (probe_()) {
      result = api_.RegisterModule(&module, module_oid);
    } else {
      result = TVMA_E_SERVER_NOT_RESPONDING;
    }
    ++attempts;
    if (IsSuccess(result)) {
      ClientLockGuard guard(lock_);
      module_ = module;
      registered = true;
      break;
    }
    if (result == TVMA_E_ALREADY_REGISTERED) break;
    if (!unlimited && attempts >= allowed) break;
    clock_.SleepMs(kAttemptIntervalMs);
  }
  if (cancelled && IsSuccess(result)) result = TVMA_E_TIMEOUT;
  if (registered) SetState(kRegistered);
  return result;
}

ResultCode CMBClient::Uninitialize() {
  switch (state()) {
    case kNotRegistered:
      return TVMA_SUCCESS;
    case kPumpStopping:
      // The agent stopped the pump; its thread has not been waited for.
      return TVMA_E_UNKNOWN_ERROR;
    case kPumpRunning:
      StopMessagePump();
      WaitForPumpThreads();
      break;
    default:
      break;
  }
  ClientLockGuard guard(lock_);
  ResultCode unregistered = api_.UnregisterModule(module_);
  ResultCode released = api_.Uninitialize();
  module_ = 0;
  state_ = kNotRegistered;
  if (IsError(unregistered)) return unregistered;
  if (IsError(released)) return released;
  return TVMA_SUCCESS;
}

ResultCode CMBClient::HandleMessage(TVMA_MESSAGE message) {
  switch (api_.GetMessageID(message)) {
    case kMsgValueQuery: {
      UINT32 value = GetAnswerValue();
      api_.SetResponseData(message, &value, sizeof(value));
      return TVMA_SUCCESS;
    }
    case kMsgNoAction:
      return TVMA_SUCCESS;
    case kMsgSetValue: {
      last_value_ = 0;
      if (api_.GetMessageDataSize(message) == sizeof(UINT32)) {
        UINT32 value = 0;
        if (IsSuccess(api_.GetMessageData(message, &value, sizeof(value)))) last_value_ = value;
      }
      return OnValueSet();
    }
    case kMsgStopRequest: {
      ResultCode result = OnStopRequest();
      StopMessagePump();
      return result;
    }
    default:
      return TVMA_E_UNHANDLED_MESSAGE;
  }
}

ResultCode CMBClient::OnValueSet() { return TVMA_SUCCESS; }

ResultCode CMBClient::OnStopRequest() { return TVMA_SUCCESS; }

ResultCode CMBClient::StartMessagePump() {
  if (state() != kRegistered) return TVMA_E_CONNECTION_NOT_ESTABLISHED;
  hx::ScopedKernelHandle ready(CreateEventA(NULL, FALSE, FALSE, NULL));
  if (!ready) return TVMA_SUCCESS;

  // Lives on this stack: the thread copies what it needs before it signals.
  PumpContext context = {this, ready.Get(), &pump_};
  uintptr_t started = _beginthreadex(NULL, 0, &CMBClient::PumpThread, &context, 0, NULL);
  if (started == 0) return TVMA_E_OUT_OF_MEMORY;
  HANDLE thread = reinterpret_cast<HANDLE>(started);
  {
    ClientLockGuard guard(lock_);
    pump_threads_.push_back(hx::ScopedKernelHandle(thread));
  }

  // A thread whose pump cannot be set up ends without signalling, so wait for
  // whichever comes first. The event comes first in the list: a thread that
  // signalled and ended at once still counts as ready.
  HANDLE waits[2] = {ready.Get(), thread};
  DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  // The pump thread has already entered state 2 (see PumpThread).
  if (woke == WAIT_OBJECT_0) return TVMA_SUCCESS;
  ResultCode result = TVMA_E_UNKNOWN_ERROR;
  DWORD exit_code = 0;
  if (woke == WAIT_OBJECT_0 + 1 && GetExitCodeThread(thread, &exit_code) &&
      IsError(exit_code)) {
    result = exit_code;
  }
  ReapPumpThreads();
  return result;
}

unsigned __stdcall CMBClient::PumpThread(void* param) {
  PumpContext* context = static_cast<PumpContext*>(param);
  if (context == NULL || context->client == NULL || context->pump == NULL) {
    return TVMA_E_UNKNOWN_ERROR;
  }
  CMBClient* client = context->client;
  TVMA_RESULT result = client->api_.InitMessagePump(client->module(), context->pump);
  if (IsError(result)) return result;
  TVMA_PUMP pump = *context->pump;
  // The state becomes "pump running" here rather than in the owner after its
  // wait: a stop request that arrives the moment the pump runs must find
  // state 2, and the owner must not overwrite the state 3 it leaves.
  client->SetState(kPumpRunning);
  SetEvent(context->ready);
  // The context is gone from here on.
  return client->api_.RunMessagePump(pump, &CMBClient::OnMessage, client);
}

TVMA_RESULT __cdecl CMBClient::OnMessage(UINT32 /*reserved*/, TVMA_MESSAGE message,
                                         void* context) {
  CMBClient* client = static_cast<CMBClient*>(context);
  if (client == NULL) return TVMA_E_UNKNOWN_ERROR;
  client->ReapPumpThreads();
  return client->HandleMessage(message);
}

ResultCode CMBClient::StopMessagePump() {
  {
    ClientLockGuard guard(lock_);
    if (state_ != kPumpRunning) return TVMA_SUCCESS;
    state_ = kPumpStopping;
  }
  return api_.StopMessagePump(pump_);
}

ResultCode CMBClient::WaitForPumpThreads() {
  UINT32 current = state();
  if (current != kPumpRunning && current != kPumpStopping) {
    return TVMA_E_CONNECTION_NOT_ESTABLISHED;
  }
  ReapPumpThreads();
  std::vector<hx::ScopedKernelHandle> waiting;
  CopyPumpThreadHandles(&waiting);
  for (size_t i = 0; i < waiting.size(); ++i) {
    WaitForSingleObject(waiting[i].Get(), INFINITE);
  }
  ReapPumpThreads();
  SetState(kRegistered);
  return TVMA_SUCCESS;
}

void CMBClient::ReapPumpThreads() {
  ClientLockGuard guard(lock_);
  std::vector<hx::ScopedKernelHandle>::iterator it = pump_threads_.begin();
  while (it != pump_threads_.end()) {
    DWORD exit_code = 0;
    if (GetExitCodeThread(it->Get(), &exit_code) && exit_code != STILL_ACTIVE) {
      it = pump_threads_.erase(it);  // closes the handle
    } else {
      ++it;
    }
  }
}

void CMBClient::JoinPumpThreads(DWORD timeout_ms) {
  std::vector<hx::ScopedKernelHandle> waiting;
  CopyPumpThreadHandles(&waiting);
  for (size_t i = 0; i < waiting.size(); ++i) WaitForSingleObject(waiting[i].Get(), timeout_ms);
}

void CMBClient::CopyPumpThreadHandles(std::vector<hx::ScopedKernelHandle>* copies) {
  // Own copies, since a pump thread may reap (close) the originals meanwhile.
  ClientLockGuard guard(lock_);
  for (size_t i = 0; i < pump_threads_.size(); ++i) {
    HANDLE copy = NULL;
    if (DuplicateHandle(GetCurrentProcess(), pump_threads_[i].Get(), GetCurrentProcess(), &copy,
                        SYNCHRONIZE, FALSE, 0)) {
      copies->push_back(hx::ScopedKernelHandle(copy));
    }
  }
}

ResultCode CMBClient::SendToModule(const char* recipient_oid, UINT32 message_id,
                                   const void* data, UINT32 data_size, UINT32 timeout_ms,
                                   void* answer, UINT32* answer_size, ResultCode* send_result) {
  if (send_result != NULL) *send_result = TVMA_E_UNKNOWN_ERROR;
  UINT32 current = state();
  if (current != kRegistered && current != kPumpRunning && current != kPumpStopping) {
    return TVMA_E_CONNECTION_NOT_ESTABLISHED;
  }
  TVMA_MESSAGE message = api_.CreateMessage(message_id);
  if (message == 0) return TVMA_E_OUT_OF_MEMORY;

  ResultCode result = TVMA_SUCCESS;
  if (data != NULL && data_size != 0) result = api_.SetMessageData(message, data, data_size);
  if (IsSuccess(result)) {
    result = api_.Send(module(), recipient_oid, message, timeout_ms);
    if (send_result != NULL) *send_result = result;
    if (IsSuccess(result)) {
      if (answer != NULL && answer_size != NULL && *answer_size != 0) {
        UINT32 full = api_.GetResponseDataSize(message);
        UINT32 copy = full < *answer_size ? full : *answer_size;
        result = api_.GetResponseData(message, answer, copy);
        *answer_size = full;
      } else if (answer_size != NULL) {
        *answer_size = 0;
      }
    }
  }
  api_.DeleteMessage(message);
  return result;
}

UINT32 CMBClient::state() {
  ClientLockGuard guard(lock_);
  return state_;
}

size_t CMBClient::pump_thread_count() {
  ClientLockGuard guard(lock_);
  return pump_threads_.size();
}

UINT32 CMBClient::SetState(UINT32 state) {
  ClientLockGuard guard(lock_);
  UINT32 previous = state_;
  state_ = state;
  return previous;
}

TVMA_MODULE CMBClient::module() {
  ClientLockGuard guard(lock_);
  return module_;
}

}  // namespace agentutil
