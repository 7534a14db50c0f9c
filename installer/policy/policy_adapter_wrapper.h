// The installer's one policy connection: owns the adapter in use and chooses
// it by trying a default and a secondary back-end.
#pragma once

#include <memory>

#include "policy_adapter.h"

class PolicyAdapterWrapper : public AbstractPolicyAdapter {
 public:
  PolicyAdapterWrapper() = default;
  ~PolicyAdapterWrapper() override;
  PolicyAdapterWrapper(const PolicyAdapterWrapper&) = delete;
  PolicyAdapterWrapper& operator=(const PolicyAdapterWrapper&) = delete;

  // Connects with the first adapter type that initialises and whose store
  // answers: Default, then Secondary. On a connected wrapper only the
  // callback is taken.
  template <typename Default, typename Secondary>
  bool Initialize(LogSinkV callback) {
    return Connect(callback, [] { return std::unique_ptr<IPolicyAdapter>(new Default()); },
                   [] { return std::unique_ptr<IPolicyAdapter>(new Secondary()); });
  }

  typedef std::unique_ptr<IPolicyAdapter> (*AdapterFactory)();
  bool Connect(LogSinkV callback, AdapterFactory makeDefault, AdapterFactory makeSecondary);

  // Not used to connect: connecting needs the adapter types.
  bool Initialize() override { return false; }
  bool Uninitialize() override;
  INT32 GetPolicy(QMP_HANDLE* slot, const char* oid) override;
  INT32 SetPolicy(QMP_HANDLE variable) override;
  INT32 GetStringValue(const char* oid, std::string& text) override;
  INT32 GetColumnStrings(const char* oid, TextList& list, unsigned column) override;

  virtual bool SetAdapter(std::unique_ptr<IPolicyAdapter> adapter);
  virtual bool TryAdapter(std::unique_ptr<IPolicyAdapter> adapter);

  bool IsConnected() const { return adapter_ != nullptr; }
  // Stops the wrapper and its adapter from logging (for a release after the
  // log's last lines were written).
  void DetachLog() {
    SetLogCallback(nullptr);
    if (adapter_) adapter_->SetLogCallback(nullptr);
  }
  IPolicyAdapter* adapter() const { return adapter_.get(); }

 private:
  std::unique_ptr<IPolicyAdapter> adapter_;
};
