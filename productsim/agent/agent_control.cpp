#include "productsim/agent/agent_control.h"

#include <sstream>

#include "installer/policy/tvma32.h"
#include "productsim/agent/agent_control_parse.h"
#include "productsim/agent/broker.h"

namespace tvsim {
namespace {

bool ParseSwitch(const std::string& text, bool* on) {
  if (text == "on") {
    *on = true;
  } else if (text == "off") {
    *on = false;
  } else {
    return false;
  }
  return true;
}

}  // namespace

uint32_t RunControlCommand(Broker* broker, AgentSwitches* switches, const std::string& command,
                           const std::string& argument, std::string* text) {
  text->clear();
  bool on = false;
  uint32_t number = 0;
  if (command == "refuse-registrations") {
    if (ParseSwitch(argument, &on)) {
      switches->refuse_registrations = on ? TVMA_E_ALREADY_REGISTERED : 0;
    } else if (ParseNumber(argument, &number)) {
      switches->refuse_registrations = number;
    } else {
      return TVMA_E_INVALID_PARAMETER;
    }
  } else if (command == "reply-delay") {
    if (!ParseNumber(argument, &number)) return TVMA_E_INVALID_PARAMETER;
    switches->reply_delay_ms = number;
  } else if (command == "drop-replies") {
    if (!ParseSwitch(argument, &on)) return TVMA_E_INVALID_PARAMETER;
    switches->drop_replies = on;
  } else if (command == "short-get-reply" || command == "long-set-reply") {
    if (!ParseSwitch(argument, &on)) return TVMA_E_INVALID_PARAMETER;
    if (command == "short-get-reply") {
      switches->get_reply_bytes = on ? 3 : -1;
    } else {
      switches->set_reply_bytes = on ? 8 : -1;
    }
  } else if (command == "get-reply-bytes" || command == "set-reply-bytes") {
    int32_t size = -1;
    if (argument != "off") {
      if (!ParseNumber(argument, &number) || number > 0xFFFF) return TVMA_E_INVALID_PARAMETER;
      size = static_cast<int32_t>(number);
    }
    (command == "get-reply-bytes" ? switches->get_reply_bytes : switches->set_reply_bytes) = size;
  } else if (command == "poll-count") {
    *text = std::to_string(switches->poll_count.load());
  } else if (command == "modules") {
    for (const std::string& oid : broker->RegisteredModules()) *text += oid + "\n";
  } else if (command == "reset") {
    switches->Reset();
  } else if (command == "send") {
    std::istringstream in(argument);
    std::string oid, id_text, timeout_text, hex;
    in >> oid >> id_text >> timeout_text >> hex;
    uint32_t id = 0, timeout = 0;
    std::vector<uint8_t> data;
    if (oid.empty() || !ParseNumber(id_text, &id) || !ParseNumber(timeout_text, &timeout) ||
        !ParseHex(hex, &data)) {
      return TVMA_E_INVALID_PARAMETER;
    }
    SendOutcome out = broker->Route(oid, id, data, timeout);
    *text = ToHex(out.reply);
    return out.code;
  } else {
    return TVMA_E_INVALID_PARAMETER;
  }
  return TVMA_SUCCESS;
}

}  // namespace tvsim
