#include "link/enip/send_rr_data.h"

#include "link/enip/byte_reader.h"
#include "link/enip/byte_writer.h"

namespace krn::enip {

namespace {
constexpr uint32_t kInterfaceCip = 0;
constexpr uint16_t kItemCount = 2;
}  // namespace

std::vector<uint8_t> EncodeSendRRData(uint16_t timeoutSeconds, std::span<const uint8_t> message) {
  ByteWriter w;
  w.U32(kInterfaceCip);
  w.U16(timeoutSeconds);
  w.U16(kItemCount);
  w.U16(kItemNullAddress);
  w.U16(0);
  w.U16(kItemUnconnectedData);
  w.U16(static_cast<uint16_t>(message.size()));
  w.Bytes(message);
  return w.Take();
}

std::optional<SendRRData> DecodeSendRRData(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  SendRRData d;
  const uint32_t handle = r.U32();
  d.timeoutSeconds = r.U16();
  const uint16_t count = r.U16();
  const uint16_t addressType = r.U16();
  const uint16_t addressLength = r.U16();
  const uint16_t dataType = r.U16();
  const uint16_t dataLength = r.U16();
  d.message = r.Bytes(dataLength);
  if (!r.AtEnd() || handle != kInterfaceCip || count != kItemCount ||
      addressType != kItemNullAddress || addressLength != 0 || dataType != kItemUnconnectedData) {
    return std::nullopt;
  }
  return d;
}

}  // namespace krn::enip
