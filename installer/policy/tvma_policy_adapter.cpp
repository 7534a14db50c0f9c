#include "tvma_policy_adapter.h"

#include <cwchar>

#include "policy_api.h"
#include "product_common_directory.h"

using hx::policy::Api;
using hx::policy::ScopedPolicyVar;

TVMAPolicyAdapter::~TVMAPolicyAdapter() { Uninitialize(); }

const wchar_t* TVMAPolicyAdapter::CommonDirectory() { return ProductCommonDirectory(); }

std::unique_ptr<TVMAApiTable> TVMAPolicyAdapter::loadApiTable() {
  const wchar_t* directory = CommonDirectory();
  if (!directory || directory[0] == L'\0') return nullptr;
  // A path longer than the buffer is cut to its 259 characters.
  wchar_t path[260];
  lstrcpynW(path, directory, 260);
  size_t length = wcslen(path);
  if (length < 259) lstrcpynW(path + length, L"tvma32.dll", static_cast<int>(260 - length));
  HMODULE library = LoadLibraryW(path);
  if (!library) return nullptr;
  std::unique_ptr<TVMAApiTable> table(new TVMAApiTable(library));
  if (!table->Bind()) return nullptr;
  return table;
}

bool TVMAPolicyAdapter::Initialize() {
  Log("Establishing TVMA session...");
  if (!table_) table_ = loadApiTable();
  if (!table_) {
    Log("loadApiTable('tvma32.dll') failed");
    return false;
  }
  bool messagingUp = false;
  bool ok = false;
  {
    ScopedPolicyVar identity;
    if (table_->Initialize(256, 0) != TVMA_SUCCESS) {
      Log("TVMAInitialize failed");
    } else {
      messagingUp = true;
      if (Api().createPolicyVar(identity.Slot()) != 0) {
        Log("QmpCreatePolicyVar() failed");
      } else if (Api().setOID(identity.Get(), HX_TVMA_MODULE_IDENTITY_OID) != 0) {
        Log("QmpSetOID() failed");
      } else if (table_->RegisterModule(&module_, identity.Get()) != TVMA_SUCCESS) {
        Log("TVMARegisterModule() failed");
      } else {
        Log("TVMA session created");
        ok = true;
      }
    }
  }
  if (!ok) {
    if (messagingUp) table_->Uninitialize();
    table_.reset();
    module_ = 0;
  }
  return ok;
}

bool TVMAPolicyAdapter::Uninitialize() {
  if (!table_) return true;
  std::unique_ptr<TVMAApiTable> table(std::move(table_));
  TVMA_MODULE module = module_;
  module_ = 0;
  bool result = true;
  if (module != 0 && table->UnregisterModule(module) != TVMA_SUCCESS) {
    Log("TVMAUnregisterModule failed");
    result = false;
  }
  if (table->Uninitialize() != TVMA_SUCCESS) {
    Log("TVMAUninitialize failed");
    result = false;
  }
  return result;
}

INT32 TVMAPolicyAdapter::GetPolicy(QMP_HANDLE* slot, const char* oid) {
  if (!table_) return kPolicyNoSession;
  if (*slot) {
    Api().close(*slot);
    *slot = nullptr;
  }
  return table_->GetPolicyVar(module_, oid, slot);
}

INT32 TVMAPolicyAdapter::SetPolicy(QMP_HANDLE variable) {
  if (!table_) return kPolicyNoSession;
  return table_->SetPolicy(module_, variable);
}
