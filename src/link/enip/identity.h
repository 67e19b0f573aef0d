// The Identity object's attributes 1 to 7 as Get_Attributes_All returns them
// (vendor at byte 0, product code at 4, the name's length byte at 14, its
// characters from 15), and the ListIdentity reply that carries the same
// attributes in a CIP Identity item (type 0x0C) with the device's socket
// address and state.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krn::enip {

inline constexpr uint16_t kDeviceTypeCommAdapter = 0x000C;

struct IdentityInfo {
  uint16_t vendorId = 0;
  uint16_t deviceType = kDeviceTypeCommAdapter;
  uint16_t productCode = 0;
  uint8_t revisionMajor = 1;
  uint8_t revisionMinor = 1;
  uint16_t status = 0;
  uint32_t serialNumber = 0;
  std::string productName;  // at most 255 characters travel
  uint8_t state = 3;        // operational

  // Where the device listens, for the ListIdentity item (host byte order).
  uint32_t ipv4 = 0;
  uint16_t port = 0;
};

std::vector<uint8_t> EncodeIdentityAttributes(const IdentityInfo& identity);
// Needs at least attributes 1 to 7 with a whole name; more bytes may follow.
std::optional<IdentityInfo> DecodeIdentityAttributes(std::span<const uint8_t> bytes);

std::vector<uint8_t> EncodeListIdentityReply(const IdentityInfo& identity);
// The first identity item of a ListIdentity reply.
std::optional<IdentityInfo> DecodeListIdentityReply(std::span<const uint8_t> bytes);

}  // namespace krn::enip
