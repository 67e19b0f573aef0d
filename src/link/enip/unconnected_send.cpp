#include "link/enip/unconnected_send.h"

#include "link/enip/byte_reader.h"
#include "link/enip/byte_writer.h"
#include "link/enip/cip_message.h"
#include "link/enip/cip_path.h"

namespace krn::enip {

TickTimeout TimeoutToTicks(uint32_t ms) {
  TickTimeout t;
  for (uint8_t tick = 0; tick < 16; ++tick) {
    const uint64_t perTick = uint64_t{1} << tick;
    const uint64_t ticks = (uint64_t{ms} + perTick - 1) / perTick;
    if (ticks <= 255) {
      t.tick = tick;
      t.ticks = static_cast<uint8_t>(ticks == 0 ? 1 : ticks);
      return t;
    }
  }
  return {15, 255};
}

std::vector<uint8_t> EncodeUnconnectedSend(uint32_t timeoutMs, std::span<const uint8_t> request,
                                           std::span<const uint8_t> route) {
  const TickTimeout t = TimeoutToTicks(timeoutMs);
  ByteWriter d;
  d.U8(t.tick);  // priority bit 4 clear: normal
  d.U8(t.ticks);
  d.U16(static_cast<uint16_t>(request.size()));
  d.Bytes(request);
  if (request.size() % 2 != 0) d.U8(0);
  d.U8(static_cast<uint8_t>(route.size() / 2));
  d.U8(0);
  d.Bytes(route);
  const auto path = EncodeLogicalPath({kClassConnectionManager, 1, std::nullopt});
  return EncodeMrRequest(kSvcUnconnectedSend, path, d.bytes());
}

std::optional<UnconnectedSend> DecodeUnconnectedSend(std::span<const uint8_t> data) {
  ByteReader r(data);
  UnconnectedSend u;
  const uint8_t tickByte = r.U8();
  u.timeout.tick = static_cast<uint8_t>(tickByte & 0x0F);
  u.timeout.ticks = r.U8();
  const uint16_t size = r.U16();
  u.request = r.Bytes(size);
  if (size % 2 != 0) r.U8();
  const uint8_t routeWords = r.U8();
  r.U8();  // reserved
  u.route = r.Bytes(std::size_t{routeWords} * 2);
  if (!r.AtEnd() || size == 0) return std::nullopt;
  return u;
}

std::vector<uint8_t> EncodeRoutingError(uint8_t generalStatus, uint16_t extended,
                                        uint8_t remainingPathWords) {
  ByteWriter w;
  w.U8(kSvcUnconnectedSendReply);
  w.U8(0);
  w.U8(generalStatus);
  w.U8(1);
  w.U16(extended);
  w.U8(remainingPathWords);
  return w.Take();
}

}  // namespace krn::enip
