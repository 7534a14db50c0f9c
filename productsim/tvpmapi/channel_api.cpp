// The policy channel to the shared store, and the packed forms that travel
// through the agent (formats in productsim/store/packing.h).
#include <windows.h>

#include <cstring>
#include <string>

#include "handles.h"
#include "packing.h"
#include "store_file.h"
#include "tvpmapi.h"

using tvpmapi::Guarded;
using tvpmapi::PolicyVariable;
using namespace tvsim;

extern "C" {

INT32 TVPMAPI_CALL TchInitialize(TCH_CHANNEL* channel, void* /*extra*/) {
  return Guarded([&] {
    if (!channel) return kErrInvalidArgument;
    *channel = nullptr;
    if (ChannelRefused()) return kErrChannelRefused;
    tvpmapi::Channel* c = new tvpmapi::Channel();
    if (!tvpmapi::AddChannel(c)) {
      delete c;
      return kErrNoMemory;
    }
    *channel = c;
    return kOk;
  });
}

INT32 TVPMAPI_CALL TchUninitialize(TCH_CHANNEL channel) {
  tvpmapi::Channel* c = tvpmapi::FindChannel(channel);
  if (!c || !tvpmapi::RemoveChannel(c)) return kErrInvalidArgument;
  delete c;
  return kOk;
}

INT32 TVPMAPI_CALL TchGetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!tvpmapi::FindChannel(channel) || !v) return kErrInvalidArgument;
    if (v->oid.empty()) return kErrNoOid;
    PolicyValue value;
    int32_t r = ServeGet(v->oid, &value);
    if (r == kOk) v->value = std::move(value);
    return r;
  });
}

INT32 TVPMAPI_CALL TchSetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle, INT32 /*flags*/) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!tvpmapi::FindChannel(channel) || !v) return kErrInvalidArgument;
    if (v->oid.empty()) return kErrNoOid;
    return ServeSet(v->oid, v->value);
  });
}

INT32 TVPMAPI_CALL TchGetPackedOID(QMP_HANDLE handle, void** packed) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!v || !packed) return kErrInvalidArgument;
    *packed = nullptr;
    if (v->oid.empty()) return kErrNoOid;
    if (v->packed_oid.empty()) v->packed_oid = PackOid(v->oid);
    *packed = &v->packed_oid[0];
    return kOk;
  });
}

INT32 TVPMAPI_CALL TchGetPackedOIDSize(const void* packed) {
  if (!packed) return kErrInvalidArgument;
  return PackedOidSize(packed);
}

INT32 TVPMAPI_CALL TchUnpackPolicyGetPackage(QMP_HANDLE handle, const void* data, INT32 size) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!v || size < 0 || (!data && size > 0)) return kErrInvalidArgument;
    std::string oid;
    PolicyValue value;
    int32_t r = UnpackPackage(PackageKind::kGetReply, data, static_cast<size_t>(size), &oid,
                              &value);
    if (r != kOk) return r;
    v->value = std::move(value);
    return kOk;
  });
}

INT32 TVPMAPI_CALL TchCreatePolicySetPackage(QMP_HANDLE handle, void** package, INT32* size) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!v || !package || !size) return kErrInvalidArgument;
    *package = nullptr;
    *size = 0;
    if (v->oid.empty()) return kErrNoOid;
    std::string bytes = PackPackage(PackageKind::kSetRequest, v->oid, v->value);
    void* memory = HeapAlloc(GetProcessHeap(), 0, bytes.size() ? bytes.size() : 1);
    if (!memory) return kErrNoMemory;
    std::memcpy(memory, bytes.data(), bytes.size());
    *package = memory;
    *size = static_cast<INT32>(bytes.size());
    return kOk;
  });
}

INT32 TVPMAPI_CALL TchFreeMemory(void* package) {
  if (package && !HeapFree(GetProcessHeap(), 0, package)) return kErrInvalidArgument;
  return kOk;
}

}  // extern "C"
