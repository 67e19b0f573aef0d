// SendRRData data in the common packet format: interface handle 0 (CIP),
// time-out, item count 2, a Null Address item and an Unconnected Data item
// that carries one Message Router request or reply.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace krn::enip {

enum CpfItemType : uint16_t {
  kItemNullAddress = 0x0000,
  kItemIdentity = 0x000C,
  kItemUnconnectedData = 0x00B2,
};

struct SendRRData {
  uint16_t timeoutSeconds = 0;  // the encapsulation time-out; 0 on replies
  std::span<const uint8_t> message;
};

std::vector<uint8_t> EncodeSendRRData(uint16_t timeoutSeconds, std::span<const uint8_t> message);
// The interface handle must be 0 and the items exactly the two above, each
// within the data; `message` then points into `bytes`.
std::optional<SendRRData> DecodeSendRRData(std::span<const uint8_t> bytes);

}  // namespace krn::enip
