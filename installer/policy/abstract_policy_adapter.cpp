#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "policy_adapter.h"
#include "policy_api.h"

using hx::policy::Api;
using hx::policy::ScopedPolicyVar;

namespace {

void SleepMs(DWORD milliseconds) { Sleep(milliseconds); }
PolicySleepFunction gSleep = SleepMs;

// Reads a text through a size query and a read into a buffer of that size.
// 0 with the text set, 0 with the text unchanged (size 0), or an error code.
template <typename Read>
INT32 ReadSizedText(Read read, std::string& text) {
  INT32 n = read(nullptr, 0);
  if (n < 0) return kPolicyNoMemory;
  if (n == 0) return 0;
  char* buffer = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
  if (!buffer) return kPolicyNoMemory;
  INT32 r = read(buffer, n);
  if (r == 0) {
    buffer[n] = '\0';  // a library that fills the whole buffer still ends here
    text.assign(buffer);
  }
  free(buffer);
  return r;
}

std::string WithSuffix(const char* oid, const char* suffix) {
  std::string full(oid ? oid : "");
  full += suffix;
  return full;
}

}  // namespace

PolicySleepFunction UsePolicySleep(PolicySleepFunction sleep) {
  PolicySleepFunction previous = gSleep;
  gSleep = sleep ? sleep : SleepMs;
  return previous;
}

void AbstractPolicyAdapter::LogMessage(const char* format, va_list args) {
  if (logCallback_) logCallback_(format, args);
}

void AbstractPolicyAdapter::Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogMessage(format, args);
  va_end(args);
}

INT32 AbstractPolicyAdapter::GetStringValue(const char* oid, std::string& text) {
  ScopedPolicyVar variable;
  INT32 r = Api().createPolicyVar(variable.Slot());
  if (r != 0) return r;
  r = GetPolicy(variable.Slot(), oid);
  if (r == 0) {
    QMP_HANDLE handle = variable.Get();
    r = ReadSizedText(
        [handle](char* buffer, INT32 size) { return Api().getStringA(handle, buffer, size); },
        text);
  }
  INT32 closed = variable.Close();
  return r != 0 ? r : closed;
}

INT32 AbstractPolicyAdapter::GetColumnStrings(const char* oid, TextList& list, unsigned column) {
  ScopedPolicyVar variable;
  INT32 r = Api().createPolicyVar(variable.Slot());
  if (r != 0) return r;
  INT32 rows = 0;
  INT32 columns = 0;
  r = GetPolicyTableDimensions(oid, variable.Slot(), &rows, &columns);
  if (column >= static_cast<unsigned>(columns)) {
    r = kPolicyNoMemory;
  } else if (r == 0) {
    TextList fresh;
    QMP_HANDLE handle = variable.Get();
    for (INT32 row = 0; row < rows && r == 0; ++row) {
      std::string text;
      INT32 col = static_cast<INT32>(column);
      r = ReadSizedText(
          [handle, row, col](char* buffer, INT32 size) {
            return Api().getCellStringA(handle, row, col, buffer, size);
          },
          text);
      if (r == 0) fresh.push_back(text);
    }
    if (r == 0) list.swap(fresh);
  }
  INT32 closed = variable.Close();
  return r != 0 ? r : closed;
}

INT32 AbstractPolicyAdapter::GetPolicyTableDimensions(const char* oid, QMP_HANDLE* slot,
                                                      INT32* rows, INT32* columns) {
  INT32 r = GetPolicy(slot, oid);
  if (r == 0) r = Api().getTableDimensions(*slot, rows, columns);
  return r;
}

INT32 AbstractPolicyAdapter::GetProductVersion(const char* productOid, std::string& text) {
  return GetStringValue(WithSuffix(productOid, ".2.1").c_str(), text);
}

INT32 AbstractPolicyAdapter::GetInstalledHotfixIds(const char* productOid, TextList& list) {
  return GetColumnStrings(WithSuffix(productOid, ".2.9.10").c_str(), list, 1);
}

bool AbstractPolicyAdapter::WaitForPolicy() {
  for (int probe = 0; probe < kPolicyProbeCount; ++probe) {
    std::string scratch;
    if (GetStringValue(HX_POLICY_PROBE_OID, scratch) == kPolicyOidNotFound) {
      Log("Policy access ok");
      return true;
    }
    Log("Wait for policy to be accessible");
    gSleep(kPolicyProbeIntervalMs);
  }
  Log("Policy access is not working");
  return false;
}
