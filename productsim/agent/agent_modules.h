// The modules that live inside the agent: the policy module, which serves
// get and set requests from the policy store, and the poll module, which
// takes the request to poll the management server at once and counts it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "productsim/agent/agent_switches.h"
#include "productsim/agent/local_module.h"

namespace tvsim {

constexpr char kPolicyModuleOid[] = "1.3.6.1.4.1.5839.11.1.15";
constexpr char kPollModuleOid[] = "1.3.6.1.4.1.5839.11.1.14";
constexpr uint32_t kPolicyGetMessage = 0x24030001u;
constexpr uint32_t kPolicySetMessage = 0x24030002u;
constexpr uint32_t kPollMessage = 0x24040007u;

// Get: payload is a packed OID; reply int32 status, then the get-reply
// package when the status is 0. Set: payload is a set-request package; reply
// exactly the int32 status. The switches can make either reply malformed.
class PolicyModule : public LocalModule {
 public:
  explicit PolicyModule(const AgentSwitches* switches) : switches_(switches) {}
  uint32_t Handle(uint32_t message_id, const std::vector<uint8_t>& data,
                  std::vector<uint8_t>* reply) override;

 private:
  const AgentSwitches* switches_;
};

class PollModule : public LocalModule {
 public:
  explicit PollModule(AgentSwitches* switches) : switches_(switches) {}
  uint32_t Handle(uint32_t message_id, const std::vector<uint8_t>& data,
                  std::vector<uint8_t>* reply) override;

 private:
  AgentSwitches* switches_;
};

}  // namespace tvsim
