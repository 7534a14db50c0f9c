// Policy back-ends of the installer. IPolicyAdapter is the family's
// interface; AbstractPolicyAdapter adds the operations that every back-end
// builds on its GetPolicy/SetPolicy (text values, table columns, the wait for
// the policy store) and the log callback.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "log_sink.h"
#include "tvpmapi.h"

typedef std::vector<std::string> TextList;

// Result codes of the policy access (besides 0 and the libraries' codes).
const INT32 kPolicyNoMemory = -4;          // also: size query failed, column out of range
const INT32 kPolicyShortReply = -9;        // agent reply shorter than 4 bytes
const INT32 kPolicyNoSession = -11;        // agent adapter without messaging connection
const INT32 kPolicyBadSetReply = -503;     // agent set reply not exactly 4 bytes
const INT32 kPolicyOidNotFound = -508;     // store reached, OID not held
const INT32 kPolicyNoDestination = -509;   // agent destination OID handle not made
const INT32 kPolicyTypeNotSettable = -511; // type takes neither text nor a number
// Answer of a wrapper that holds no adapter.
const INT32 kPolicyNotConnected = -1;

// The OID whose absence proves that the store answers.
#define HX_POLICY_PROBE_OID "1.2.3.4.5.6.7.8.9.10"

class IPolicyAdapter {
 public:
  virtual ~IPolicyAdapter() {}
  virtual bool Initialize() = 0;
  virtual bool Uninitialize() = 0;
  // Fills the variable in the slot with the stored value of the OID; the slot
  // may receive another handle, which the caller then closes.
  virtual INT32 GetPolicy(QMP_HANDLE* slot, const char* oid) = 0;
  virtual INT32 SetPolicy(QMP_HANDLE variable) = 0;
  virtual INT32 GetStringValue(const char* oid, std::string& text) = 0;
  virtual INT32 GetColumnStrings(const char* oid, TextList& list, unsigned column) = 0;
  virtual void SetLogCallback(LogSinkV callback) = 0;
  virtual void LogMessage(const char* format, va_list args) = 0;
  virtual INT32 GetProductVersion(const char* productOid, std::string& text) = 0;
  virtual INT32 GetInstalledHotfixIds(const char* productOid, TextList& list) = 0;
  virtual INT32 GetPolicyTableDimensions(const char* oid, QMP_HANDLE* slot, INT32* rows,
                                         INT32* columns) = 0;
  virtual bool WaitForPolicy() = 0;
};

class AbstractPolicyAdapter : public IPolicyAdapter {
 public:
  AbstractPolicyAdapter() : logCallback_(nullptr) {}
  INT32 GetStringValue(const char* oid, std::string& text) override;
  INT32 GetColumnStrings(const char* oid, TextList& list, unsigned column) override;
  void SetLogCallback(LogSinkV callback) override { logCallback_ = callback; }
  void LogMessage(const char* format, va_list args) override;
  INT32 GetProductVersion(const char* productOid, std::string& text) override;
  INT32 GetInstalledHotfixIds(const char* productOid, TextList& list) override;
  INT32 GetPolicyTableDimensions(const char* oid, QMP_HANDLE* slot, INT32* rows,
                                 INT32* columns) override;
  bool WaitForPolicy() override;

 protected:
  // printf-style front end of LogMessage.
  void Log(const char* format, ...);
  LogSinkV logCallback() const { return logCallback_; }

 private:
  LogSinkV logCallback_;
};

// The wait between policy probes, replaceable so tests need not sleep.
typedef void (*PolicySleepFunction)(DWORD milliseconds);
PolicySleepFunction UsePolicySleep(PolicySleepFunction sleep);

// Probes made by WaitForPolicy and the pause after each failed one.
const int kPolicyProbeCount = 20;
const DWORD kPolicyProbeIntervalMs = 5000;
