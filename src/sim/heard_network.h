// The serial network a simulated module "hears": its card files, read from
// a small text description, and the 228-byte heard record the module sends
// (Status, RackCount, 16 entries of 14 bytes).
//
// Text format, one card file per line, '#' starts a comment:
//   cardfile <byte address 0-255> <slot A> <slot B> ... <slot L> [dlen=<bytes>]
// A slot is "-" (empty), "8", "16" or "32" (digital bits) or "A8", "A16",
// "A32" (analog); slots left out are empty. dlen defaults to the sum of the
// slots' bytes (8 bits = 1 byte). At most 16 card files.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/heard_config.h"

namespace krn::sim {

inline constexpr std::size_t kHeardSize = kHeardConfigSize;
inline constexpr std::size_t kHeardMaxRacks = kMaxRacks;
inline constexpr std::size_t kHeardSlots = 12;

using HeardBytes = std::array<uint8_t, kHeardSize>;

struct HeardCardFile {
  uint8_t byteAddress = 0;
  uint8_t dlen = 0;
  std::array<uint8_t, kHeardSlots> sizeCode{};  // 1, 3, 15 or 0 (empty)
  std::array<uint8_t, kHeardSlots> analog{};    // 1 for an analog slot
};

// The record as the module sends it once its scan is complete (Status bit 0
// set). At most kHeardMaxRacks card files are used.
HeardBytes EncodeHeardRecord(std::span<const HeardCardFile> cardFiles);

// False with a message naming the line when the text is not understood.
bool ParseNetworkText(std::string_view text, std::vector<HeardCardFile>& cardFiles,
                      std::string& error);

// A small network for demonstrations: three card files with digital and
// analog slots.
std::vector<HeardCardFile> DemoNetwork();

}  // namespace krn::sim
