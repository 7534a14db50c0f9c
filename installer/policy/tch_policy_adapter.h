// Policy back-end through the policy library's own channel.
#pragma once

#include "policy_adapter.h"

class TCHPolicyAdapter : public AbstractPolicyAdapter {
 public:
  TCHPolicyAdapter() : channel_(nullptr) {}
  ~TCHPolicyAdapter() override;
  TCHPolicyAdapter(const TCHPolicyAdapter&) = delete;
  TCHPolicyAdapter& operator=(const TCHPolicyAdapter&) = delete;

  bool Initialize() override;
  bool Uninitialize() override;
  INT32 GetPolicy(QMP_HANDLE* slot, const char* oid) override;
  INT32 SetPolicy(QMP_HANDLE variable) override;

 private:
  void CloseChannel();
  TCH_CHANNEL channel_;
};
