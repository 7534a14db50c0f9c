// Policy back-end through the product's agent: get and set requests to the
// agent's policy module over the messaging library.
#pragma once

#include <memory>

#include "policy_adapter.h"
#include "tvma_api_table.h"

// OID under which the installer registers with the agent.
#define HX_TVMA_MODULE_IDENTITY_OID "1.3.6.1.4.1.5839.11.2.27.10000"

class TVMAPolicyAdapter : public AbstractPolicyAdapter {
 public:
  TVMAPolicyAdapter() : module_(0) {}
  ~TVMAPolicyAdapter() override;
  TVMAPolicyAdapter(const TVMAPolicyAdapter&) = delete;
  TVMAPolicyAdapter& operator=(const TVMAPolicyAdapter&) = delete;

  bool Initialize() override;
  bool Uninitialize() override;
  INT32 GetPolicy(QMP_HANDLE* slot, const char* oid) override;
  INT32 SetPolicy(QMP_HANDLE variable) override;

  // tvma32.dll from the product common directory with all ten functions, or none.
  virtual std::unique_ptr<TVMAApiTable> loadApiTable();

 protected:
  // The directory loadApiTable looks in; the product common directory.
  virtual const wchar_t* CommonDirectory();

 private:
  std::unique_ptr<TVMAApiTable> table_;
  TVMA_MODULE module_;
};
