#include "installed_hotfix_data.h"

#include <cstdio>
#include <cstring>

#include "hotfix_time.h"
#include "policy_api.h"

using hx::policy::Api;
using hx::policy::ScopedPolicyVar;

namespace {

// The table OID buffer holds 128 characters with its terminator.
const size_t kTableOidSize = 128;
// A value record of 256 bytes in all for the agent table's product OID.
const INT32 kOidRecordSize = 256;
const size_t kOidRecordData = kOidRecordSize - 2 * sizeof(INT32);

union OidRecord {
  QMP_VALUE_RECORD record;
  BYTE bytes[2 * sizeof(INT32) + 256];
};

// The data area of the record, addressed through the whole buffer.
char* RecordData(OidRecord& value) {
  return reinterpret_cast<char*>(value.bytes + 2 * sizeof(INT32));
}

// Opens the table of the OID in the slot and yields its dimensions. The
// part's policy error records the library calls; a failing GetPolicy leaves
// it as it was.
bool OpenTable(IPolicyAdapter& wrapper, const char* oid, ScopedPolicyVar& table,
               HotfixTablePart& part, INT32* rows, INT32* columns) {
  part.policyError = Api().createPolicyTable(table.Slot());
  if (part.policyError != 0) {
    part.errorKind = kHotfixTablePolicy;
    return false;
  }
  if (wrapper.GetPolicy(table.Slot(), oid) != 0) {
    part.errorKind = kHotfixTablePolicy;
    return false;
  }
  *rows = 0;
  *columns = 0;
  part.policyError = Api().getTableDimensions(table.Get(), rows, columns);
  if (part.policyError != 0) {
    part.errorKind = kHotfixTablePolicy;
    return false;
  }
  return true;
}

// Reads a text cell into its buffer while no error is recorded.
void ReadText(QMP_HANDLE table, INT32 row, INT32 column, char* buffer, INT32 size,
              HotfixTablePart& part) {
  if (part.policyError != 0) return;
  part.policyError = Api().getCellStringA(table, row, column, buffer, size);
  buffer[size - 1] = '\0';
}

INT32 ReadInt(QMP_HANDLE table, INT32 row, INT32 column, const HotfixTablePart& part) {
  INT32 value = 0;
  if (part.policyError != 0) return 0;
  if (Api().getCellInt(table, row, column, &value) != 0) value = 0;
  return value;
}

// Records a write call's result; false on the first failure.
bool Wrote(INT32 result, HotfixTablePart& part) {
  part.policyError = result;
  if (result == 0) return true;
  part.errorKind = kHotfixTablePolicy;
  return false;
}

// Empties the table in the slot (step before the rows are written anew).
// Rows go from the last one back: the same empty table as removing row 0 over
// and over, without making a store that keeps rows in an array shift all the
// others each time (tables may hold thousands of rows).
bool RemoveAllRows(ScopedPolicyVar& table, INT32 rows, HotfixTablePart& part) {
  for (INT32 row = rows - 1; row >= 0; --row)
    if (!Wrote(Api().removeRow(table.Get(), row), part)) return false;
  return true;
}

bool StoreTable(IPolicyAdapter& wrapper, ScopedPolicyVar& table, HotfixTablePart& part) {
  if (wrapper.SetPolicy(table.Get()) != 0) {
    part.errorKind = kHotfixTablePolicy;
    return false;
  }
  return true;
}

}  // namespace

bool InstalledHotfixData::SetProductOid(const char* productOid) {
  snprintf(productOid_, sizeof(productOid_), "%s", productOid ? productOid : "");
  char oid[kTableOidSize];
  return ProductTableOid(oid, sizeof(oid));
}

bool InstalledHotfixData::ProductTableOid(char* out, size_t size) const {
  int n = snprintf(out, size, "%s%s", productOid_, HX_PRODUCT_HOTFIX_TABLE_SUFFIX);
  return n >= 0 && static_cast<size_t>(n) < size;
}

void InstalledHotfixData::Clear() {
  productEntries.Clear();
  agentEntries.Clear();
}

bool InstalledHotfixData::ReadProductPart(IPolicyAdapter& wrapper) {
  productEntries.Clear();
  productPart = HotfixTablePart();
  char oid[kTableOidSize];
  if (!ProductTableOid(oid, sizeof(oid))) {
    // Too long for the table OID: never read a cut OID.
    productPart.errorKind = kHotfixTablePolicy;
    return false;
  }
  ScopedPolicyVar table;
  INT32 rows = 0;
  INT32 columns = 0;
  if (!OpenTable(wrapper, oid, table, productPart, &rows, &columns)) return false;
  for (INT32 row = 0; row < rows; ++row) {
    ProductHotfixEntry e;
    memset(&e, 0, sizeof(e));
    QMP_HANDLE t = table.Get();
    ReadText(t, row, 1, e.id, sizeof(e.id), productPart);
    ReadText(t, row, 2, e.description, sizeof(e.description), productPart);
    e.releaseDate = TimeFromCell(ReadInt(t, row, 3, productPart));
    ReadText(t, row, 4, e.productVersion, sizeof(e.productVersion), productPart);
    ReadText(t, row, 5, e.productBuild, 12, productPart);
    e.installationTime = TimeFromCell(ReadInt(t, row, 6, productPart));
    if (productPart.policyError != 0) {
      productPart.errorKind = kHotfixTablePolicy;
      return false;
    }
    if (!productEntries.Append(e)) {
      productPart.errorKind = kHotfixTableNoMemory;
      return false;
    }
  }
  return true;
}

bool InstalledHotfixData::ReadAgentPart(IPolicyAdapter& wrapper) {
  agentEntries.Clear();
  agentPart = HotfixTablePart();
  ScopedPolicyVar table;
  INT32 rows = 0;
  INT32 columns = 0;
  if (!OpenTable(wrapper, HX_AGENT_HOTFIX_TABLE_OID, table, agentPart, &rows, &columns))
    return false;
  for (INT32 row = 0; row < rows; ++row) {
    AgentHotfixEntry e;
    memset(&e, 0, sizeof(e));
    QMP_HANDLE t = table.Get();
    ReadText(t, row, 1, e.id, sizeof(e.id), agentPart);
    if (agentPart.policyError == 0) {
      OidRecord value;
      memset(&value, 0, sizeof(value));
      value.record.type = QMP_TYPE_VALUE_RECORD;
      value.record.length = 0;
      agentPart.policyError = Api().getCellValue(t, row, 2, &value.record, kOidRecordSize);
      if (agentPart.policyError == 0) {
        // The record's own length is not trusted beyond the buffer.
        snprintf(e.productOid, sizeof(e.productOid), "%.*s", static_cast<int>(kOidRecordData),
                 RecordData(value));
      }
    }
    ReadText(t, row, 3, e.productName, sizeof(e.productName), agentPart);
    e.installationTime = TimeFromCell(ReadInt(t, row, 4, agentPart));
    e.result = ReadInt(t, row, 5, agentPart);
    if (agentPart.policyError != 0) {
      agentPart.errorKind = kHotfixTablePolicy;
      return false;
    }
    if (!agentEntries.Append(e)) {
      agentPart.errorKind = kHotfixTableNoMemory;
      return false;
    }
  }
  return true;
}

bool InstalledHotfixData::WriteProductPart(IPolicyAdapter& wrapper) {
  productPart = HotfixTablePart();
  char oid[kTableOidSize];
  if (!ProductTableOid(oid, sizeof(oid))) {
    productPart.errorKind = kHotfixTablePolicy;
    return false;
  }
  ScopedPolicyVar table;
  INT32 rows = 0;
  INT32 columns = 0;
  if (!OpenTable(wrapper, oid, table, productPart, &rows, &columns)) return false;
  if (!RemoveAllRows(table, rows, productPart)) return false;
  INT32 row = 0;
  bool ok = true;
  QMP_HANDLE t = table.Get();
  productEntries.ForEach([&](const ProductHotfixEntry& e) {
    if (!ok) return;
    ok = Wrote(Api().insertRow(t, -1), productPart) &&
         Wrote(Api().setCellInt(t, row, 0, row), productPart) &&
         Wrote(Api().setCellStringA(t, row, 1, e.id), productPart) &&
         Wrote(Api().setCellStringA(t, row, 2, e.description), productPart) &&
         Wrote(Api().setCellInt(t, row, 3, TimeToCell(e.releaseDate)), productPart) &&
         Wrote(Api().setCellStringA(t, row, 4, e.productVersion), productPart) &&
         Wrote(Api().setCellStringA(t, row, 5, e.productBuild), productPart) &&
         Wrote(Api().setCellInt(t, row, 6, TimeToCell(e.installationTime)), productPart);
    ++row;
  });
  return ok && StoreTable(wrapper, table, productPart);
}

bool InstalledHotfixData::WriteAgentPart(IPolicyAdapter& wrapper) {
  agentPart = HotfixTablePart();
  ScopedPolicyVar table;
  INT32 rows = 0;
  INT32 columns = 0;
  if (!OpenTable(wrapper, HX_AGENT_HOTFIX_TABLE_OID, table, agentPart, &rows, &columns))
    return false;
  if (!RemoveAllRows(table, rows, agentPart)) return false;
  INT32 row = 0;
  bool ok = true;
  QMP_HANDLE t = table.Get();
  agentEntries.ForEach([&](const AgentHotfixEntry& e) {
    if (!ok) return;
    OidRecord value;
    memset(&value, 0, sizeof(value));
    value.record.type = QMP_TYPE_VALUE_RECORD;
    size_t length = strnlen(e.productOid, 255);
    memcpy(RecordData(value), e.productOid, length);
    value.record.length = static_cast<INT32>(length) + 1;
    ok = Wrote(Api().insertRow(t, -1), agentPart) &&
         Wrote(Api().setCellInt(t, row, 0, row), agentPart) &&
         Wrote(Api().setCellStringA(t, row, 1, e.id), agentPart) &&
         Wrote(Api().setCellValue(t, row, 2, &value.record), agentPart) &&
         Wrote(Api().setCellStringA(t, row, 3, e.productName), agentPart) &&
         Wrote(Api().setCellInt(t, row, 4, TimeToCell(e.installationTime)), agentPart) &&
         Wrote(Api().setCellInt(t, row, 5, e.result), agentPart);
    ++row;
  });
  return ok && StoreTable(wrapper, table, agentPart);
}

bool InstalledHotfixData::ReadFromPolicy(IPolicyAdapter& wrapper) {
  agentPart = HotfixTablePart();
  return ReadProductPart(wrapper) && ReadAgentPart(wrapper);
}

bool InstalledHotfixData::WriteToPolicy(IPolicyAdapter& wrapper) {
  agentPart = HotfixTablePart();
  return WriteProductPart(wrapper) && WriteAgentPart(wrapper);
}

void InstalledHotfixData::PrintProductEntry(LogSink print, const ProductHotfixEntry& e) {
  char released[32];
  char applied[32];
  FormatHotfixTime(e.releaseDate, released, sizeof(released));
  FormatHotfixTime(e.installationTime, applied, sizeof(applied));
  print("ID=%s, descr=%s, released=%s; ", e.id, e.description, released);
  print("applied: on product ver %s.%s, date=%s", e.productVersion, e.productBuild, applied);
}

void InstalledHotfixData::PrintAgentEntry(LogSink print, const AgentHotfixEntry& e) {
  char applied[32];
  FormatHotfixTime(e.installationTime, applied, sizeof(applied));
  print("ID=%s, product=%s (\"%s\"), applied on %s, result=%d\n", e.id, e.productOid,
        e.productName, applied, static_cast<int>(e.result));
}

void InstalledHotfixData::PrintEntries(LogSink print) const {
  if (!print) return;
  print("=== Installed hotfixes in policy of product %s (%u entries):\n", productOid_,
        productEntries.Count());
  productEntries.ForEach([print](const ProductHotfixEntry& e) { PrintProductEntry(print, e); });
  print("=== Installed hotfixes in TVMA policy (%u entries):\n", agentEntries.Count());
  agentEntries.ForEach([print](const AgentHotfixEntry& e) { PrintAgentEntry(print, e); });
}
