// Bounds-checked little-endian reading of a received message. Every read
// checks the bytes that remain; after the first short read the reader stays
// failed and returns zeros, so a decoder checks ok() once at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "config/byte_order.h"

namespace krn::enip {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  std::size_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }
  std::size_t position() const { return pos_; }
  bool AtEnd() const { return ok_ && pos_ == bytes_.size(); }

  uint8_t U8() {
    const uint8_t* p = Take(1);
    return p ? p[0] : 0;
  }
  uint16_t U16() {
    const uint8_t* p = Take(2);
    return p ? GetLe16(p) : 0;
  }
  uint32_t U32() {
    const uint8_t* p = Take(4);
    return p ? GetLe32(p) : 0;
  }
  // Network byte order, as in the socket address of an identity item.
  uint16_t U16Be() {
    const uint8_t* p = Take(2);
    return p ? static_cast<uint16_t>((p[0] << 8) | p[1]) : 0;
  }
  uint32_t U32Be() {
    const uint8_t* p = Take(4);
    return p ? (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
                   (static_cast<uint32_t>(p[2]) << 8) | p[3]
             : 0;
  }
  // The next `size` bytes, or an empty span (and failure) when fewer remain.
  std::span<const uint8_t> Bytes(std::size_t size) {
    const uint8_t* p = Take(size);
    return p ? std::span<const uint8_t>(p, size) : std::span<const uint8_t>();
  }
  void Skip(std::size_t size) { Take(size); }
  std::span<const uint8_t> Rest() { return Bytes(remaining()); }
  void Fail() { ok_ = false; }

 private:
  const uint8_t* Take(std::size_t size) {
    if (!ok_ || size > bytes_.size() - pos_) {
      ok_ = false;
      return nullptr;
    }
    const uint8_t* p = bytes_.data() + pos_;
    pos_ += size;
    return p;
  }

  std::span<const uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace krn::enip
