// Frames exchanged between the messaging library and the agent over the broker
// pipe. Pure encoding and decoding, no OS calls, so it can be tested and fuzzed
// alone.
//
// On the pipe every frame is a little-endian u32 body length followed by the
// body. Every body has one layout:
//   u32 kind, u32 seq, u32 code, u32 message_id, u32 timeout_ms,
//   u32 len + bytes (text a), u32 len + bytes (text b), u32 len + bytes (payload)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvsim {

enum class FrameKind : uint32_t {
  kRegister = 1,    // a: module OID                 -> kResult
  kUnregister = 2,  //                               -> kResult
  kSend = 3,        // a: sender OID, b: recipient   -> kResult (payload: reply)
  kDeliver = 4,     // agent -> pump: seq, message_id, a: sender, payload
  kReply = 5,       // pump -> agent: seq, code, payload
  kResult = 6,      // code, payload
  kControl = 7,     // a: command, b: argument text  -> kResult (payload: text)
};

struct Frame {
  FrameKind kind = FrameKind::kResult;
  uint32_t seq = 0;
  uint32_t code = 0;
  uint32_t message_id = 0;
  uint32_t timeout_ms = 0;
  std::string a;
  std::string b;
  std::vector<uint8_t> payload;
};

constexpr size_t kMaxTextBytes = 1024;
constexpr size_t kMaxPayloadBytes = 4u * 1024u * 1024u;
constexpr size_t kHeaderBytes = 4;
constexpr size_t kMaxBodyBytes = 5 * 4 + 3 * 4 + 2 * kMaxTextBytes + kMaxPayloadBytes;

// Body without the length prefix. False when a text or the payload is too long.
bool EncodeBody(const Frame& frame, std::vector<uint8_t>* body);
// Length prefix followed by the body.
bool EncodeFrame(const Frame& frame, std::vector<uint8_t>* bytes);
// Reads the length prefix; false when it is out of range.
bool DecodeLength(const uint8_t header[kHeaderBytes], uint32_t* body_size);
// False for a truncated, oversized, trailing-garbage or unknown-kind body.
bool DecodeBody(const uint8_t* data, size_t size, Frame* frame);

}  // namespace tvsim
