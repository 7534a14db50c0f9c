// Administrator check of tv_msi_32_s.
#pragma once

#include <windows.h>

namespace msitool {

class UserInfo {
 public:
  UserInfo() = default;
  virtual ~UserInfo() = default;

  // True when the calling thread runs with the rights of the Administrators
  // group.
  bool IsAdmin();
  // IsAdmin, and the privilege message on standard error when it is false.
  bool CheckAdminRights();
};

// The decision on a token's group list, apart from the token itself: the
// first group equal to admin_sid decides; it counts when enabled, or, from
// major version 6 on, also when it is held for deny checks only (a member of
// Administrators in a session without elevation).
bool GroupsGrantAdmin(const TOKEN_GROUPS& groups, PSID admin_sid, DWORD os_major_version);

}  // namespace msitool
