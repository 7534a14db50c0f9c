// TVPMAPI.dll bound through the program's ordinary imports.
#include "agentutil/policy_api.h"

namespace agentutil {
namespace {

class ImportedPolicy : public PolicyApi {
 public:
  INT32 UIDGetMethod(INT32* method) override { return QmUIDGetMethod(method); }
  INT32 UIDSetMethod(INT32 method) override { return QmUIDSetMethod(method); }
  INT32 CreateUID(INT32 operation) override { return QmpCreateUID(operation); }
  INT32 GetUIDOperation(INT32* operation) override { return QmpGetUIDOperation(operation); }
  INT32 GetUIDA(INT32 index, char* buffer, INT32* size) override {
    return QmpGetUIDA(index, buffer, size);
  }
  INT32 ChannelInitialize(TCH_CHANNEL* channel, void* extra) override {
    return TchInitialize(channel, extra);
  }
  INT32 ChannelUninitialize(TCH_CHANNEL channel) override { return TchUninitialize(channel); }
  INT32 CreatePolicyVar(QMP_HANDLE* handle) override { return QmpCreatePolicyVar(handle); }
  INT32 SetOID(QMP_HANDLE handle, const char* oid) override { return QmpSetOID(handle, oid); }
  INT32 GetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle) override {
    return TchGetPolicy(channel, handle);
  }
  INT32 SetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle, INT32 flags) override {
    return TchSetPolicy(channel, handle, flags);
  }
  INT32 GetTableDimensions(QMP_HANDLE handle, INT32* rows, INT32* columns) override {
    return QmpGetTableDimensions(handle, rows, columns);
  }
  INT32 SetCellStringA(QMP_HANDLE handle, INT32 row, INT32 column, const char* text) override {
    return QmpSetCellStringA(handle, row, column, text);
  }
  INT32 Close(QMP_HANDLE handle) override { return QmpClose(handle); }
};

}  // namespace

PolicyApi& ImportedPolicyApi() {
  static ImportedPolicy api;
  return api;
}

}  // namespace agentutil
