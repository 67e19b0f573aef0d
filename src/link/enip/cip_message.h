// CIP Message Router request and reply, as carried in an Unconnected Data
// item: request = service, path size in words, path, data; reply = service |
// 0x80, reserved 0, general status, extended-status size in words, the
// extended-status words, data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace krn::enip {

inline constexpr uint8_t kReplyFlag = 0x80;

enum CipService : uint8_t {
  kSvcGetAttributesAll = 0x01,
  kSvcGetAttributeSingle = 0x0E,
  kSvcUnconnectedSend = 0x52,
};

enum CipGeneralStatus : uint8_t {
  kCipSuccess = 0x00,
  kCipConnectionFailure = 0x01,
  kCipPathSegmentError = 0x04,
  kCipPathDestinationUnknown = 0x05,
  kCipServiceNotSupported = 0x08,
  kCipInvalidAttributeValue = 0x09,
  kCipObjectStateConflict = 0x0C,
  kCipDeviceStateConflict = 0x10,
  kCipReplyDataTooLarge = 0x11,
  kCipNotEnoughData = 0x13,
  kCipAttributeNotSupported = 0x14,
  kCipTooMuchData = 0x15,
  kCipInvalidParameter = 0x20,
  kCipPathSizeInvalid = 0x26,
};

struct MrRequest {
  uint8_t service = 0;
  std::span<const uint8_t> path;  // segment bytes, an even count
  std::span<const uint8_t> data;
};

struct MrReply {
  uint8_t service = 0;  // with the reply flag
  uint8_t generalStatus = 0;
  std::vector<uint16_t> extended;
  std::span<const uint8_t> data;
};

// `path` must hold an even number of bytes, at most 510.
std::vector<uint8_t> EncodeMrRequest(uint8_t service, std::span<const uint8_t> path,
                                     std::span<const uint8_t> data);
std::optional<MrRequest> DecodeMrRequest(std::span<const uint8_t> bytes);

std::vector<uint8_t> EncodeMrReply(uint8_t requestService, uint8_t generalStatus,
                                   std::span<const uint16_t> extended,
                                   std::span<const uint8_t> data);
std::optional<MrReply> DecodeMrReply(std::span<const uint8_t> bytes);

}  // namespace krn::enip
