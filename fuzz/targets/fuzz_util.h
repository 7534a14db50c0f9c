// Helpers shared by the fuzz targets: cutting the input into pieces, fixed
// buffers with guard bytes behind them, and a check that stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define FUZZ_CHECK(cond)                                                        \
  do {                                                                          \
    if (!(cond)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                             \
    }                                                                           \
  } while (0)

namespace fuzz {

// Reads the input front to back; every read past the end gives zeros or
// empty pieces, so a target never needs to check the size itself.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Bytes up to the next NUL (which is skipped), or to the end.
  std::string Piece() {
    std::string out;
    while (pos_ < size_ && data_[pos_] != 0) out.push_back(static_cast<char>(data_[pos_++]));
    if (pos_ < size_) ++pos_;
    return out;
  }
  std::string Rest() {
    std::string out(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return out;
  }
  bool Empty() const { return pos_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A heap buffer of exactly `size` usable bytes followed by guard bytes, so a
// write past its end shows up twice: ASan on the heap block, and the guard
// check for writes that stay inside the block.
class GuardedBuffer {
 public:
  static constexpr size_t kGuard = 16;
  static constexpr unsigned char kFill = 0xA5;
  explicit GuardedBuffer(size_t size) : size_(size), bytes_(size + kGuard, kFill) {}
  char* data() { return reinterpret_cast<char*>(bytes_.data()); }
  size_t size() const { return size_; }
  bool GuardIntact() const {
    for (size_t i = size_; i < bytes_.size(); ++i)
      if (bytes_[i] != kFill) return false;
    return true;
  }
  // True when a terminator lies inside the usable bytes.
  bool Terminated() const { return std::memchr(bytes_.data(), 0, size_) != nullptr; }

 private:
  size_t size_;
  std::vector<unsigned char> bytes_;
};

}  // namespace fuzz
