// Sends one control command to the running agent (see agent_control.h).
#pragma once

#include <cstdint>
#include <string>

namespace tvsim {

// The agent's result code; SERVER_NOT_RESPONDING when no agent answers.
uint32_t SendAgentControl(const std::string& command, const std::string& argument,
                          std::string* text, uint32_t timeout_ms = 10000);

}  // namespace tvsim
