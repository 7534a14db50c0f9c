#include "policy_value.h"

#include "policy_codes.h"

namespace tvsim {

PolicyValue PolicyValue::Text(const std::string& text, int32_t type) {
  PolicyValue v;
  v.kind = ValueKind::kScalar;
  v.type = type;
  v.scalar.text = text;
  return v;
}

PolicyValue PolicyValue::Int(int32_t number, int32_t type) {
  PolicyValue v;
  v.kind = ValueKind::kScalar;
  v.type = type;
  v.scalar.number = number;
  return v;
}

PolicyValue PolicyValue::Table(const std::vector<int32_t>& column_types) {
  PolicyValue v;
  v.kind = ValueKind::kTable;
  v.type = kTypeTable;
  v.column_types = column_types;
  return v;
}

bool PolicyValue::InsertRow(long row) {
  if (kind != ValueKind::kTable) return false;
  std::vector<Cell> cells(column_types.size());
  if (row < 0) {
    rows.push_back(std::move(cells));
    return true;
  }
  if (static_cast<unsigned long>(row) > rows.size()) return false;
  rows.insert(rows.begin() + row, std::move(cells));
  return true;
}

bool PolicyValue::RemoveRow(long row) {
  if (kind != ValueKind::kTable || row < 0 || static_cast<unsigned long>(row) >= rows.size())
    return false;
  if (row == 0)
    rows.pop_front();
  else
    rows.erase(rows.begin() + row);
  return true;
}

bool PolicyValue::HasCell(long row, long column) const {
  return kind == ValueKind::kTable && row >= 0 && column >= 0 &&
         static_cast<unsigned long>(row) < rows.size() &&
         static_cast<unsigned long>(column) < column_types.size();
}

std::string CellAsText(const Cell& cell, int32_t type) {
  if (IsIntType(type)) return std::to_string(cell.number);
  return cell.text;
}

static bool SameCell(const Cell& a, const Cell& b, int32_t type) {
  return IsIntType(type) ? a.number == b.number : a.text == b.text;
}

bool operator==(const PolicyValue& a, const PolicyValue& b) {
  if (a.kind != b.kind) return false;
  if (a.kind == ValueKind::kEmpty) return true;
  if (a.kind == ValueKind::kScalar) return a.type == b.type && SameCell(a.scalar, b.scalar, a.type);
  if (a.column_types != b.column_types || a.rows.size() != b.rows.size()) return false;
  for (size_t r = 0; r < a.rows.size(); ++r)
    for (size_t c = 0; c < a.column_types.size(); ++c)
      if (!SameCell(a.rows[r][c], b.rows[r][c], a.column_types[c])) return false;
  return true;
}

}  // namespace tvsim
