#include "link/enip/frame_assembler.h"

#include "config/byte_order.h"
#include "link/enip/encapsulation.h"

namespace krn::enip {

namespace {
// The length field sits at bytes 2 and 3 of the header; at most 65535 data
// bytes can follow, so the buffer never grows beyond one message plus a read.
std::size_t FrameSize(const std::vector<uint8_t>& buffer) {
  return kEncapHeaderSize + GetLe16(buffer.data() + 2);
}
}  // namespace

bool FrameAssembler::Next(std::vector<uint8_t>& frame) {
  if (buffer_.size() < kEncapHeaderSize) return false;
  const std::size_t size = FrameSize(buffer_);
  if (buffer_.size() < size) return false;
  frame.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(size));
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(size));
  return true;
}

}  // namespace krn::enip
