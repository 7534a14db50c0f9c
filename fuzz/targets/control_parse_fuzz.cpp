// Number and byte texts of the agent's control commands: accepted numbers
// read back from their decimal text, and hex bytes round trip.
#include "productsim/agent/agent_control_parse.h"

#include <cctype>

#include "fuzz_util.h"

using namespace tvsim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  uint32_t value = 0;
  if (ParseNumber(text, &value)) {
    uint32_t again = 1;
    FUZZ_CHECK(ParseNumber(std::to_string(value), &again) && again == value);
  }
  std::vector<uint8_t> bytes;
  if (ParseHex(text, &bytes)) {
    FUZZ_CHECK(bytes.size() * 2 == text.size());
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    FUZZ_CHECK(ToHex(bytes) == lower);
  }
  std::vector<uint8_t> raw(data, data + size);
  std::vector<uint8_t> back;
  FUZZ_CHECK(ParseHex(ToHex(raw), &back) && back == raw);
  return 0;
}
