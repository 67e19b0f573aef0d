#include "link/enip/encapsulation.h"

#include "link/enip/byte_reader.h"
#include "link/enip/byte_writer.h"

namespace krn::enip {

std::vector<uint8_t> EncodeEncap(EncapHeader header, std::span<const uint8_t> data) {
  ByteWriter w;
  w.U16(header.command);
  w.U16(static_cast<uint16_t>(data.size()));
  w.U32(header.session);
  w.U32(header.status);
  w.Bytes(header.context);
  w.U32(header.options);
  w.Bytes(data);
  return w.Take();
}

std::optional<EncapHeader> DecodeEncapHeader(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  EncapHeader h;
  h.command = r.U16();
  h.length = r.U16();
  h.session = r.U32();
  h.status = r.U32();
  auto context = r.Bytes(h.context.size());
  h.options = r.U32();
  if (!r.ok()) return std::nullopt;
  std::copy(context.begin(), context.end(), h.context.begin());
  return h;
}

std::string EncapStatusText(uint32_t status) {
  switch (status) {
    case kEncapSuccess: return "success";
    case kEncapInvalidCommand: return "invalid or unsupported command";
    case kEncapNoMemory: return "insufficient memory";
    case kEncapIncorrectData: return "incorrect data";
    case kEncapInvalidSession: return "invalid session handle";
    case kEncapInvalidLength: return "invalid length";
    case kEncapUnsupportedProtocol: return "unsupported protocol version";
    default: return "unknown encapsulation status";
  }
}

}  // namespace krn::enip
