#include "fake_policy_store.h"

#include <cstdlib>
#include <cstring>

namespace fake {
namespace {

const INT32 kBadArgument = -2;
const INT32 kTooSmall = -7;

Store gStore;

Variable* V(QMP_HANDLE h) { return static_cast<Variable*>(h); }
bool Valid(QMP_HANDLE h) { return h && gStore.live.count(V(h)) != 0; }

INT32 CopyText(const std::string& text, char* buffer, INT32 size) {
  if (!buffer && size == 0) return static_cast<INT32>(text.size()) + 1;
  if (size < static_cast<INT32>(text.size()) + 1) return kTooSmall;
  memcpy(buffer, text.c_str(), text.size() + 1);
  return 0;
}

Cell* At(QMP_HANDLE h, INT32 row, INT32 column) {
  if (!Valid(h)) return nullptr;
  Variable* v = V(h);
  if (row < 0 || column < 0 || row >= static_cast<INT32>(v->rows.size()) ||
      column >= static_cast<INT32>(v->columnTypes.size()))
    return nullptr;
  return &v->rows[row][column];
}

INT32 __stdcall CreateVar(QMP_HANDLE* h) {
  Variable* v = new Variable();
  gStore.live.insert(v);
  *h = v;
  return 0;
}
INT32 __stdcall CreateTable(QMP_HANDLE* h) {
  CreateVar(h);
  V(*h)->table = true;
  return 0;
}
INT32 __stdcall SetOID(QMP_HANDLE h, const char* oid) {
  if (!Valid(h) || !oid) return kBadArgument;
  V(h)->oid = oid;
  return 0;
}
INT32 __stdcall Close(QMP_HANDLE h) {
  if (!Valid(h)) return kBadArgument;
  gStore.live.erase(V(h));
  delete V(h);
  return 0;
}
INT32 __stdcall GetType(QMP_HANDLE h, INT32* type) {
  if (!Valid(h)) return kBadArgument;
  *type = V(h)->type;
  return 0;
}
INT32 __stdcall GetColumnType(QMP_HANDLE h, INT32 column, INT32* type) {
  if (!Valid(h) || column < 0 || column >= static_cast<INT32>(V(h)->columnTypes.size()))
    return kBadArgument;
  *type = V(h)->columnTypes[column];
  return 0;
}
INT32 __stdcall GetStringA(QMP_HANDLE h, char* buffer, INT32 size) {
  if (!Valid(h)) return kBadArgument;
  return CopyText(V(h)->text, buffer, size);
}
INT32 __stdcall GetCellStringA(QMP_HANDLE h, INT32 row, INT32 column, char* buffer, INT32 size) {
  Cell* c = At(h, row, column);
  return c ? CopyText(c->text, buffer, size) : kBadArgument;
}
INT32 __stdcall SetStringA(QMP_HANDLE h, const char* text) {
  if (!Valid(h)) return kBadArgument;
  V(h)->text = text;
  return 0;
}
INT32 __stdcall SetInt(QMP_HANDLE h, INT32 value) {
  if (!Valid(h)) return kBadArgument;
  V(h)->number = value;
  return 0;
}
INT32 __stdcall GetTableDimensions(QMP_HANDLE h, INT32* rows, INT32* columns) {
  if (!Valid(h)) return kBadArgument;
  *rows = static_cast<INT32>(V(h)->rows.size());
  *columns = static_cast<INT32>(V(h)->columnTypes.size());
  return 0;
}
INT32 __stdcall GetCellInt(QMP_HANDLE h, INT32 row, INT32 column, INT32* value) {
  Cell* c = At(h, row, column);
  if (!c) return kBadArgument;
  *value = c->number;
  return 0;
}
INT32 __stdcall SetCellStringA(QMP_HANDLE h, INT32 row, INT32 column, const char* text) {
  Cell* c = At(h, row, column);
  if (!c) return kBadArgument;
  c->text = text;
  return 0;
}
INT32 __stdcall SetCellInt(QMP_HANDLE h, INT32 row, INT32 column, INT32 value) {
  Cell* c = At(h, row, column);
  if (!c) return kBadArgument;
  c->number = value;
  return 0;
}
INT32 __stdcall GetCellValue(QMP_HANDLE h, INT32 row, INT32 column, QMP_VALUE_RECORD* record,
                             INT32 size) {
  Cell* c = At(h, row, column);
  if (!c) return kBadArgument;
  INT32 length = static_cast<INT32>(c->text.size()) + 1;
  if (size < 8 + length) return kTooSmall;
  record->type = QMP_TYPE_VALUE_RECORD;
  record->length = length;
  memcpy(reinterpret_cast<char*>(record) + 8, c->text.c_str(), length);
  return 0;
}
INT32 __stdcall SetCellValue(QMP_HANDLE h, INT32 row, INT32 column,
                             const QMP_VALUE_RECORD* record) {
  Cell* c = At(h, row, column);
  if (!c || record->type != QMP_TYPE_VALUE_RECORD || record->length < 1) return kBadArgument;
  const char* data = reinterpret_cast<const char*>(record) + 8;
  c->text.assign(data, strnlen(data, static_cast<size_t>(record->length)));
  return 0;
}
INT32 __stdcall InsertRow(QMP_HANDLE h, INT32 row) {
  if (!Valid(h) || row != -1) return kBadArgument;
  V(h)->rows.push_back(std::vector<Cell>(V(h)->columnTypes.size()));
  return 0;
}
INT32 __stdcall RemoveRow(QMP_HANDLE h, INT32 row) {
  if (!Valid(h) || row < 0 || row >= static_cast<INT32>(V(h)->rows.size())) return kBadArgument;
  if (gStore.removeRowResult != 0) return gStore.removeRowResult;
  V(h)->rows.erase(V(h)->rows.begin() + row);
  return 0;
}
INT32 __stdcall CreateOID(const char*, QMP_OID* oid) {
  if (gStore.createOidResult != 0) return gStore.createOidResult;
  static int destination;
  *oid = &destination;
  return 0;
}
INT32 __stdcall TchInit(TCH_CHANNEL* channel, void*) {
  if (gStore.tchInitializeResult != 0) return gStore.tchInitializeResult;
  static int theChannel;
  *channel = &theChannel;
  ++gStore.channelsOpen;
  return 0;
}
INT32 __stdcall TchUninit(TCH_CHANNEL) {
  --gStore.channelsOpen;
  return 0;
}
INT32 __stdcall TchGet(TCH_CHANNEL, QMP_HANDLE h) {
  ++gStore.getPolicyCalls;
  if (!Valid(h)) return kBadArgument;
  std::string oid = V(h)->oid;
  auto forced = gStore.getResult.find(oid);
  if (forced != gStore.getResult.end()) return forced->second;
  auto found = gStore.stored.find(oid);
  if (found == gStore.stored.end()) return QMP_E_OID_NOT_FOUND;
  bool table = V(h)->table;
  *V(h) = found->second;
  V(h)->table = table;
  return 0;
}
INT32 __stdcall TchSet(TCH_CHANNEL, QMP_HANDLE h, INT32) {
  ++gStore.setPolicyCalls;
  if (!Valid(h)) return kBadArgument;
  auto forced = gStore.setResult.find(V(h)->oid);
  if (forced != gStore.setResult.end()) return forced->second;
  gStore.stored[V(h)->oid] = *V(h);
  return 0;
}
INT32 __stdcall TchPackedOid(QMP_HANDLE h, void** packed) {
  if (!Valid(h)) return kBadArgument;
  *packed = const_cast<char*>(V(h)->oid.c_str());
  return 0;
}
INT32 __stdcall TchPackedOidSize(const void* packed) {
  return static_cast<INT32>(strlen(static_cast<const char*>(packed)));
}
INT32 __stdcall TchUnpack(QMP_HANDLE h, const void* data, INT32 size) {
  if (!Valid(h)) return kBadArgument;
  ++gStore.unpackCalls;
  gStore.lastUnpacked.assign(static_cast<const char*>(data ? data : ""),
                             data ? static_cast<size_t>(size) : 0);
  V(h)->text = gStore.lastUnpacked;
  return 0;
}
INT32 __stdcall TchSetPackage(QMP_HANDLE h, void** package, INT32* size) {
  if (!Valid(h)) return kBadArgument;
  char* copy = static_cast<char*>(malloc(V(h)->oid.size() + 1));
  memcpy(copy, V(h)->oid.c_str(), V(h)->oid.size() + 1);
  *package = copy;
  *size = static_cast<INT32>(V(h)->oid.size());
  return 0;
}
INT32 __stdcall TchFree(void* package) {
  ++gStore.packagesFreed;
  free(package);
  return 0;
}

const hx::policy::PolicyApi kFakeApi = {
    CreateVar,     CreateTable,    SetOID,       Close,           GetType,
    GetColumnType, GetStringA,     GetCellStringA, SetStringA,    SetInt,
    GetTableDimensions, GetCellInt, SetCellStringA, SetCellInt,   GetCellValue,
    SetCellValue,  InsertRow,      RemoveRow,    CreateOID,       TchInit,
    TchUninit,     TchGet,         TchSet,       TchPackedOid,    TchPackedOidSize,
    TchUnpack,     TchSetPackage,  TchFree};

}  // namespace

Variable& Store::AddTable(const std::string& oid, const std::vector<INT32>& columnTypes) {
  Variable& v = stored[oid];
  v = Variable();
  v.oid = oid;
  v.table = true;
  v.columnTypes = columnTypes;
  return v;
}

Variable& Store::AddScalar(const std::string& oid, INT32 type, const std::string& text,
                           INT32 number) {
  Variable& v = stored[oid];
  v = Variable();
  v.oid = oid;
  v.type = type;
  v.text = text;
  v.number = number;
  return v;
}

Store& TheStore() { return gStore; }
const hx::policy::PolicyApi& Api() { return kFakeApi; }

ScopedFakePolicy::ScopedFakePolicy() : previous_(hx::policy::UseApi(&kFakeApi)) {
  gStore.Reset();
}
ScopedFakePolicy::~ScopedFakePolicy() {
  for (Variable* v : gStore.live) delete v;
  gStore.Reset();
  hx::policy::UseApi(previous_);
}

}  // namespace fake
