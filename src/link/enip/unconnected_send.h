// Unconnected_Send (service 0x52 to the Connection Manager, class 6
// instance 1): carries a request to a device further along a route. Data:
// priority/time tick, time-out ticks (together the request's time-out),
// embedded request size (without pad), the embedded request, one pad byte
// when its size is odd, route path size in words, a reserved 0, the route.
// A failed routing comes back as the router's reply 0xD2 with a general and
// an extended status and the route words that remained.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace krn::enip {

inline constexpr uint8_t kSvcUnconnectedSendReply = 0xD2;
inline constexpr uint16_t kClassConnectionManager = 0x06;

// CIP extended statuses of routing failures (general status 0x01).
enum RoutingStatus : uint16_t {
  kExtUnconnectedTimeout = 0x0204,
  kExtUnconnectedParameterError = 0x0205,
  kExtMessageTooLarge = 0x0206,
  kExtPortNotAvailable = 0x0311,
  kExtLinkNotAvailable = 0x0312,
  kExtInvalidSegment = 0x0315,
};

struct TickTimeout {
  uint8_t tick = 0;   // a tick lasts 2^tick ms
  uint8_t ticks = 1;  // 1 to 255
  uint32_t Milliseconds() const { return (uint32_t{1} << tick) * ticks; }
};
// The shortest tick that covers `ms` within 255 ticks (rounded up).
TickTimeout TimeoutToTicks(uint32_t ms);

struct UnconnectedSend {
  TickTimeout timeout;
  std::span<const uint8_t> request;  // the embedded Message Router request
  std::span<const uint8_t> route;    // port segments, an even count of bytes
};

// The whole Message Router request: 52 02 20 06 24 01, then the data.
std::vector<uint8_t> EncodeUnconnectedSend(uint32_t timeoutMs, std::span<const uint8_t> request,
                                           std::span<const uint8_t> route);
// The data of an Unconnected_Send request (after its path).
std::optional<UnconnectedSend> DecodeUnconnectedSend(std::span<const uint8_t> data);

// The router's 0xD2 reply: general status, one extended word, and the
// remaining path size in words.
std::vector<uint8_t> EncodeRoutingError(uint8_t generalStatus, uint16_t extended,
                                        uint8_t remainingPathWords);

}  // namespace krn::enip
