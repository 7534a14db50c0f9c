// The administrator decision on a token's groups.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "user_info.h"

namespace {

class Sid {
 public:
  explicit Sid(DWORD alias) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, alias, 0, 0, 0, 0, 0, 0, &sid_);
  }
  ~Sid() { FreeSid(sid_); }
  PSID get() const { return sid_; }

 private:
  PSID sid_ = nullptr;
};

struct Group {
  DWORD alias;
  DWORD attributes;
};

TEST(UserInfo, GroupsGrantAdmin) {
  const Sid admins(DOMAIN_ALIAS_RID_ADMINS);
  const Sid users(DOMAIN_ALIAS_RID_USERS);
  const DWORD kEnabled = SE_GROUP_ENABLED;
  const DWORD kDenyOnly = SE_GROUP_USE_FOR_DENY_ONLY;
  struct Case {
    const char* name;
    std::vector<Group> groups;
    DWORD major;
    bool admin;
  };
  const Case cases[] = {
      {"enabled admin", {{DOMAIN_ALIAS_RID_USERS, kEnabled}, {DOMAIN_ALIAS_RID_ADMINS, kEnabled}}, 5,
       true},
      {"deny-only admin, Vista and later", {{DOMAIN_ALIAS_RID_ADMINS, kDenyOnly}}, 6, true},
      {"deny-only admin, before Vista", {{DOMAIN_ALIAS_RID_ADMINS, kDenyOnly}}, 5, false},
      {"deny-only admin, unknown version", {{DOMAIN_ALIAS_RID_ADMINS, kDenyOnly}}, 0, false},
      {"admin neither enabled nor deny-only", {{DOMAIN_ALIAS_RID_ADMINS, 0}}, 10, false},
      {"users only", {{DOMAIN_ALIAS_RID_USERS, kEnabled}}, 10, false},
      {"no groups", {}, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Sid*> sids;
    std::vector<BYTE> storage(sizeof(TOKEN_GROUPS) + 4 * sizeof(SID_AND_ATTRIBUTES));
    TOKEN_GROUPS* groups = reinterpret_cast<TOKEN_GROUPS*>(storage.data());
    groups->GroupCount = static_cast<DWORD>(c.groups.size());
    for (size_t i = 0; i < c.groups.size(); ++i) {
      groups->Groups[i].Sid =
          c.groups[i].alias == DOMAIN_ALIAS_RID_ADMINS ? admins.get() : users.get();
      groups->Groups[i].Attributes = c.groups[i].attributes;
    }
    EXPECT_EQ(c.admin, msitool::GroupsGrantAdmin(*groups, admins.get(), c.major));
  }
}

TEST(UserInfo, WineSessionIsAdministrator) {
  msitool::UserInfo user;
  EXPECT_TRUE(user.IsAdmin());
}

}  // namespace
