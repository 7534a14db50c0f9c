// Service control objects for restarting the agent's services. Each keeps its
// handle, the code of its last error (0: none) and the system's message text
// for that code. Every operation first clears the error; a failing one stores
// the system error and returns its code, success returns 0.
#pragma once

#include <windows.h>

#include "agentutil/clock.h"
#include "shared/scoped_handle.h"

namespace agentutil {

class ScmErrorInfo {
 public:
  ScmErrorInfo() : code_(0) { text_[0] = '\0'; }
  void Clear();
  // Stores the code and its message text; returns the code.
  DWORD Store(DWORD code);
  DWORD code() const { return code_; }
  const char* text() const { return text_; }

 private:
  DWORD code_;
  char text_[512];
};

class ScmConnection {
 public:
  // Closes an open connection, then connects to the local machine's active
  // service database.
  DWORD Open(DWORD access);
  SC_HANDLE handle() const { return handle_.Get(); }
  DWORD error() const { return error_.code(); }
  const char* error_text() const { return error_.text(); }

 private:
  hx::ScopedServiceHandle handle_;
  ScmErrorInfo error_;
};

class ScmService {
 public:
  // State waits poll through `clock`.
  explicit ScmService(Clock& clock = SystemClock()) : clock_(clock) {}

  DWORD Open(const ScmConnection& connection, const char* name, DWORD access);
  DWORD Close();
  // The current state (SERVICE_RUNNING...), 0 when the query fails.
  DWORD QueryState();
  // 1 for start pending, running or continue pending, 0 for other states, the
  // query's error code when it fails (callers take that as active).
  DWORD IsActive();
  // Sends the stop control unless the service is inactive.
  DWORD Stop();
  // Starts the service without arguments unless it is active.
  DWORD Start();
  // Polls the state at once and then every 1000 ms: 0 once it is `state`,
  // ERROR_TIMEOUT when more than timeout_ms have passed since the first
  // query, a failing query's code.
  DWORD WaitForState(DWORD state, DWORD timeout_ms);

  DWORD error() const { return error_.code(); }
  const char* error_text() const { return error_.text(); }

 private:
  Clock& clock_;
  hx::ScopedServiceHandle handle_;
  ScmErrorInfo error_;
};

}  // namespace agentutil
