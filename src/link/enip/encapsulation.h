// The 24-byte encapsulation header that starts every EtherNet/IP message on
// TCP, and the commands and status codes this system uses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krn::enip {

inline constexpr std::size_t kEncapHeaderSize = 24;
inline constexpr uint16_t kDefaultTcpPort = 44818;

enum EncapCommand : uint16_t {
  kCmdNop = 0x0000,
  kCmdListServices = 0x0004,
  kCmdListIdentity = 0x0063,
  kCmdListInterfaces = 0x0064,
  kCmdRegisterSession = 0x0065,
  kCmdUnRegisterSession = 0x0066,
  kCmdSendRRData = 0x006F,
  kCmdSendUnitData = 0x0070,
};

enum EncapStatus : uint32_t {
  kEncapSuccess = 0x0000,
  kEncapInvalidCommand = 0x0001,
  kEncapNoMemory = 0x0002,
  kEncapIncorrectData = 0x0003,
  kEncapInvalidSession = 0x0064,
  kEncapInvalidLength = 0x0065,
  kEncapUnsupportedProtocol = 0x0069,
};

using SenderContext = std::array<uint8_t, 8>;

struct EncapHeader {
  uint16_t command = 0;
  uint16_t length = 0;  // bytes of data after the header
  uint32_t session = 0;
  uint32_t status = 0;
  SenderContext context{};
  uint32_t options = 0;
};

// Header plus data, the length field set from the data.
std::vector<uint8_t> EncodeEncap(EncapHeader header, std::span<const uint8_t> data);
// The first kEncapHeaderSize bytes as a header; none when fewer are given.
std::optional<EncapHeader> DecodeEncapHeader(std::span<const uint8_t> bytes);

// A readable text of an encapsulation status, e.g. "invalid session handle".
std::string EncapStatusText(uint32_t status);

}  // namespace krn::enip
