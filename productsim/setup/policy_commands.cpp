// Reading and changing the policy store directly (not through the policy
// channel, so the fault switches do not apply here).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command.h"
#include "policy_codes.h"
#include "store_file.h"
#include "store_format.h"

namespace tvsim_setup {

namespace {

using namespace tvsim;

bool ToInt(const std::string& text, int32_t* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || v < INT32_MIN || v > UINT32_MAX) return false;
  *out = static_cast<int32_t>(v);  // 0x80000000 and above wrap, as table times do
  return true;
}

bool ToCell(const std::string& text, int32_t type, Cell* cell) {
  if (IsIntType(type)) return ToInt(text, &cell->number);
  cell->text = text;
  return true;
}

int Report(int32_t r, const char* what, const std::string& oid) {
  if (r == kOk) return kExitOk;
  if (r == kErrOidNotFound) {
    Fail("%s %s: no such OID", what, oid.c_str());
    return kExitNotFound;
  }
  Fail("%s %s: error %d", what, oid.c_str(), r);
  return kExitFailed;
}

// Runs change on the entry of the OID inside one locked update.
template <typename Change>
int32_t ChangeEntry(const std::string& oid, bool must_exist, Change change) {
  return UpdateStore([&](StoreImage& image) -> int32_t {
    auto it = image.entries.find(oid);
    if (it == image.entries.end()) {
      if (must_exist) return kErrOidNotFound;
      it = image.entries.emplace(oid, PolicyValue()).first;
    }
    return change(it->second);
  });
}

int Get(const Args& a) {
  if (a.count() != 1) return kExitUsage;
  StoreImage image;
  int32_t r = LoadStore(&image);
  if (r != kOk) return Report(r, "get", a.at(0));
  auto it = image.entries.find(a.at(0));
  if (it == image.entries.end()) return Report(kErrOidNotFound, "get", a.at(0));
  const PolicyValue& v = it->second;
  if (v.kind == ValueKind::kScalar) {
    std::printf("%s\n", CellAsText(v.scalar, v.type).c_str());
  } else {
    std::string text;
    SerializeEntry(it->first, v, &text);
    std::fputs(text.c_str(), stdout);
  }
  return kExitOk;
}

int Set(const Args& a) {
  if (a.count() != 2 || !IsValidOid(a.at(0))) return kExitUsage;
  int32_t type = 0;
  if (a.Has("type") && !ToInt(a.Get("type", ""), &type)) return kExitUsage;
  int32_t r = ChangeEntry(a.at(0), false, [&](PolicyValue& v) -> int32_t {
    int32_t t = type ? type : (v.kind == ValueKind::kScalar ? v.type : kTypeText);
    PolicyValue nv;
    nv.kind = ValueKind::kScalar;
    nv.type = t;
    if (!ToCell(a.at(1), t, &nv.scalar)) return kErrTypeMismatch;
    v = nv;
    return kOk;
  });
  return Report(r, "set", a.at(0));
}

int SetCell(const Args& a) {
  int32_t row = 0, column = 0;
  if (a.count() != 4 || !ToInt(a.at(1), &row) || !ToInt(a.at(2), &column)) return kExitUsage;
  int32_t r = ChangeEntry(a.at(0), true, [&](PolicyValue& v) -> int32_t {
    if (v.kind != ValueKind::kTable) return kErrNotTable;
    if (!v.HasCell(row, column)) return kErrOutOfRange;
    return ToCell(a.at(3), v.column_types[column], &v.rows[row][column]) ? kOk
                                                                         : kErrTypeMismatch;
  });
  return Report(r, "set-cell", a.at(0));
}

int CreateTable(const Args& a) {
  if (a.count() != 2 || !IsValidOid(a.at(0))) return kExitUsage;
  std::vector<int32_t> types;
  std::string list = a.at(1);
  size_t start = 0;
  while (!list.empty()) {
    size_t comma = list.find(',', start);
    int32_t t = 0;
    if (!ToInt(list.substr(start, comma == std::string::npos ? comma : comma - start), &t))
      return kExitUsage;
    types.push_back(t);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  int32_t r = ChangeEntry(a.at(0), false, [&](PolicyValue& v) {
    v = PolicyValue::Table(types);
    return kOk;
  });
  return Report(r, "create-table", a.at(0));
}

int AddRow(const Args& a) {
  if (a.count() < 1) return kExitUsage;
  int32_t r = ChangeEntry(a.at(0), true, [&](PolicyValue& v) -> int32_t {
    if (v.kind != ValueKind::kTable) return kErrNotTable;
    if (a.count() - 1 > v.column_types.size()) return kErrOutOfRange;
    v.InsertRow(-1);
    for (size_t c = 1; c < a.count(); ++c)
      if (!ToCell(a.at(c), v.column_types[c - 1], &v.rows.back()[c - 1])) return kErrTypeMismatch;
    return kOk;
  });
  return Report(r, "add-row", a.at(0));
}

int RemoveRow(const Args& a) {
  int32_t row = 0;
  if (a.count() != 2 || !ToInt(a.at(1), &row)) return kExitUsage;
  int32_t r = ChangeEntry(a.at(0), true, [&](PolicyValue& v) -> int32_t {
    if (v.kind != ValueKind::kTable) return kErrNotTable;
    return v.RemoveRow(row) ? kOk : kErrOutOfRange;
  });
  return Report(r, "remove-row", a.at(0));
}

int Delete(const Args& a) {
  if (a.count() != 1) return kExitUsage;
  int32_t r = UpdateStore([&](StoreImage& image) {
    return image.entries.erase(a.at(0)) ? kOk : kErrOidNotFound;
  });
  return Report(r, "delete", a.at(0));
}

int Dump(const Args& a) {
  if (a.count() != 0) return kExitUsage;
  StoreImage image;
  int32_t r = LoadStore(&image);
  if (r != kOk) return Report(r, "dump", "store");
  std::string text;
  SerializeStore(image, &text);
  std::fputs(text.c_str(), stdout);
  return kExitOk;
}

int StorePath(const Args& a) {
  if (a.count() != 0) return kExitUsage;
  std::printf("%ls\n", StoreFilePath().c_str());
  return kExitOk;
}

const Command kCommands[] = {
    {"get", "OID", "print a variable's value, or a table's lines as in the store file", Get},
    {"set", "OID VALUE [--type N]",
     "set a variable (type: as stored, else 3; 7 to 10 take a decimal number)", Set},
    {"set-cell", "OID ROW COLUMN VALUE", "set one table cell (row and column from 0)", SetCell},
    {"create-table", "OID TYPES", "create or replace a table, TYPES like 7,3,3 (empty: none)",
     CreateTable},
    {"add-row", "OID [VALUE...]", "append a row, cells in column order (missing: empty, 0)",
     AddRow},
    {"remove-row", "OID ROW", "remove one table row", RemoveRow},
    {"delete", "OID", "remove a variable or table from the store", Delete},
    {"dump", "", "print the whole store", Dump},
    {"store-path", "", "print the store file's path", StorePath},
};

}  // namespace

const CommandFamily& PolicyCommands() {
  static const CommandFamily family = {"policy store", kCommands,
                                       sizeof kCommands / sizeof kCommands[0], nullptr, nullptr};
  return family;
}

}  // namespace tvsim_setup
