// The checksum word of a configuration image as the module keeps it: the
// image's 1706 little-endian 32-bit words add up to 0 (modulo 2^32).
#pragma once

#include <cstdint>

namespace krn {

// Sum of the encoded image's words, wrapping at 32 bits (kImageSize bytes).
uint32_t ImageWordSum(const uint8_t* imageBytes);

// Sets the Checksum word of the encoded image so that its words add up to 0.
void SealImageChecksum(uint8_t* imageBytes);

}  // namespace krn
