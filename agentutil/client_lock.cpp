#include "agentutil/client_lock.h"

namespace agentutil {

ClientLock::ClientLock() : created_(false) { Create(); }

ClientLock::~ClientLock() {
  if (created_) DeleteCriticalSection(&section_);
  created_ = false;
}

void ClientLock::Create() {
  if (created_) return;
  InitializeCriticalSection(&section_);
  created_ = true;
}

void ClientLock::Enter() {
  Create();
  EnterCriticalSection(&section_);
}

void ClientLock::Leave() {
  if (created_) LeaveCriticalSection(&section_);
}

}  // namespace agentutil
