// Messaging frames of the broker pipe: a body that decodes encodes back to
// the very same bytes, and the length prefix check holds its limit.
#include "productsim/tvma/wire_format.h"

#include "fuzz_util.h"

using namespace tvsim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= kHeaderBytes) {
    uint32_t body = 0;
    if (DecodeLength(data, &body)) FUZZ_CHECK(body <= kMaxBodyBytes);
  }
  Frame frame;
  if (!DecodeBody(data, size, &frame)) return 0;
  FUZZ_CHECK(frame.a.size() <= kMaxTextBytes && frame.b.size() <= kMaxTextBytes);
  std::vector<uint8_t> body;
  FUZZ_CHECK(EncodeBody(frame, &body));
  FUZZ_CHECK(body.size() == size && std::memcmp(body.data(), data, size) == 0);
  std::vector<uint8_t> bytes;
  FUZZ_CHECK(EncodeFrame(frame, &bytes));
  uint32_t length = 0;
  FUZZ_CHECK(bytes.size() == size + kHeaderBytes && DecodeLength(bytes.data(), &length));
  FUZZ_CHECK(length == size);
  return 0;
}
