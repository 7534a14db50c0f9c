// A module that lives inside the agent: the broker calls it directly instead
// of delivering over a pipe.
#pragma once

#include <cstdint>
#include <vector>

namespace tvsim {

class LocalModule {
 public:
  virtual ~LocalModule() = default;
  // Handles one message; returns the result code that the sender receives
  // and fills the reply payload.
  virtual uint32_t Handle(uint32_t message_id, const std::vector<uint8_t>& data,
                          std::vector<uint8_t>* reply) = 0;
};

}  // namespace tvsim
