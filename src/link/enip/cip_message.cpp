#include "link/enip/cip_message.h"

#include "link/enip/byte_reader.h"
#include "link/enip/byte_writer.h"

namespace krn::enip {

std::vector<uint8_t> EncodeMrRequest(uint8_t service, std::span<const uint8_t> path,
                                     std::span<const uint8_t> data) {
  ByteWriter w;
  w.U8(service);
  w.U8(static_cast<uint8_t>(path.size() / 2));
  w.Bytes(path);
  w.Bytes(data);
  return w.Take();
}

std::optional<MrRequest> DecodeMrRequest(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  MrRequest q;
  q.service = r.U8();
  q.path = r.Bytes(std::size_t{r.U8()} * 2);
  q.data = r.Rest();
  if (!r.ok() || (q.service & kReplyFlag) != 0) return std::nullopt;
  return q;
}

std::vector<uint8_t> EncodeMrReply(uint8_t requestService, uint8_t generalStatus,
                                   std::span<const uint16_t> extended,
                                   std::span<const uint8_t> data) {
  ByteWriter w;
  w.U8(static_cast<uint8_t>(requestService | kReplyFlag));
  w.U8(0);
  w.U8(generalStatus);
  w.U8(static_cast<uint8_t>(extended.size()));
  for (uint16_t word : extended) w.U16(word);
  w.Bytes(data);
  return w.Take();
}

std::optional<MrReply> DecodeMrReply(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  MrReply p;
  p.service = r.U8();
  r.U8();  // reserved
  p.generalStatus = r.U8();
  const uint8_t extendedWords = r.U8();
  for (uint8_t i = 0; i < extendedWords && r.ok(); ++i) p.extended.push_back(r.U16());
  p.data = r.Rest();
  if (!r.ok() || (p.service & kReplyFlag) == 0) return std::nullopt;
  return p;
}

}  // namespace krn::enip
