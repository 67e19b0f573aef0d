#include "link/enip/cip_path.h"

#include "link/enip/byte_reader.h"
#include "link/enip/byte_writer.h"

namespace krn::enip {

namespace {

enum : uint8_t {
  kSegClass8 = 0x20,
  kSegClass16 = 0x21,
  kSegInstance8 = 0x24,
  kSegInstance16 = 0x25,
  kSegAttribute8 = 0x30,
  kSegAttribute16 = 0x31,
  kPortExtendedLink = 0x10,
  kPortIdExtended = 0x0F,
};

void AppendLogical(ByteWriter& w, uint8_t type8, uint16_t value) {
  if (value <= 0xFF) {
    w.U8(type8);
    w.U8(static_cast<uint8_t>(value));
  } else {
    w.U8(static_cast<uint8_t>(type8 | 1));
    w.U8(0);
    w.U16(value);
  }
}

}  // namespace

std::vector<uint8_t> EncodeLogicalPath(const LogicalPath& path) {
  ByteWriter w;
  if (path.classId) AppendLogical(w, kSegClass8, *path.classId);
  if (path.instance) AppendLogical(w, kSegInstance8, *path.instance);
  if (path.attribute) AppendLogical(w, kSegAttribute8, *path.attribute);
  return w.Take();
}

LogicalPathResult DecodeLogicalPath(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  LogicalPath path;
  int stage = 0;  // 0: class next, 1: instance or attribute, 2: attribute, 3: done
  while (r.ok() && !r.AtEnd()) {
    const std::size_t at = r.position();
    const uint8_t type = r.U8();
    uint16_t value = 0;
    if ((type & 1) == 0) {
      value = r.U8();
    } else {
      r.U8();  // pad
      value = r.U16();
    }
    const uint8_t kind = static_cast<uint8_t>(type & ~1u);
    if (!r.ok()) return {std::nullopt, at};
    if (kind == kSegClass8 && stage == 0) {
      path.classId = value;
      stage = 1;
    } else if (kind == kSegInstance8 && stage == 1) {
      path.instance = value;
      stage = 2;
    } else if (kind == kSegAttribute8 && (stage == 1 || stage == 2)) {
      path.attribute = value;
      stage = 3;
    } else {
      return {std::nullopt, at};
    }
  }
  if (!path.classId) return {std::nullopt, 0};
  return {path, 0};
}

void AppendPortSegment(std::vector<uint8_t>& out, const PortHop& hop) {
  const uint8_t port = static_cast<uint8_t>(hop.port & 0x0F);
  if (hop.link.size() == 1) {
    out.push_back(port);
    out.push_back(hop.link[0]);
    return;
  }
  out.push_back(static_cast<uint8_t>(kPortExtendedLink | port));
  out.push_back(static_cast<uint8_t>(hop.link.size()));
  out.insert(out.end(), hop.link.begin(), hop.link.end());
  if (hop.link.size() % 2 != 0) out.push_back(0);
}

std::vector<uint8_t> EncodeRoute(std::span<const PortHop> hops) {
  std::vector<uint8_t> out;
  for (const PortHop& hop : hops) AppendPortSegment(out, hop);
  return out;
}

std::optional<std::vector<PortHop>> DecodeRoute(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  std::vector<PortHop> hops;
  while (r.ok() && !r.AtEnd()) {
    const uint8_t first = r.U8();
    if ((first & 0xE0) != 0) return std::nullopt;  // not a port segment
    const bool extendedLink = (first & kPortExtendedLink) != 0;
    std::size_t segmentSize = 1;
    std::size_t linkSize = 1;
    if (extendedLink) {
      linkSize = r.U8();
      segmentSize += 1;
    }
    PortHop hop;
    hop.port = static_cast<uint16_t>(first & 0x0F);
    if (hop.port == kPortIdExtended) {
      hop.port = r.U16();
      segmentSize += 2;
    }
    auto link = r.Bytes(linkSize);
    segmentSize += linkSize;
    if (segmentSize % 2 != 0) r.U8();  // pad
    if (!r.ok() || hop.port == 0 || linkSize == 0) return std::nullopt;
    hop.link.assign(link.begin(), link.end());
    hops.push_back(std::move(hop));
  }
  if (!r.ok()) return std::nullopt;
  return hops;
}

}  // namespace krn::enip
