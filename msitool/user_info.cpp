#include "user_info.h"

#include <memory>
#include <new>

#include "console.h"
#include "messages.h"
#include "shared/scoped_handle.h"

namespace msitool {
namespace {

struct SidTraits {
  using Handle = PSID;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static bool Close(Handle h) { return FreeSid(h) == nullptr; }
};
using ScopedSid = hx::ScopedHandle<SidTraits>;

DWORD OsMajorVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but the major number is all we need
#endif
  if (!GetVersionExW(&info)) return 0;
  return info.dwMajorVersion;
}

}  // namespace

bool GroupsGrantAdmin(const TOKEN_GROUPS& groups, PSID admin_sid, DWORD os_major_version) {
  for (DWORD i = 0; i < groups.GroupCount; ++i) {
    if (!EqualSid(groups.Groups[i].Sid, admin_sid)) continue;
    const DWORD attributes = groups.Groups[i].Attributes;
    if (attributes & SE_GROUP_ENABLED) return true;
    return os_major_version >= 6 && (attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0;
  }
  return false;
}

bool UserInfo::IsAdmin() {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  ScopedSid admins;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, admins.Receive())) {
    return false;
  }

  hx::ScopedKernelHandle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.Receive())) {
    if (GetLastError() != ERROR_NO_TOKEN ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
      return false;
    }
  }

  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
  if (size == 0) return false;
  // TOKEN_GROUPS holds pointers, so the buffer must be aligned for them.
  const std::size_t words = (size + sizeof(void*) - 1) / sizeof(void*);
  std::unique_ptr<void*[]> buffer(new (std::nothrow) void*[words]);
  if (!buffer) return false;
  if (!GetTokenInformation(token.Get(), TokenGroups, buffer.get(), size, &size)) return false;
  return GroupsGrantAdmin(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.get()), admins.Get(),
                          OsMajorVersion());
}

bool UserInfo::CheckAdminRights() {
  if (IsAdmin()) return true;
  WriteText(STD_ERROR_HANDLE, kPrivilegeMessage);
  return false;
}

}  // namespace msitool
