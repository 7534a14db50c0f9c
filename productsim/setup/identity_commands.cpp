// The host identity kept in the store: show it, choose the method, request a
// new one, and generate a pending one as the agent does when it starts.
#include <cstdio>
#include <cstdlib>

#include "command.h"
#include "identity.h"
#include "policy_codes.h"
#include "store_file.h"

namespace tvsim_setup {

namespace {

using namespace tvsim;

int Show(const Args& a) {
  if (a.count() != 0) return kExitUsage;
  StoreImage image;
  if (LoadStore(&image) != kOk) return kExitFailed;
  std::printf("method=%d operation=%d value=%s\n", image.identity.method,
              image.identity.operation, image.identity.value.c_str());
  return kExitOk;
}

int Change(const Args& a, int which) {
  if (a.count() != (which == 2 ? 0u : 1u)) return kExitUsage;
  int32_t r = UpdateStore([&](StoreImage& image) {
    if (which == 0) image.identity.method = std::atoi(a.at(0).c_str());
    if (which == 1) image.identity.value = a.at(0);
    if (which == 2) image.identity.operation = 1;
    return kOk;
  });
  if (r != kOk) Fail("identity: error %d", r);
  return r == kOk ? kExitOk : kExitFailed;
}

int Method(const Args& a) { return Change(a, 0); }
int SetValue(const Args& a) { return Change(a, 1); }
int Request(const Args& a) { return Change(a, 2); }

int Generate(const Args& a) {
  if (a.count() != 0) return kExitUsage;
  int32_t r = a.Has("now") ? GenerateIdentityNow() : CompletePendingIdentity(nullptr);
  if (r != kOk) {
    Fail("uid-generate: error %d", r);
    return kExitFailed;
  }
  return Show(Args(0, nullptr, 0));
}

const Command kCommands[] = {
    {"uid-show", "", "print method, pending operation and identity", Show},
    {"uid-method", "N", "store the method number (0 SMBIOSGUID, 1 RANDOMGUID, 2 WINS, 3 MAC)",
     Method},
    {"uid-set", "TEXT", "store an identity text as it is", SetValue},
    {"uid-request", "", "mark a new identity as pending, as QmpCreateUID(1) does", Request},
    {"uid-generate", "[--now]",
     "generate a pending identity by the stored method, as the agent does when it starts "
     "(--now: even when none is pending)",
     Generate},
};

}  // namespace

const CommandFamily& IdentityCommands() {
  static const CommandFamily family = {"host identity", kCommands,
                                       sizeof kCommands / sizeof kCommands[0], nullptr, nullptr};
  return family;
}

}  // namespace tvsim_setup
