// CIP path segments. Logical segments name an object (class, instance,
// attribute) in a request path; port segments name the hops of a route: a
// port and a link address, the link either one byte (a backplane slot) or,
// in the extended form 0x10 | port, a length and an address text such as
// "192.168.1.20:44818", padded to an even size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krn::enip {

inline constexpr uint8_t kPortBackplane = 1;
inline constexpr uint8_t kPortEthernet = 2;

struct LogicalPath {
  std::optional<uint16_t> classId;
  std::optional<uint16_t> instance;
  std::optional<uint16_t> attribute;
};

// 8-bit segments (20, 24, 30) where the value fits, else 16-bit ones.
std::vector<uint8_t> EncodeLogicalPath(const LogicalPath& path);

struct LogicalPathResult {
  std::optional<LogicalPath> path;
  std::size_t errorOffset = 0;  // byte offset of the first segment not understood
};
// Class, then optional instance, then optional attribute, each at most once.
LogicalPathResult DecodeLogicalPath(std::span<const uint8_t> bytes);

struct PortHop {
  uint16_t port = 0;
  std::vector<uint8_t> link;  // one byte for a slot, else the address text

  static PortHop Slot(uint8_t port, uint8_t slot) { return {port, {slot}}; }
  static PortHop Address(uint8_t port, std::string_view address) {
    return {port, std::vector<uint8_t>(address.begin(), address.end())};
  }
  std::string LinkText() const { return std::string(link.begin(), link.end()); }
  bool IsSlot() const { return link.size() == 1; }
  bool operator==(const PortHop&) const = default;
};

// A one-byte link of a value below 256 that is not an address text uses the
// short form; a link of 2 to 255 bytes the extended form. Ports 1 to 14.
void AppendPortSegment(std::vector<uint8_t>& out, const PortHop& hop);
std::vector<uint8_t> EncodeRoute(std::span<const PortHop> hops);
// Every byte must belong to a port segment.
std::optional<std::vector<PortHop>> DecodeRoute(std::span<const uint8_t> bytes);

}  // namespace krn::enip
