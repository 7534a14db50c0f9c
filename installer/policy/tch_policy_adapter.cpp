#include "tch_policy_adapter.h"

#include "policy_api.h"

using hx::policy::Api;

TCHPolicyAdapter::~TCHPolicyAdapter() { CloseChannel(); }

bool TCHPolicyAdapter::Initialize() {
  Log("Initializing TCH policy connection");
  if (channel_) return true;
  TCH_CHANNEL channel = nullptr;
  if (Api().tchInitialize(&channel, nullptr) != 0) {
    channel_ = nullptr;
    Log("Failed to initialize TCH");
    return false;
  }
  channel_ = channel;
  Log("TCH connection initialized");
  return true;
}

void TCHPolicyAdapter::CloseChannel() {
  if (!channel_) return;
  Api().tchUninitialize(channel_);
  channel_ = nullptr;
  Log("TCH policy connection uninitialized");
}

bool TCHPolicyAdapter::Uninitialize() {
  CloseChannel();
  return true;
}

INT32 TCHPolicyAdapter::GetPolicy(QMP_HANDLE* slot, const char* oid) {
  INT32 r = Api().setOID(*slot, oid);
  if (r == 0) r = Api().tchGetPolicy(channel_, *slot);
  return r;
}

INT32 TCHPolicyAdapter::SetPolicy(QMP_HANDLE variable) {
  return Api().tchSetPolicy(channel_, variable, 0);
}
