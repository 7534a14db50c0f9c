#include "productsim/tvma/wire_format.h"

namespace tvsim {
namespace {

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFFu));
}

void PutBytes(std::vector<uint8_t>* out, const uint8_t* data, size_t size) {
  PutU32(out, static_cast<uint32_t>(size));
  out->insert(out->end(), data, data + size);
}

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool U32(uint32_t* v) {
    if (size_ - pos_ < 4) return false;
    *v = 0;
    for (int i = 0; i < 4; ++i) *v |= static_cast<uint32_t>(data_[pos_ + i]) << (8 * i);
    pos_ += 4;
    return true;
  }
  bool Text(std::string* s) {
    uint32_t n = 0;
    if (!U32(&n) || n > kMaxTextBytes || size_ - pos_ < n) return false;
    s->assign(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return true;
  }
  bool Blob(std::vector<uint8_t>* b) {
    uint32_t n = 0;
    if (!U32(&n) || n > kMaxPayloadBytes || size_ - pos_ < n) return false;
    b->assign(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return true;
  }
  bool AtEnd() const { return pos_ == size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

bool KnownKind(uint32_t kind) {
  return kind >= static_cast<uint32_t>(FrameKind::kRegister) &&
         kind <= static_cast<uint32_t>(FrameKind::kControl);
}

}  // namespace

bool EncodeBody(const Frame& frame, std::vector<uint8_t>* body) {
  if (frame.a.size() > kMaxTextBytes || frame.b.size() > kMaxTextBytes ||
      frame.payload.size() > kMaxPayloadBytes) {
    return false;
  }
  body->clear();
  PutU32(body, static_cast<uint32_t>(frame.kind));
  PutU32(body, frame.seq);
  PutU32(body, frame.code);
  PutU32(body, frame.message_id);
  PutU32(body, frame.timeout_ms);
  PutBytes(body, reinterpret_cast<const uint8_t*>(frame.a.data()), frame.a.size());
  PutBytes(body, reinterpret_cast<const uint8_t*>(frame.b.data()), frame.b.size());
  PutBytes(body, frame.payload.data(), frame.payload.size());
  return true;
}

bool EncodeFrame(const Frame& frame, std::vector<uint8_t>* bytes) {
  std::vector<uint8_t> body;
  if (!EncodeBody(frame, &body)) return false;
  bytes->clear();
  PutU32(bytes, static_cast<uint32_t>(body.size()));
  bytes->insert(bytes->end(), body.begin(), body.end());
  return true;
}

bool DecodeLength(const uint8_t header[kHeaderBytes], uint32_t* body_size) {
  Reader r(header, kHeaderBytes);
  uint32_t n = 0;
  if (!r.U32(&n) || n < 5 * 4 + 3 * 4 || n > kMaxBodyBytes) return false;
  *body_size = n;
  return true;
}

bool DecodeBody(const uint8_t* data, size_t size, Frame* frame) {
  if (data == nullptr || size > kMaxBodyBytes) return false;
  Reader r(data, size);
  uint32_t kind = 0;
  Frame f;
  if (!r.U32(&kind) || !KnownKind(kind)) return false;
  f.kind = static_cast<FrameKind>(kind);
  if (!r.U32(&f.seq) || !r.U32(&f.code) || !r.U32(&f.message_id) || !r.U32(&f.timeout_ms) ||
      !r.Text(&f.a) || !r.Text(&f.b) || !r.Blob(&f.payload) || !r.AtEnd()) {
    return false;
  }
  *frame = std::move(f);
  return true;
}

}  // namespace tvsim
