// Switches that tests flip through the control commands to reach the edge
// cases of the agent's clients. All off by default; read from any thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace tvsim {

struct AgentSwitches {
  // Non-zero: every registration is answered with this code.
  std::atomic<uint32_t> refuse_registrations{0};
  // The answer to every send is held back this long.
  std::atomic<uint32_t> reply_delay_ms{0};
  // Sends are never answered; the sender runs into its time-out.
  std::atomic<bool> drop_replies{false};
  // The policy module answers a get with 3 bytes and a set with 8 bytes.
  std::atomic<bool> short_get_reply{false};
  std::atomic<bool> long_set_reply{false};
  // Polls taken by the poll module since start (or the last reset).
  std::atomic<uint32_t> poll_count{0};

  void Reset() {
    refuse_registrations = 0;
    reply_delay_ms = 0;
    drop_replies = false;
    short_get_reply = false;
    long_set_reply = false;
    poll_count = 0;
  }
};

}  // namespace tvsim
