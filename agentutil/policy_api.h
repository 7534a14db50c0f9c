// The calls of the policy library that SHOWUID and RESETUID make, behind an
// interface: the program binds them to TVPMAPI.dll's imports, tests to fakes.
#pragma once

#include "installer/policy/tvpmapi.h"

namespace agentutil {

class PolicyApi {
 public:
  virtual ~PolicyApi() {}
  virtual INT32 UIDGetMethod(INT32* method) = 0;
  virtual INT32 UIDSetMethod(INT32 method) = 0;
  virtual INT32 CreateUID(INT32 operation) = 0;
  virtual INT32 GetUIDOperation(INT32* operation) = 0;
  virtual INT32 GetUIDA(INT32 index, char* buffer, INT32* size) = 0;
  virtual INT32 ChannelInitialize(TCH_CHANNEL* channel, void* extra) = 0;
  virtual INT32 ChannelUninitialize(TCH_CHANNEL channel) = 0;
  virtual INT32 CreatePolicyVar(QMP_HANDLE* handle) = 0;
  virtual INT32 SetOID(QMP_HANDLE handle, const char* oid) = 0;
  virtual INT32 GetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle) = 0;
  virtual INT32 SetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle, INT32 flags) = 0;
  virtual INT32 GetTableDimensions(QMP_HANDLE handle, INT32* rows, INT32* columns) = 0;
  virtual INT32 SetCellStringA(QMP_HANDLE handle, INT32 row, INT32 column, const char* text) = 0;
  virtual INT32 Close(QMP_HANDLE handle) = 0;
};

// TVPMAPI.dll through its imports; defined only in the program.
PolicyApi& ImportedPolicyApi();

}  // namespace agentutil
