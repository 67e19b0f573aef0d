// Cuts a TCP byte stream into encapsulation messages: the header first, then
// as many data bytes as its length field announces, however the bytes were
// split across reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace krn::enip {

class FrameAssembler {
 public:
  void Feed(std::span<const uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  }

  // Moves the next whole message (header and data) into `frame`; false
  // while it is incomplete.
  bool Next(std::vector<uint8_t>& frame);

  // Bytes of an incomplete message are waiting.
  bool HasPartial() const { return !buffer_.empty(); }
  void Clear() { buffer_.clear(); }

 private:
  std::vector<uint8_t> buffer_;
};

}  // namespace krn::enip
