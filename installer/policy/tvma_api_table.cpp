#include "tvma_api_table.h"

#include <cstdlib>
#include <cstring>

#include "policy_adapter.h"
#include "policy_api.h"
#include "proc_address.h"

using hx::policy::Api;
using hx::policy::ScopedPolicyVar;

namespace {

QMP_OID gDestination = nullptr;

bool Sent(TVMA_RESULT r) { return r == TVMA_SUCCESS; }

// Owns a message of the messaging library.
class ScopedMessage {
 public:
  ScopedMessage(TVMAApiTable& table, UINT32 id) : table_(table), message_(table.CreateMessage(id)) {}
  ~ScopedMessage() {
    if (message_) table_.DeleteMessage(message_);
  }
  ScopedMessage(const ScopedMessage&) = delete;
  ScopedMessage& operator=(const ScopedMessage&) = delete;
  TVMA_MESSAGE Get() const { return message_; }

 private:
  TVMAApiTable& table_;
  TVMA_MESSAGE message_;
};

}  // namespace

INT32 AgentPolicyDestination(QMP_OID* destination) {
  if (!gDestination) {
    QMP_OID made = nullptr;
    if (Api().createPolicyOID(HX_TVMA_POLICY_DESTINATION_OID, &made) != 0 || !made)
      return kPolicyNoDestination;
    gDestination = made;
  }
  *destination = gDestination;
  return 0;
}

void ForgetAgentPolicyDestination() { gDestination = nullptr; }

TVMAApiTable::TVMAApiTable(HMODULE library)
    : library_(library),
      initialize_(nullptr),
      uninitialize_(nullptr),
      registerModule_(nullptr),
      unregisterModule_(nullptr),
      createMessage_(nullptr),
      deleteMessage_(nullptr),
      setMessageData_(nullptr),
      sendMessage_(nullptr),
      getResponseDataSize_(nullptr),
      getResponseData_(nullptr),
      responseBuffer_(nullptr) {}

bool TVMAApiTable::Bind() {
  HMODULE m = library_.Get();
  initialize_ = LookupExport<InitializeFn>(m, "_TVMAInitialize@8");
  uninitialize_ = LookupExport<UninitializeFn>(m, "_TVMAUninitialize@0");
  registerModule_ = LookupExport<RegisterModuleFn>(m, "_TVMARegisterModule@8");
  unregisterModule_ = LookupExport<UnregisterModuleFn>(m, "_TVMAUnregisterModule@4");
  createMessage_ = LookupExport<CreateMessageFn>(m, "_TVMACreateMessage@4");
  deleteMessage_ = LookupExport<DeleteMessageFn>(m, "_TVMADeleteMessage@4");
  setMessageData_ = LookupExport<SetMessageDataFn>(m, "_TVMASetMessageData@12");
  sendMessage_ = LookupExport<SendMessageFn>(m, "_TVMASendMessage@16");
  getResponseDataSize_ = LookupExport<GetResponseDataSizeFn>(m, "_TVMAGetResponseDataSize@4");
  getResponseData_ = LookupExport<GetResponseDataFn>(m, "_TVMAGetResponseData@12");
  return initialize_ && uninitialize_ && registerModule_ && unregisterModule_ && createMessage_ &&
         deleteMessage_ && setMessageData_ && sendMessage_ && getResponseDataSize_ &&
         getResponseData_;
}

TVMA_RESULT TVMAApiTable::Initialize(UINT32 version, UINT32 flags) {
  return initialize_(version, flags);
}
TVMA_RESULT TVMAApiTable::Uninitialize() { return uninitialize_(); }
TVMA_RESULT TVMAApiTable::RegisterModule(TVMA_MODULE* module, QMP_HANDLE identity) {
  return registerModule_(module, identity);
}
TVMA_RESULT TVMAApiTable::UnregisterModule(TVMA_MODULE module) { return unregisterModule_(module); }
TVMA_MESSAGE TVMAApiTable::CreateMessage(UINT32 id) { return createMessage_(id); }
TVMA_RESULT TVMAApiTable::DeleteMessage(TVMA_MESSAGE message) { return deleteMessage_(message); }
TVMA_RESULT TVMAApiTable::SetMessageData(TVMA_MESSAGE message, const void* data, UINT32 size) {
  return setMessageData_(message, data, size);
}
TVMA_RESULT TVMAApiTable::SendMessage(TVMA_MODULE module, QMP_OID destination,
                                      TVMA_MESSAGE message, UINT32 timeoutMs) {
  return sendMessage_(module, destination, message, timeoutMs);
}
UINT32 TVMAApiTable::GetResponseDataSize(TVMA_MESSAGE message) {
  return getResponseDataSize_(message);
}
TVMA_RESULT TVMAApiTable::GetResponseData(TVMA_MESSAGE message, void* buffer, UINT32 size) {
  return getResponseData_(message, buffer, size);
}

INT32 TVMAApiTable::ReadResponse(TVMA_MESSAGE message, BYTE** package, UINT32* packageSize) {
  *package = nullptr;
  *packageSize = 0;
  UINT32 n = GetResponseDataSize(message);
  if (n < 4) return kPolicyShortReply;
  BYTE* buffer = static_cast<BYTE*>(malloc(n));
  if (!buffer) return kPolicyNoMemory;
  // A reply that cannot be copied counts as too short.
  if (GetResponseData(message, buffer, n) != TVMA_SUCCESS) {
    free(buffer);
    return kPolicyShortReply;
  }
  INT32 status = 0;
  memcpy(&status, buffer, sizeof(status));
  if (n == 4) {
    free(buffer);
    return status;
  }
  responseBuffer_ = buffer;
  *package = buffer + 4;
  *packageSize = n - 4;
  return status;
}

void TVMAApiTable::FreeResponse(BYTE* package) {
  if (!package || !responseBuffer_ || package != responseBuffer_ + 4) return;
  free(responseBuffer_);
  responseBuffer_ = nullptr;
}

INT32 TVMAApiTable::GetPolicy(TVMA_MODULE module, QMP_HANDLE variable) {
  QMP_OID destination = nullptr;
  if (AgentPolicyDestination(&destination) != 0) return kPolicyNoDestination;
  void* packed = nullptr;
  INT32 r = Api().tchGetPackedOID(variable, &packed);
  if (r != 0) return r;
  INT32 packedSize = Api().tchGetPackedOIDSize(packed);
  ScopedMessage message(*this, kTvmaPolicyGetMessage);
  if (!message.Get()) return static_cast<INT32>(TVMA_E_UNKNOWN_ERROR);
  TVMA_RESULT sent = SetMessageData(message.Get(), packed,
                                    packedSize > 0 ? static_cast<UINT32>(packedSize) : 0);
  if (Sent(sent)) sent = SendMessage(module, destination, message.Get(), kTvmaSendTimeoutMs);
  if (!Sent(sent)) return static_cast<INT32>(sent);
  BYTE* package = nullptr;
  UINT32 packageSize = 0;
  INT32 status = ReadResponse(message.Get(), &package, &packageSize);
  if (status == 0)
    status = Api().tchUnpackPolicyGetPackage(variable, package, static_cast<INT32>(packageSize));
  FreeResponse(package);
  return status;
}

INT32 TVMAApiTable::GetPolicyVar(TVMA_MODULE module, const char* oid, QMP_HANDLE* slot) {
  *slot = nullptr;
  ScopedPolicyVar variable;
  INT32 r = Api().createPolicyVar(variable.Slot());
  if (r != 0) return r;
  r = Api().setOID(variable.Get(), oid);
  if (r == 0) r = GetPolicy(module, variable.Get());
  if (r != 0) return r;
  *slot = *variable.Slot();
  *variable.Slot() = nullptr;
  return 0;
}

INT32 TVMAApiTable::SetPolicy(TVMA_MODULE module, QMP_HANDLE variable) {
  QMP_OID destination = nullptr;
  if (AgentPolicyDestination(&destination) != 0) return kPolicyNoDestination;
  void* package = nullptr;
  INT32 size = 0;
  INT32 r = Api().tchCreatePolicySetPackage(variable, &package, &size);
  if (r != 0) return r;
  {
    ScopedMessage message(*this, kTvmaPolicySetMessage);
    if (!message.Get()) {
      r = static_cast<INT32>(TVMA_E_UNKNOWN_ERROR);
    } else {
      TVMA_RESULT sent =
          SetMessageData(message.Get(), package, size > 0 ? static_cast<UINT32>(size) : 0);
      if (Sent(sent)) sent = SendMessage(module, destination, message.Get(), kTvmaSendTimeoutMs);
      if (!Sent(sent)) {
        r = static_cast<INT32>(sent);
      } else if (GetResponseDataSize(message.Get()) != 4) {
        r = kPolicyBadSetReply;
      } else {
        INT32 status = 0;
        r = GetResponseData(message.Get(), &status, 4) == TVMA_SUCCESS ? status : kPolicyBadSetReply;
      }
    }
  }
  Api().tchFreeMemory(package);
  return r;
}
