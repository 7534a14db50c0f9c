// Policy variables and tables: creation, naming, typed values and cells.
#include <cstddef>
#include <cstring>
#include <string>

#include "handles.h"
#include "store_format.h"
#include "tvpmapi.h"

using tvpmapi::Guarded;
using tvpmapi::PolicyVariable;
using namespace tvsim;

namespace {

// The size-query convention: a null buffer with size 0 asks for the bytes
// needed (text and NUL); otherwise the text and its NUL must fit.
int32_t CopyOut(const std::string& text, char* buffer, INT32 size) {
  if (!buffer) {
    if (size != 0) return kErrInvalidArgument;
    return static_cast<int32_t>(text.size() + 1);
  }
  if (size <= 0) return kErrBufferTooSmall;
  if (text.size() + 1 > static_cast<size_t>(size)) {
    buffer[0] = '\0';
    return kErrBufferTooSmall;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return kOk;
}

int32_t NewVariable(QMP_HANDLE* handle, bool table) {
  if (!handle) return kErrInvalidArgument;
  *handle = nullptr;
  PolicyVariable* v = new PolicyVariable();
  if (table) v->value = PolicyValue::Table({});
  if (!tvpmapi::AddVariable(v)) {
    delete v;
    return kErrNoMemory;
  }
  *handle = v;
  return kOk;
}

// Finds the table variable and checks the cell; *v receives it.
int32_t CellOf(QMP_HANDLE handle, INT32 row, INT32 column, PolicyVariable** v) {
  *v = tvpmapi::FindVariable(handle);
  if (!*v) return kErrInvalidArgument;
  if ((*v)->value.kind != ValueKind::kTable) return kErrNotTable;
  if (!(*v)->value.HasCell(row, column)) return kErrOutOfRange;
  return kOk;
}

}  // namespace

extern "C" {

INT32 TVPMAPI_CALL QmpInitLibrary(void* /*reserved*/) { return kOk; }

INT32 TVPMAPI_CALL QmpCreatePolicyVar(QMP_HANDLE* handle) {
  return Guarded([&] { return NewVariable(handle, false); });
}

INT32 TVPMAPI_CALL QmpCreatePolicyTable(QMP_HANDLE* handle) {
  return Guarded([&] { return NewVariable(handle, true); });
}

INT32 TVPMAPI_CALL QmpSetOID(QMP_HANDLE handle, const char* oid) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!v || !oid || !IsValidOid(oid)) return kErrInvalidArgument;
    v->oid = oid;
    v->packed_oid.clear();
    return kOk;
  });
}

INT32 TVPMAPI_CALL QmpClose(QMP_HANDLE handle) {
  PolicyVariable* v = tvpmapi::FindVariable(handle);
  if (!v || !tvpmapi::RemoveVariable(v)) return kErrInvalidArgument;
  delete v;
  return kOk;
}

INT32 TVPMAPI_CALL QmpGetType(QMP_HANDLE handle, INT32* type) {
  PolicyVariable* v = tvpmapi::FindVariable(handle);
  if (!v || !type) return kErrInvalidArgument;
  switch (v->value.kind) {
    case ValueKind::kEmpty: *type = kTypeEmpty; break;
    case ValueKind::kScalar: *type = v->value.type; break;
    case ValueKind::kTable: *type = kTypeTable; break;
  }
  return kOk;
}

INT32 TVPMAPI_CALL QmpGetColumnType(QMP_HANDLE handle, INT32 column, INT32* type) {
  PolicyVariable* v = tvpmapi::FindVariable(handle);
  if (!v || !type) return kErrInvalidArgument;
  if (v->value.kind != ValueKind::kTable) return kErrNotTable;
  if (column < 0 || static_cast<size_t>(column) >= v->value.column_types.size())
    return kErrOutOfRange;
  *type = v->value.column_types[column];
  return kOk;
}

INT32 TVPMAPI_CALL QmpGetStringA(QMP_HANDLE handle, char* buffer, INT32 size) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!v) return kErrInvalidArgument;
    if (v->value.kind == ValueKind::kTable) return kErrNotTable;
    if (v->value.kind == ValueKind::kEmpty) {
      // Nothing to read: the size query answers 0.
      if (!buffer) return size == 0 ? 0 : kErrInvalidArgument;
      return CopyOut(std::string(), buffer, size);
    }
    if (!IsReadableAsText(v->value.type)) return kErrTypeMismatch;
    return CopyOut(CellAsText(v->value.scalar, v->value.type), buffer, size);
  });
}

INT32 TVPMAPI_CALL QmpGetCellStringA(QMP_HANDLE handle, INT32 row, INT32 column, char* buffer,
                                     INT32 size) {
  return Guarded([&] {
    PolicyVariable* v = nullptr;
    int32_t r = CellOf(handle, row, column, &v);
    if (r != kOk) return r;
    int32_t type = v->value.column_types[column];
    if (!IsReadableAsText(type)) return kErrTypeMismatch;
    return CopyOut(CellAsText(v->value.rows[row][column], type), buffer, size);
  });
}

INT32 TVPMAPI_CALL QmpSetStringA(QMP_HANDLE handle, const char* text) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!v || !text) return kErrInvalidArgument;
    PolicyValue& value = v->value;
    if (value.kind == ValueKind::kTable) return kErrNotTable;
    if (value.kind == ValueKind::kEmpty) {
      value = PolicyValue::Text(text);
      return kOk;
    }
    if (!IsTextType(value.type) && value.type != kTypeValueRecord) return kErrTypeMismatch;
    value.scalar.text = text;
    return kOk;
  });
}

INT32 TVPMAPI_CALL QmpSetInt(QMP_HANDLE handle, INT32 number) {
  PolicyVariable* v = tvpmapi::FindVariable(handle);
  if (!v) return kErrInvalidArgument;
  PolicyValue& value = v->value;
  if (value.kind == ValueKind::kTable) return kErrNotTable;
  if (value.kind == ValueKind::kEmpty) {
    value = PolicyValue::Int(number);
    return kOk;
  }
  if (!IsIntType(value.type)) return kErrTypeMismatch;
  value.scalar.number = number;
  return kOk;
}

INT32 TVPMAPI_CALL QmpGetTableDimensions(QMP_HANDLE handle, INT32* rows, INT32* columns) {
  PolicyVariable* v = tvpmapi::FindVariable(handle);
  if (!v || !rows || !columns) return kErrInvalidArgument;
  if (v->value.kind != ValueKind::kTable) return kErrNotTable;
  *rows = static_cast<INT32>(v->value.rows.size());
  *columns = static_cast<INT32>(v->value.column_types.size());
  return kOk;
}

INT32 TVPMAPI_CALL QmpGetCellInt(QMP_HANDLE handle, INT32 row, INT32 column, INT32* number) {
  if (!number) return kErrInvalidArgument;
  PolicyVariable* v = nullptr;
  int32_t r = CellOf(handle, row, column, &v);
  if (r != kOk) return r;
  if (!IsIntType(v->value.column_types[column])) return kErrTypeMismatch;
  *number = v->value.rows[row][column].number;
  return kOk;
}

INT32 TVPMAPI_CALL QmpSetCellStringA(QMP_HANDLE handle, INT32 row, INT32 column,
                                     const char* text) {
  return Guarded([&] {
    if (!text) return kErrInvalidArgument;
    PolicyVariable* v = nullptr;
    int32_t r = CellOf(handle, row, column, &v);
    if (r != kOk) return r;
    int32_t type = v->value.column_types[column];
    if (!IsTextType(type) && type != kTypeValueRecord) return kErrTypeMismatch;
    v->value.rows[row][column].text = text;
    return kOk;
  });
}

INT32 TVPMAPI_CALL QmpSetCellInt(QMP_HANDLE handle, INT32 row, INT32 column, INT32 number) {
  PolicyVariable* v = nullptr;
  int32_t r = CellOf(handle, row, column, &v);
  if (r != kOk) return r;
  if (!IsIntType(v->value.column_types[column])) return kErrTypeMismatch;
  v->value.rows[row][column].number = number;
  return kOk;
}

INT32 TVPMAPI_CALL QmpGetCellValue(QMP_HANDLE handle, INT32 row, INT32 column,
                                   QMP_VALUE_RECORD* record, INT32 size) {
  return Guarded([&] {
    if (!record) return kErrInvalidArgument;
    PolicyVariable* v = nullptr;
    int32_t r = CellOf(handle, row, column, &v);
    if (r != kOk) return r;
    int32_t type = v->value.column_types[column];
    if (!IsReadableAsText(type)) return kErrTypeMismatch;
    std::string text = CellAsText(v->value.rows[row][column], type);
    const size_t header = offsetof(QMP_VALUE_RECORD, data);
    if (size < 0 || static_cast<size_t>(size) < header + text.size() + 1)
      return kErrBufferTooSmall;
    record->type = type;
    record->length = static_cast<INT32>(text.size() + 1);
    std::memcpy(record->data, text.c_str(), text.size() + 1);
    return kOk;
  });
}

INT32 TVPMAPI_CALL QmpSetCellValue(QMP_HANDLE handle, INT32 row, INT32 column,
                                   const QMP_VALUE_RECORD* record) {
  return Guarded([&] {
    if (!record || record->length < 1 || record->length > 0x10000) return kErrInvalidArgument;
    PolicyVariable* v = nullptr;
    int32_t r = CellOf(handle, row, column, &v);
    if (r != kOk) return r;
    int32_t type = v->value.column_types[column];
    bool text_column = IsTextType(type) || type == kTypeValueRecord;
    bool text_record = IsTextType(record->type) || record->type == kTypeValueRecord;
    if (!text_column || !text_record) return kErrTypeMismatch;
    size_t n = 0;
    while (n < static_cast<size_t>(record->length) && record->data[n] != '\0') ++n;
    v->value.rows[row][column].text.assign(record->data, n);
    return kOk;
  });
}

INT32 TVPMAPI_CALL QmpInsertRow(QMP_HANDLE handle, INT32 row) {
  return Guarded([&] {
    PolicyVariable* v = tvpmapi::FindVariable(handle);
    if (!v) return kErrInvalidArgument;
    if (v->value.kind != ValueKind::kTable) return kErrNotTable;
    if (row < -1) return kErrOutOfRange;
    return v->value.InsertRow(row) ? kOk : kErrOutOfRange;
  });
}

INT32 TVPMAPI_CALL QmpRemoveRow(QMP_HANDLE handle, INT32 row) {
  PolicyVariable* v = tvpmapi::FindVariable(handle);
  if (!v) return kErrInvalidArgument;
  if (v->value.kind != ValueKind::kTable) return kErrNotTable;
  return v->value.RemoveRow(row) ? kOk : kErrOutOfRange;
}

INT32 TVPMAPI_CALL QmpCreatePolicyOID(const char* oid, QMP_OID* handle) {
  return Guarded([&] {
    if (!handle) return kErrInvalidArgument;
    *handle = nullptr;
    if (!oid || !IsValidOid(oid)) return kErrInvalidArgument;
    *handle = const_cast<std::string*>(tvpmapi::KeepOid(oid));
    return kOk;
  });
}

}  // extern "C"
