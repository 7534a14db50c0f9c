// The policy library calls the installer makes, gathered in one table. The
// installer runs with the table bound to TVPMAPI.dll; tests put an in-memory
// policy store in its place.
#pragma once

#include "tvpmapi.h"

namespace hx {
namespace policy {

struct PolicyApi {
  INT32(TVPMAPI_CALL* createPolicyVar)(QMP_HANDLE* handle);
  INT32(TVPMAPI_CALL* createPolicyTable)(QMP_HANDLE* handle);
  INT32(TVPMAPI_CALL* setOID)(QMP_HANDLE handle, const char* oid);
  INT32(TVPMAPI_CALL* close)(QMP_HANDLE handle);
  INT32(TVPMAPI_CALL* getType)(QMP_HANDLE handle, INT32* type);
  INT32(TVPMAPI_CALL* getColumnType)(QMP_HANDLE handle, INT32 column, INT32* type);
  INT32(TVPMAPI_CALL* getStringA)(QMP_HANDLE handle, char* buffer, INT32 size);
  INT32(TVPMAPI_CALL* getCellStringA)(QMP_HANDLE handle, INT32 row, INT32 column, char* buffer,
                                      INT32 size);
  INT32(TVPMAPI_CALL* setStringA)(QMP_HANDLE handle, const char* text);
  INT32(TVPMAPI_CALL* setInt)(QMP_HANDLE handle, INT32 value);
  INT32(TVPMAPI_CALL* getTableDimensions)(QMP_HANDLE handle, INT32* rows, INT32* columns);
  INT32(TVPMAPI_CALL* getCellInt)(QMP_HANDLE handle, INT32 row, INT32 column, INT32* value);
  INT32(TVPMAPI_CALL* setCellStringA)(QMP_HANDLE handle, INT32 row, INT32 column,
                                      const char* text);
  INT32(TVPMAPI_CALL* setCellInt)(QMP_HANDLE handle, INT32 row, INT32 column, INT32 value);
  INT32(TVPMAPI_CALL* getCellValue)(QMP_HANDLE handle, INT32 row, INT32 column,
                                    QMP_VALUE_RECORD* record, INT32 size);
  INT32(TVPMAPI_CALL* setCellValue)(QMP_HANDLE handle, INT32 row, INT32 column,
                                    const QMP_VALUE_RECORD* record);
  INT32(TVPMAPI_CALL* insertRow)(QMP_HANDLE handle, INT32 row);
  INT32(TVPMAPI_CALL* removeRow)(QMP_HANDLE handle, INT32 row);
  INT32(TVPMAPI_CALL* createPolicyOID)(const char* oid, QMP_OID* handle);
  INT32(TVPMAPI_CALL* tchInitialize)(TCH_CHANNEL* channel, void* extra);
  INT32(TVPMAPI_CALL* tchUninitialize)(TCH_CHANNEL channel);
  INT32(TVPMAPI_CALL* tchGetPolicy)(TCH_CHANNEL channel, QMP_HANDLE handle);
  INT32(TVPMAPI_CALL* tchSetPolicy)(TCH_CHANNEL channel, QMP_HANDLE handle, INT32 flags);
  INT32(TVPMAPI_CALL* tchGetPackedOID)(QMP_HANDLE handle, void** packed);
  INT32(TVPMAPI_CALL* tchGetPackedOIDSize)(const void* packed);
  INT32(TVPMAPI_CALL* tchUnpackPolicyGetPackage)(QMP_HANDLE handle, const void* data, INT32 size);
  INT32(TVPMAPI_CALL* tchCreatePolicySetPackage)(QMP_HANDLE handle, void** package, INT32* size);
  INT32(TVPMAPI_CALL* tchFreeMemory)(void* package);
};

// The table in use.
const PolicyApi& Api();
// A table whose every call fails with kPolicyLibraryMissing: used when the
// policy library could not be loaded, so that the run goes on without policy
// instead of ending at the first policy call.
const PolicyApi& UnavailablePolicyApi();
const INT32 kPolicyLibraryMissing = -1;
// Puts another table in place (null: the library again); returns the previous.
const PolicyApi* UseApi(const PolicyApi* api);

// Owns a policy variable handle and closes it with QmpClose.
class ScopedPolicyVar {
 public:
  ScopedPolicyVar() = default;
  ~ScopedPolicyVar() { Close(); }
  ScopedPolicyVar(const ScopedPolicyVar&) = delete;
  ScopedPolicyVar& operator=(const ScopedPolicyVar&) = delete;

  QMP_HANDLE Get() const { return handle_; }
  // The slot that creation and GetPolicy fill (GetPolicy may replace it).
  QMP_HANDLE* Slot() { return &handle_; }
  // QmpClose's code; 0 when nothing was held.
  INT32 Close() {
    INT32 r = 0;
    if (handle_) r = Api().close(handle_);
    handle_ = nullptr;
    return r;
  }

 private:
  QMP_HANDLE handle_ = nullptr;
};

}  // namespace policy
}  // namespace hx
