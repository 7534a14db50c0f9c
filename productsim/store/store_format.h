// Text form of the policy store, of its fault switches and of single entries.
// Pure logic: no file or OS access, so it can be tested and fuzzed alone.
//
// The store file is UTF-8/ANSI text, one record per line, fields separated by
// a tab:
//
//   TVSIM-POLICY-STORE 1
//   identity <method> <operation> <value>
//   var      <oid> <type> <value>
//   table    <oid> <type>,<type>,...
//   row      <cell> <cell> ...          (belongs to the table above it)
//
// Integer values are signed decimal; text is escaped: \\ \t \n \r and \xHH
// for other control characters. Every row holds exactly one cell per column.
// Empty lines and lines beginning with '#' are ignored.
//
// The fault switches live in their own small file:
//
//   TVSIM-FAULTS 1
//   channel-refused
//   probe-exists
//   oid-error <oid> <code>
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "policy_value.h"

namespace tvsim {

// The host identity kept with the store.
struct Identity {
  int32_t method = 0;     // 0 SMBIOSGUID, 1 RANDOMGUID, 2 WINS, 3 MAC
  int32_t operation = 0;  // 1: a new identity waits for the agent's next start
  std::string value;      // empty until generated
};

struct StoreImage {
  Identity identity;
  std::map<std::string, PolicyValue> entries;
};

struct FaultSwitches {
  bool channel_refused = false;
  bool probe_exists = false;
  std::map<std::string, int32_t> oid_errors;

  bool Any() const { return channel_refused || probe_exists || !oid_errors.empty(); }
};

std::string EscapeText(const std::string& text);
// False on a malformed escape.
bool UnescapeText(const std::string& text, std::string* out);

// True for dotted-decimal text such as 1.3.6.1: digits and single points,
// no point at either end.
bool IsValidOid(const std::string& oid);

void SerializeStore(const StoreImage& image, std::string* out);
// kOk, or kErrStoreCorrupt with the line number in *error_line.
int32_t ParseStore(const std::string& text, StoreImage* image, size_t* error_line = nullptr);

// One entry as "var"/"table"/"row" lines, appended to *out.
void SerializeEntry(const std::string& oid, const PolicyValue& value, std::string* out);

void SerializeFaults(const FaultSwitches& faults, std::string* out);
int32_t ParseFaults(const std::string& text, FaultSwitches* faults);

}  // namespace tvsim
