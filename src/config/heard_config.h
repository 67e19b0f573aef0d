// The record of card files the module heard during its auto-scan, 228 bytes
// little-endian as the module sends it, and the decoding of its slot codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "config/image.h"

namespace krn {

inline constexpr std::size_t kHeardRackSize = 14;
inline constexpr std::size_t kHeardConfigSize = 228;
inline constexpr int kHeardSlotBytes = 6;

namespace layout {
// HeardConfig
inline constexpr std::size_t kHeardStatus = 0;
inline constexpr std::size_t kHeardRackCount = 2;
inline constexpr std::size_t kHeardRacks = 4;
// HeardRack
inline constexpr std::size_t kHeardByteAddress = 0;
inline constexpr std::size_t kHeardDLen = 1;
inline constexpr std::size_t kHeardSlotCodes = 2;
inline constexpr std::size_t kHeardSlotAnalog = 8;
static_assert(kHeardSlotAnalog + kHeardSlotBytes == kHeardRackSize);
static_assert(kHeardRacks + kMaxRacks * kHeardRackSize == kHeardConfigSize);
}  // namespace layout

struct HeardRack {
  uint8_t ByteAddress = 0;
  uint8_t DLen = 0;
  // One 4-bit value per slot: byte i holds slot 2i in its low and slot 2i+1
  // in its high 4 bits.
  std::array<uint8_t, kHeardSlotBytes> SlotCodes{};
  std::array<uint8_t, kHeardSlotBytes> SlotAnalog{};

  uint8_t SlotCode(int slot) const { return Nibble(SlotCodes, slot); }
  uint8_t AnalogFlag(int slot) const { return Nibble(SlotAnalog, slot); }
  bool operator==(const HeardRack&) const = default;

 private:
  static uint8_t Nibble(const std::array<uint8_t, kHeardSlotBytes>& bytes, int slot) {
    const uint8_t b = bytes[slot / 2];
    return static_cast<uint8_t>(slot % 2 == 0 ? b & 0x0F : b >> 4);
  }
};

struct HeardConfig {
  uint16_t Status = 0;     // bit 0: the auto-scan is complete
  uint16_t RackCount = 0;  // entries 0 .. RackCount-1 of Racks are valid
  std::array<HeardRack, kMaxRacks> Racks{};

  bool ScanComplete() const { return (Status & 0x0001) != 0; }
  bool operator==(const HeardConfig&) const = default;
};

HeardConfig DecodeHeardConfig(const uint8_t* bytes);  // kHeardConfigSize bytes
void EncodeHeardConfig(const HeardConfig& heard, uint8_t* out);

// DSlotLen of a slot size code: 1, 3 and 15 give 1, 2 and 4 bytes; any other
// code is an empty slot.
uint8_t SlotLengthFromCode(uint8_t code);
// ASlotLen of an analog slot with that size code: 16 for a card, else 0.
uint8_t AnalogLengthFromCode(uint8_t code);

}  // namespace krn
