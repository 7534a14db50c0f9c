#include "agentutil/scm.h"

#include <string.h>

namespace agentutil {
namespace {

const DWORD kStatePollIntervalMs = 1000;

}  // namespace

void ScmErrorInfo::Clear() {
  code_ = 0;
  text_[0] = '\0';
}

DWORD ScmErrorInfo::Store(DWORD code) {
  code_ = code;
  text_[0] = '\0';
  char* message = NULL;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      NULL, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&message), 0,
      NULL);
  if (length != 0 && message != NULL) {
    size_t copy = strlen(message);
    if (copy >= sizeof(text_)) copy = sizeof(text_) - 1;
    memcpy(text_, message, copy);
    text_[copy] = '\0';
  }
  if (message != NULL) LocalFree(message);
  return code_;
}

DWORD ScmConnection::Open(DWORD access) {
  error_.Clear();
  handle_.Close();
  handle_.Reset(OpenSCManagerA(NULL, SERVICES_ACTIVE_DATABASEA, access));
  if (!handle_) return error_.Store(GetLastError());
  return 0;
}

DWORD ScmService::Open(const ScmConnection& connection, const char* name, DWORD access) {
  error_.Clear();
  handle_.Reset(OpenServiceA(connection.handle(), name, access));
  if (!handle_) return error_.Store(GetLastError());
  return 0;
}

DWORD ScmService::Close() {
  error_.Clear();
  if (handle_ && !handle_.Close()) return error_.Store(GetLastError());
  return 0;
}

DWORD ScmService::QueryState() {
  error_.Clear();
  SERVICE_STATUS status;
  memset(&status, 0, sizeof(status));
  if (!QueryServiceStatus(handle_.Get(), &status)) {
    error_.Store(GetLastError());
    return 0;
  }
  return status.dwCurrentState;
}

DWORD ScmService::IsActive() {
  DWORD state = QueryState();
  if (error_.code() != 0) return error_.code();
  return (state == SERVICE_START_PENDING || state == SERVICE_RUNNING ||
          state == SERVICE_CONTINUE_PENDING)
             ? 1
             : 0;
}

DWORD ScmService::Stop() {
  if (IsActive() == 0) return 0;
  error_.Clear();
  SERVICE_STATUS status;
  memset(&status, 0, sizeof(status));
  if (!ControlService(handle_.Get(), SERVICE_CONTROL_STOP, &status)) {
    return error_.Store(GetLastError());
  }
  return 0;
}

DWORD ScmService::Start() {
  if (IsActive() != 0) {
    error_.Clear();
    return 0;
  }
  error_.Clear();
  if (!StartServiceA(handle_.Get(), 0, NULL)) return error_.Store(GetLastError());
  return 0;
}

DWORD ScmService::WaitForState(DWORD state, DWORD timeout_ms) {
  const DWORD first = clock_.NowMs();
  for (;;) {
    DWORD current = QueryState();
    if (error_.code() != 0) return error_.code();
    if (current == state) return 0;
    if (clock_.NowMs() - first > timeout_ms) return error_.Store(ERROR_TIMEOUT);
    clock_.SleepMs(kStatePollIntervalMs);
  }
}

}  // namespace agentutil
