// In-memory value of one policy variable: empty, a typed scalar, or a table
// with typed columns and rows of cells.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tvsim {

// Integer types use number, every other type uses text.
struct Cell {
  std::string text;
  int32_t number = 0;
};

enum class ValueKind { kEmpty, kScalar, kTable };

struct PolicyValue {
  ValueKind kind = ValueKind::kEmpty;
  int32_t type = 0;  // scalar type code
  Cell scalar;
  std::vector<int32_t> column_types;
  // A deque keeps appending rows and removing row 0 cheap, which is how the
  // installed-hotfix tables are rewritten.
  std::deque<std::vector<Cell>> rows;

  static PolicyValue Text(const std::string& text, int32_t type = 3);
  static PolicyValue Int(int32_t number, int32_t type = 7);
  static PolicyValue Table(const std::vector<int32_t>& column_types);

  // Appends (row < 0) or inserts before row a row of empty cells. False when
  // the row is out of range.
  bool InsertRow(long row);
  bool RemoveRow(long row);
  bool HasCell(long row, long column) const;
};

// The value shown as text: decimal for integer types, the text otherwise.
std::string CellAsText(const Cell& cell, int32_t type);

bool operator==(const PolicyValue& a, const PolicyValue& b);

}  // namespace tvsim
