#include "store_format.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "policy_codes.h"

namespace tvsim {

namespace {

const char kStoreHeader[] = "TVSIM-POLICY-STORE 1";
const char kFaultsHeader[] = "TVSIM-FAULTS 1";

void SplitTabs(const std::string& line, std::vector<std::string>* fields) {
  fields->clear();
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    if (tab == std::string::npos) {
      fields->push_back(line.substr(start));
      return;
    }
    fields->push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

bool ParseInt32(const std::string& text, int32_t* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  // Only an optional sign followed by digits.
  size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  *out = static_cast<int32_t>(v);
  return true;
}

std::string CellText(const Cell& cell, int32_t type) {
  return IsIntType(type) ? std::to_string(cell.number) : EscapeText(cell.text);
}

bool ParseCell(const std::string& field, int32_t type, Cell* cell) {
  if (IsIntType(type)) return ParseInt32(field, &cell->number);
  return UnescapeText(field, &cell->text);
}

bool ParseTypeList(const std::string& text, std::vector<int32_t>* types) {
  types->clear();
  if (text.empty()) return true;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    std::string part = text.substr(start, comma == std::string::npos ? std::string::npos
                                                                     : comma - start);
    int32_t t = 0;
    if (!ParseInt32(part, &t)) return false;
    types->push_back(t);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// Iterates over lines without copying the whole text; strips a trailing \r.
class LineReader {
 public:
  explicit LineReader(const std::string& text) : text_(text) {}
  bool Next(std::string* line) {
    if (pos_ >= text_.size()) return false;
    size_t nl = text_.find('\n', pos_);
    size_t end = nl == std::string::npos ? text_.size() : nl;
    line->assign(text_, pos_, end - pos_);
    if (!line->empty() && line->back() == '\r') line->pop_back();
    pos_ = nl == std::string::npos ? text_.size() : nl + 1;
    ++number_;
    return true;
  }
  size_t number() const { return number_; }

 private:
  const std::string& text_;
  size_t pos_ = 0;
  size_t number_ = 0;
};

}  // namespace

std::string EscapeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool UnescapeText(const std::string& text, std::string* out) {
  out->clear();
  out->reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (++i >= text.size()) return false;
    switch (text[i]) {
      case '\\': out->push_back('\\'); break;
      case 't': out->push_back('\t'); break;
      case 'n': out->push_back('\n'); break;
      case 'r': out->push_back('\r'); break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        int hi = HexDigit(text[i + 1]);
        int lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

bool IsValidOid(const std::string& oid) {
  if (oid.empty() || oid.front() == '.' || oid.back() == '.') return false;
  char prev = '.';
  for (char c : oid) {
    if (c == '.') {
      if (prev == '.') return false;
    } else if (c < '0' || c > '9') {
      return false;
    }
    prev = c;
  }
  return true;
}

void SerializeEntry(const std::string& oid, const PolicyValue& value, std::string* out) {
  if (value.kind == ValueKind::kTable) {
    *out += "table\t";
    *out += oid;
    *out += '\t';
    for (size_t c = 0; c < value.column_types.size(); ++c) {
      if (c) *out += ',';
      *out += std::to_string(value.column_types[c]);
    }
    *out += '\n';
    for (const auto& row : value.rows) {
      *out += "row";
      for (size_t c = 0; c < value.column_types.size(); ++c) {
        *out += '\t';
        *out += CellText(row[c], value.column_types[c]);
      }
      *out += '\n';
    }
    return;
  }
  int32_t type = value.kind == ValueKind::kScalar ? value.type : kTypeEmpty;
  *out += "var\t";
  *out += oid;
  *out += '\t';
  *out += std::to_string(type);
  *out += '\t';
  if (value.kind == ValueKind::kScalar) *out += CellText(value.scalar, type);
  *out += '\n';
}

void SerializeStore(const StoreImage& image, std::string* out) {
  out->clear();
  *out += kStoreHeader;
  *out += '\n';
  *out += "identity\t" + std::to_string(image.identity.method) + '\t' +
          std::to_string(image.identity.operation) + '\t' + EscapeText(image.identity.value) +
          '\n';
  for (const auto& entry : image.entries) SerializeEntry(entry.first, entry.second, out);
}

int32_t ParseStore(const std::string& text, StoreImage* image, size_t* error_line) {
  *image = StoreImage();
  LineReader reader(text);
  std::string line;
  std::vector<std::string> f;
  PolicyValue* table = nullptr;
  bool header = false;
  auto fail = [&]() {
    if (error_line) *error_line = reader.number();
    *image = StoreImage();
    return kErrStoreCorrupt;
  };
  while (reader.Next(&line)) {
    if (line.empty() || line[0] == '#') continue;
    if (!header) {
      if (line != kStoreHeader) return fail();
      header = true;
      continue;
    }
    SplitTabs(line, &f);
    const std::string& tag = f[0];
    if (tag == "row") {
      if (!table || f.size() != table->column_types.size() + 1) return fail();
      std::vector<Cell> cells(table->column_types.size());
      for (size_t c = 0; c < cells.size(); ++c)
        if (!ParseCell(f[c + 1], table->column_types[c], &cells[c])) return fail();
      table->rows.push_back(std::move(cells));
      continue;
    }
    table = nullptr;
    if (tag == "identity") {
      if (f.size() != 4 || !ParseInt32(f[1], &image->identity.method) ||
          !ParseInt32(f[2], &image->identity.operation) ||
          !UnescapeText(f[3], &image->identity.value))
        return fail();
    } else if (tag == "var") {
      int32_t type = 0;
      if (f.size() != 4 || !IsValidOid(f[1]) || !ParseInt32(f[2], &type)) return fail();
      PolicyValue v;
      if (type != kTypeEmpty) {
        v.kind = ValueKind::kScalar;
        v.type = type;
        if (!ParseCell(f[3], type, &v.scalar)) return fail();
      } else if (!f[3].empty()) {
        return fail();
      }
      image->entries[f[1]] = std::move(v);
    } else if (tag == "table") {
      std::vector<int32_t> types;
      if (f.size() != 3 || !IsValidOid(f[1]) || !ParseTypeList(f[2], &types)) return fail();
      PolicyValue& slot = image->entries[f[1]];
      slot = PolicyValue::Table(types);
      table = &slot;
    } else {
      return fail();
    }
  }
  if (!header) return fail();
  return kOk;
}

void SerializeFaults(const FaultSwitches& faults, std::string* out) {
  out->clear();
  *out += kFaultsHeader;
  *out += '\n';
  if (faults.channel_refused) *out += "channel-refused\n";
  if (faults.probe_exists) *out += "probe-exists\n";
  for (const auto& e : faults.oid_errors)
    *out += "oid-error\t" + e.first + '\t' + std::to_string(e.second) + '\n';
}

int32_t ParseFaults(const std::string& text, FaultSwitches* faults) {
  *faults = FaultSwitches();
  LineReader reader(text);
  std::string line;
  std::vector<std::string> f;
  bool header = false;
  while (reader.Next(&line)) {
    if (line.empty() || line[0] == '#') continue;
    if (!header) {
      if (line != kFaultsHeader) return kErrStoreCorrupt;
      header = true;
      continue;
    }
    SplitTabs(line, &f);
    if (f[0] == "channel-refused" && f.size() == 1) {
      faults->channel_refused = true;
    } else if (f[0] == "probe-exists" && f.size() == 1) {
      faults->probe_exists = true;
    } else if (f[0] == "oid-error" && f.size() == 3 && IsValidOid(f[1])) {
      int32_t code = 0;
      if (!ParseInt32(f[2], &code)) return kErrStoreCorrupt;
      faults->oid_errors[f[1]] = code;
    } else {
      *faults = FaultSwitches();
      return kErrStoreCorrupt;
    }
  }
  return header || text.empty() ? kOk : kErrStoreCorrupt;
}

}  // namespace tvsim
