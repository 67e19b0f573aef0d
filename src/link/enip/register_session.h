// RegisterSession data (request and reply alike): protocol version 1 and
// option flags 0. UnRegisterSession carries no data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace krn::enip {

inline constexpr uint16_t kProtocolVersion = 1;

struct RegisterSessionData {
  uint16_t protocolVersion = kProtocolVersion;
  uint16_t options = 0;
};

std::vector<uint8_t> EncodeRegisterSession(const RegisterSessionData& data);
// Exactly four bytes, else none.
std::optional<RegisterSessionData> DecodeRegisterSession(std::span<const uint8_t> bytes);

}  // namespace krn::enip
