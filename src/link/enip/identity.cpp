#include "link/enip/identity.h"

#include <algorithm>

#include "link/enip/byte_reader.h"
#include "link/enip/byte_writer.h"
#include "link/enip/register_session.h"
#include "link/enip/send_rr_data.h"

namespace krn::enip {

namespace {

constexpr uint16_t kAfInet = 2;

void WriteAttributes(ByteWriter& w, const IdentityInfo& id) {
  const std::size_t nameSize = std::min<std::size_t>(id.productName.size(), 255);
  w.U16(id.vendorId);
  w.U16(id.deviceType);
  w.U16(id.productCode);
  w.U8(id.revisionMajor);
  w.U8(id.revisionMinor);
  w.U16(id.status);
  w.U32(id.serialNumber);
  w.U8(static_cast<uint8_t>(nameSize));
  w.Text(std::string_view(id.productName).substr(0, nameSize));
}

void ReadAttributes(ByteReader& r, IdentityInfo& id) {
  id.vendorId = r.U16();
  id.deviceType = r.U16();
  id.productCode = r.U16();
  id.revisionMajor = r.U8();
  id.revisionMinor = r.U8();
  id.status = r.U16();
  id.serialNumber = r.U32();
  auto name = r.Bytes(r.U8());
  id.productName.assign(name.begin(), name.end());
}

}  // namespace

std::vector<uint8_t> EncodeIdentityAttributes(const IdentityInfo& identity) {
  ByteWriter w;
  WriteAttributes(w, identity);
  return w.Take();
}

std::optional<IdentityInfo> DecodeIdentityAttributes(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  IdentityInfo id;
  ReadAttributes(r, id);
  if (!r.ok()) return std::nullopt;
  return id;
}

std::vector<uint8_t> EncodeListIdentityReply(const IdentityInfo& identity) {
  ByteWriter item;
  item.U16(kProtocolVersion);
  item.U16Be(kAfInet);
  item.U16Be(identity.port);
  item.U32Be(identity.ipv4);
  item.Zeros(8);
  WriteAttributes(item, identity);
  item.U8(identity.state);

  ByteWriter w;
  w.U16(1);
  w.U16(kItemIdentity);
  w.U16(static_cast<uint16_t>(item.size()));
  w.Bytes(item.bytes());
  return w.Take();
}

std::optional<IdentityInfo> DecodeListIdentityReply(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  const uint16_t count = r.U16();
  const uint16_t type = r.U16();
  ByteReader item(r.Bytes(r.U16()));
  if (!r.ok() || count < 1 || type != kItemIdentity) return std::nullopt;
  IdentityInfo id;
  item.U16();    // protocol version
  item.U16Be();  // address family
  id.port = item.U16Be();
  id.ipv4 = item.U32Be();
  item.Skip(8);
  ReadAttributes(item, id);
  id.state = item.U8();
  if (!item.ok()) return std::nullopt;
  return id;
}

}  // namespace krn::enip
