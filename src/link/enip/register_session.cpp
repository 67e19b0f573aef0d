#include "link/enip/register_session.h"

#include "link/enip/byte_reader.h"
#include "link/enip/byte_writer.h"

namespace krn::enip {

std::vector<uint8_t> EncodeRegisterSession(const RegisterSessionData& data) {
  ByteWriter w;
  w.U16(data.protocolVersion);
  w.U16(data.options);
  return w.Take();
}

std::optional<RegisterSessionData> DecodeRegisterSession(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  RegisterSessionData d;
  d.protocolVersion = r.U16();
  d.options = r.U16();
  if (!r.AtEnd()) return std::nullopt;
  return d;
}

}  // namespace krn::enip
