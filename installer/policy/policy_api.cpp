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

}  // namespace

const PolicyApi& Api() { return *gApi; }

const PolicyApi* UseApi(const PolicyApi* api) {
  const PolicyApi* previous = gApi;
  gApi = api ? api : &kLibraryApi;
  return previous;
}

}  // namespace policy
}  // namespace hx
