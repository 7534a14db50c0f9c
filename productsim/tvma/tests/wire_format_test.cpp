#include "productsim/tvma/wire_format.h"

#include <gtest/gtest.h>

#include <random>

namespace tvsim {
namespace {

std::vector<uint8_t> BodyOf(const Frame& f) {
  std::vector<uint8_t> body;
  EXPECT_TRUE(EncodeBody(f, &body));
  return body;
}

TEST(WireFormat, FramesRoundTrip) {
  Frame empty;
  Frame full;
  full.kind = FrameKind::kSend;
  full.seq = 0xFFFFFFFFu;
  full.code = 0x84000009u;
  full.message_id = 0x24030001u;
  full.timeout_ms = 15000;
  full.a = "1.2.3.2.1";
  full.b = "1.3.6.1.4.1.5839.11.1.15";
  full.payload = {0, 1, 2, 0xFF};
  Frame limits;
  limits.kind = FrameKind::kControl;
  limits.a.assign(kMaxTextBytes, 'x');
  limits.payload.assign(kMaxPayloadBytes, 7);
  for (const Frame* f : {&empty, &full, &limits}) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeFrame(*f, &bytes));
    uint32_t n = 0;
    ASSERT_TRUE(DecodeLength(bytes.data(), &n));
    ASSERT_EQ(bytes.size(), kHeaderBytes + n);
    Frame back;
    ASSERT_TRUE(DecodeBody(bytes.data() + kHeaderBytes, n, &back));
    EXPECT_EQ(back.kind, f->kind);
    EXPECT_EQ(back.seq, f->seq);
    EXPECT_EQ(back.code, f->code);
    EXPECT_EQ(back.message_id, f->message_id);
    EXPECT_EQ(back.timeout_ms, f->timeout_ms);
    EXPECT_EQ(back.a, f->a);
    EXPECT_EQ(back.b, f->b);
    EXPECT_EQ(back.payload, f->payload);
  }
}

TEST(WireFormat, RefusesOversizedFields) {
  Frame f;
  std::vector<uint8_t> body;
  f.b.assign(kMaxTextBytes + 1, 'x');
  EXPECT_FALSE(EncodeBody(f, &body));
  f.b.clear();
  f.payload.assign(kMaxPayloadBytes + 1, 0);
  EXPECT_FALSE(EncodeBody(f, &body));
}

TEST(WireFormat, RejectsMalformedBodies) {
  Frame f;
  f.kind = FrameKind::kRegister;
  f.a = "1.2.3";
  const std::vector<uint8_t> good = BodyOf(f);
  Frame out;
  ASSERT_TRUE(DecodeBody(good.data(), good.size(), &out));

  // Every truncation fails, and so does a trailing byte.
  for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(DecodeBody(good.data(), n, &out)) << n;
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_FALSE(DecodeBody(longer.data(), longer.size(), &out));

  struct Case {
    const char* name;
    size_t offset;
    uint8_t value;
  } cases[] = {
      {"kind 0", 0, 0},
      {"kind 8", 0, 8},
      {"text length beyond the body", 20, 0xF0},
      {"text length over the limit", 21, 0x10},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    bad[c.offset] = c.value;
    EXPECT_FALSE(DecodeBody(bad.data(), bad.size(), &out)) << c.name;
  }
  EXPECT_FALSE(DecodeBody(nullptr, 0, &out));
}

TEST(WireFormat, LengthPrefixBounds) {
  struct Case {
    uint32_t length;
    bool ok;
  } cases[] = {{0, false}, {31, false}, {32, true}, {static_cast<uint32_t>(kMaxBodyBytes), true},
               {static_cast<uint32_t>(kMaxBodyBytes + 1), false}, {0xFFFFFFFFu, false}};
  for (const Case& c : cases) {
    uint8_t header[4] = {static_cast<uint8_t>(c.length), static_cast<uint8_t>(c.length >> 8),
                         static_cast<uint8_t>(c.length >> 16), static_cast<uint8_t>(c.length >> 24)};
    uint32_t n = 0;
    EXPECT_EQ(DecodeLength(header, &n), c.ok) << c.length;
  }
}

// Random mutations of a valid body never crash the decoder, and whatever it
// accepts encodes back to the same bytes.
TEST(WireFormat, MutatedBodiesDecodeSafely) {
  Frame f;
  f.kind = FrameKind::kDeliver;
  f.a = "1.3.6.1";
  f.payload = {1, 2, 3, 4, 5};
  const std::vector<uint8_t> good = BodyOf(f);
  std::mt19937 rng(4);
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> bytes = good;
    int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    bytes.resize(rng() % 3 == 0 ? rng() % (bytes.size() + 1) : bytes.size());
    Frame out;
    if (DecodeBody(bytes.data(), bytes.size(), &out)) {
      EXPECT_EQ(BodyOf(out), bytes);
    }
  }
}

}  // namespace
}  // namespace tvsim
