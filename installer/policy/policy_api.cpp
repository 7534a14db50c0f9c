#include "policy_api.h"

namespace hx {
namespace policy {
namespace {

const PolicyApi kLibraryApi = {
    QmpCreatePolicyVar,        QmpCreatePolicyTable,      QmpSetOID,
    QmpClose,                  QmpGetType,                QmpGetColumnType,
    QmpGetStringA,             QmpGetCellStringA,         QmpSetStringA,
    QmpSetInt,                 QmpGetTableDimensions,     QmpGetCellInt,
    QmpSetCellStringA,         QmpSetCellInt,             QmpGetCellValue,
    QmpSetCellValue,           QmpInsertRow,              QmpRemoveRow,
    QmpCreatePolicyOID,        TchInitialize,             TchUninitialize,
    TchGetPolicy,              TchSetPolicy,              TchGetPackedOID,
    TchGetPackedOIDSize,       TchUnpackPolicyGetPackage, TchCreatePolicySetPackage,
    TchFreeMemory};

const PolicyApi* gApi = &kLibraryApi;

// Every call of the unavailable table fails the same way, whatever its arguments.
template <typename... Args>
INT32 TVPMAPI_CALL Missing(Args...) {
  return kPolicyLibraryMissing;
}

const PolicyApi kUnavailableApi = {
    Missing<QMP_HANDLE*>, Missing<QMP_HANDLE*>, Missing<QMP_HANDLE, const char*>,
    Missing<QMP_HANDLE>, Missing<QMP_HANDLE, INT32*>, Missing<QMP_HANDLE, INT32, INT32*>,
    Missing<QMP_HANDLE, char*, INT32>, Missing<QMP_HANDLE, INT32, INT32, char*, INT32>,
    Missing<QMP_HANDLE, const char*>, Missing<QMP_HANDLE, INT32>,
    Missing<QMP_HANDLE, INT32*, INT32*>, Missing<QMP_HANDLE, INT32, INT32, INT32*>,
    Missing<QMP_HANDLE, INT32, INT32, const char*>, Missing<QMP_HANDLE, INT32, INT32, INT32>,
    Missing<QMP_HANDLE, INT32, INT32, QMP_VALUE_RECORD*, INT32>,
    Missing<QMP_HANDLE, INT32, INT32, const QMP_VALUE_RECORD*>, Missing<QMP_HANDLE, INT32>,
    Missing<QMP_HANDLE, INT32>, Missing<const char*, QMP_OID*>, Missing<TCH_CHANNEL*, void*>,
    Missing<TCH_CHANNEL>, Missing<TCH_CHANNEL, QMP_HANDLE>, Missing<TCH_CHANNEL, QMP_HANDLE, INT32>,
    Missing<QMP_HANDLE, void**>, Missing<const void*>, Missing<QMP_HANDLE, const void*, INT32>,
    Missing<QMP_HANDLE, void**, INT32*>, Missing<void*>};

}  // namespace

const PolicyApi& Api() { return *gApi; }

const PolicyApi& UnavailablePolicyApi() { return kUnavailableApi; }

const PolicyApi* UseApi(const PolicyApi* api) {
  const PolicyApi* previous = gApi;
  gApi = api ? api : &kLibraryApi;
  return previous;
}

}  // namespace policy
}  // namespace hx
