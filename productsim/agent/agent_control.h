// Control commands of the agent stand-in, sent by the set-up tool over the
// broker pipe (frame kControl: a = command, b = argument text). The answer's
// code is a messaging result code and its payload a text.
//
//   refuse-registrations on|off|<code>   answer registrations with <code>
//                                       (on: ALREADY_REGISTERED)
//   reply-delay <ms>                    hold back the answer of every send
//   drop-replies on|off                 never answer sends
//   short-get-reply on|off              policy get answered with 3 bytes
//   long-set-reply on|off               policy set answered with 8 bytes
//   get-reply-bytes <n>|off             policy get replies cut or zero-padded
//   set-reply-bytes <n>|off             to n bytes (set likewise)
//   poll-count                          text: polls taken so far
//   modules                             text: registered OIDs, one a line
//   reset                               all switches off, poll count 0
//   send <oid> <id> <timeout-ms> [hex]  send a message to a module; the code
//                                       is the send result, the text the
//                                       reply payload in hex
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "productsim/agent/agent_switches.h"

namespace tvsim {

class Broker;

uint32_t RunControlCommand(Broker* broker, AgentSwitches* switches, const std::string& command,
                           const std::string& argument, std::string* text);

}  // namespace tvsim
