// Fault switches of the simulated policy store (see store_file.h): the
// channel refuses to open, the probe OID exists, an OID answers an error.
#include <cstdio>
#include <cstdlib>

#include "command.h"
#include "policy_codes.h"
#include "store_file.h"
#include "store_format.h"

namespace tvsim_setup {

namespace {

using namespace tvsim;

int Save(const FaultSwitches& f) {
  int32_t r = SaveFaults(f);
  if (r != kOk) Fail("fault: error %d", r);
  return r == kOk ? kExitOk : kExitFailed;
}

bool OnOff(const std::string& word, bool* on) {
  if (word == "on") *on = true;
  else if (word == "off") *on = false;
  else return false;
  return true;
}

int Fault(const Args& a) {
  FaultSwitches f;
  if (LoadFaults(&f) != kOk) f = FaultSwitches();
  if (a.count() == 1 && a.at(0) == "show") {
    std::string text;
    SerializeFaults(f, &text);
    std::fputs(text.c_str(), stdout);
    return kExitOk;
  }
  if (a.count() == 1 && a.at(0) == "clear") return Save(FaultSwitches());
  if (a.count() == 2 && a.at(0) == "channel-refused") {
    if (!OnOff(a.at(1), &f.channel_refused)) return kExitUsage;
    return Save(f);
  }
  if (a.count() == 2 && a.at(0) == "probe-exists") {
    if (!OnOff(a.at(1), &f.probe_exists)) return kExitUsage;
    return Save(f);
  }
  if (a.count() == 3 && a.at(0) == "oid-error" && IsValidOid(a.at(1))) {
    if (a.at(2) == "off") {
      f.oid_errors.erase(a.at(1));
    } else {
      char* end = nullptr;
      long code = std::strtol(a.at(2).c_str(), &end, 10);
      if (*end != '\0' || a.at(2).empty()) return kExitUsage;
      f.oid_errors[a.at(1)] = static_cast<int32_t>(code);
    }
    return Save(f);
  }
  return kExitUsage;
}

const Command kCommands[] = {
    {"fault",
     "channel-refused on|off | probe-exists on|off | oid-error OID CODE|off | clear | show",
     "set or clear a fault switch of the policy channel and the agent's policy module", Fault},
};

}  // namespace

const CommandFamily& FaultCommands() {
  static const CommandFamily family = {"fault switches", kCommands,
                                       sizeof kCommands / sizeof kCommands[0], nullptr, nullptr};
  return family;
}

}  // namespace tvsim_setup
