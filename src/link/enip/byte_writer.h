// Little-endian writing of an outgoing message into a growing buffer, with
// back-patching of length fields once the body is known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "config/byte_order.h"

namespace krn::enip {

class ByteWriter {
 public:
  std::vector<uint8_t>& bytes() { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }
  std::size_t size() const { return bytes_.size(); }

  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) {
    uint8_t b[2];
    PutLe16(b, v);
    bytes_.insert(bytes_.end(), b, b + 2);
  }
  void U32(uint32_t v) {
    uint8_t b[4];
    PutLe32(b, v);
    bytes_.insert(bytes_.end(), b, b + 4);
  }
  void U16Be(uint16_t v) {
    U8(static_cast<uint8_t>(v >> 8));
    U8(static_cast<uint8_t>(v));
  }
  void U32Be(uint32_t v) {
    U16Be(static_cast<uint16_t>(v >> 16));
    U16Be(static_cast<uint16_t>(v));
  }
  void Bytes(std::span<const uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  void Text(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
  void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }

  void PatchU16(std::size_t at, uint16_t v) { PutLe16(bytes_.data() + at, v); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace krn::enip
