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
  // Non-negative: the policy module's get or set replies are cut or padded
  // with zero bytes to this size (3 and 8 make the malformed replies).
  std::atomic<int32_t> get_reply_bytes{-1};
  std::atomic<int32_t> set_reply_bytes{-1};
  // Polls taken by the poll module since start (or the last reset).
  std::atomic<uint32_t> poll_count{0};

  void Reset() {
    refuse_registrations = 0;
    reply_delay_ms = 0;
    drop_replies = false;
    get_reply_bytes = -1;
    set_reply_bytes = -1;
    poll_count = 0;
  }
};

}  // namespace tvsim
