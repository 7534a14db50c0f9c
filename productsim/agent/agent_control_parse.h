// Number and byte texts of the control commands (pure logic, shared by the
// agent and the control tool).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvsim {

// Decimal, or hex with a 0x prefix; false outside 32 bits.
bool ParseNumber(const std::string& text, uint32_t* value);
// Pairs of hex digits; the empty text is no bytes.
bool ParseHex(const std::string& text, std::vector<uint8_t>* bytes);
std::string ToHex(const std::vector<uint8_t>& bytes);

}  // namespace tvsim
