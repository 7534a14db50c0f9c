// The message-broker client's lock: a critical section that is created with
// the client, created on first entry should that not have happened, and
// deleted only when it was created.
#pragma once

#include <windows.h>

namespace agentutil {

class ClientLock {
 public:
  ClientLock();
  ~ClientLock();
  ClientLock(const ClientLock&) = delete;
  ClientLock& operator=(const ClientLock&) = delete;

  void Enter();
  void Leave();

 private:
  void Create();

  CRITICAL_SECTION section_;
  bool created_;
};

class ClientLockGuard {
 public:
  explicit ClientLockGuard(ClientLock& lock) : lock_(lock) { lock_.Enter(); }
  ~ClientLockGuard() { lock_.Leave(); }
  ClientLockGuard(const ClientLockGuard&) = delete;
  ClientLockGuard& operator=(const ClientLockGuard&) = delete;

 private:
  ClientLock& lock_;
};

}  // namespace agentutil
