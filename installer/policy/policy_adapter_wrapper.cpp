#include "policy_adapter_wrapper.h"

PolicyAdapterWrapper::~PolicyAdapterWrapper() { Uninitialize(); }

bool PolicyAdapterWrapper::Connect(LogSinkV callback, AdapterFactory makeDefault,
                                   AdapterFactory makeSecondary) {
  SetLogCallback(callback);
  Log("PolicyAdapterWrapper::Initialize");
  if (adapter_) return true;
  if (TryAdapter(makeDefault())) return true;
  Log("Failed to initialize the default policy adapter");
  if (TryAdapter(makeSecondary())) return true;
  Log("Failed to initialize the secondary policy adapter. Policy connection will not work.");
  return false;
}

bool PolicyAdapterWrapper::SetAdapter(std::unique_ptr<IPolicyAdapter> adapter) {
  if (adapter_) return false;
  adapter_ = std::move(adapter);
  return true;
}

bool PolicyAdapterWrapper::TryAdapter(std::unique_ptr<IPolicyAdapter> adapter) {
  if (!adapter) return false;
  adapter->SetLogCallback(logCallback());
  adapter_ = std::move(adapter);
  if (adapter_->Initialize() && WaitForPolicy()) return true;
  // The adapter's destructor releases what its Initialize set up.
  adapter_.reset();
  return false;
}

bool PolicyAdapterWrapper::Uninitialize() {
  if (!adapter_) return true;
  bool result = adapter_->Uninitialize();
  adapter_.reset();
  return result;
}

INT32 PolicyAdapterWrapper::GetPolicy(QMP_HANDLE* slot, const char* oid) {
  return adapter_ ? adapter_->GetPolicy(slot, oid) : kPolicyNotConnected;
}

INT32 PolicyAdapterWrapper::SetPolicy(QMP_HANDLE variable) {
  return adapter_ ? adapter_->SetPolicy(variable) : kPolicyNotConnected;
}

INT32 PolicyAdapterWrapper::GetStringValue(const char* oid, std::string& text) {
  return adapter_ ? adapter_->GetStringValue(oid, text) : kPolicyNotConnected;
}

INT32 PolicyAdapterWrapper::GetColumnStrings(const char* oid, TextList& list, unsigned column) {
  return adapter_ ? adapter_->GetColumnStrings(oid, list, column) : kPolicyNotConnected;
}
