// Field offsets of the packed records; the encoder, the decoder and the
// layout tests all use these numbers.
#pragma once

#include <cstddef>

namespace krn::layout {

// ConfigImage
inline constexpr std::size_t kNumRacks = 0;
inline constexpr std::size_t kOptions = 4;
inline constexpr std::size_t kCfgId = 8;
inline constexpr std::size_t kCheckPattern = 12;
inline constexpr std::size_t kName = 16;
inline constexpr std::size_t kRacks = 34;
inline constexpr std::size_t kImageReserved = 6818;
inline constexpr std::size_t kChecksum = 6820;

// RackRecord
inline constexpr std::size_t kByteAddress = 0;
inline constexpr std::size_t kDLen = 1;
inline constexpr std::size_t kALen = 2;
inline constexpr std::size_t kRackReserved = 3;
inline constexpr std::size_t kDSlotLen = 4;
inline constexpr std::size_t kASlotLen = 16;
inline constexpr std::size_t kIOTypeArray = 28;
inline constexpr std::size_t kDigitalInputTable = 40;
inline constexpr std::size_t kAnalogInputTable = 136;
inline constexpr std::size_t kDigitalOutputTable = 232;
inline constexpr std::size_t kAnalogOutputTable = 328;
inline constexpr std::size_t kCopyTableSize = 96;

// CopyTableEntry
inline constexpr std::size_t kArea = 0;
inline constexpr std::size_t kAreaHigh = 1;
inline constexpr std::size_t kClxOffset = 2;
inline constexpr std::size_t kSerialOffset = 4;
inline constexpr std::size_t kLength = 6;

static_assert(kRacks + 16 * 424 == kImageReserved);
static_assert(kImageReserved + 2 == kChecksum);
static_assert(kChecksum + 4 == 6824);
static_assert(kAnalogOutputTable + kCopyTableSize == 424);

}  // namespace krn::layout
