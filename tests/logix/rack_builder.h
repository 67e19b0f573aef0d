// Racks and configurations built in code, card by card.
#pragma once

#include <initializer_list>
#include <string_view>

#include "config/image.h"
#include "config/module_variant.h"

namespace krn::test {

struct Card {
  uint8_t dslot;  // DSlotLen
  uint8_t aslot;  // ASlotLen
  uint8_t dir;    // IOTypeArray
};

inline constexpr Card kEmpty{0, 0, 0};
inline constexpr Card kDI8{1, 0, kDirInput};
inline constexpr Card kDI16{2, 0, kDirInput};
inline constexpr Card kDI32{4, 0, kDirInput};
inline constexpr Card kDO8{1, 0, kDirOutput};
inline constexpr Card kDO16{2, 0, kDirOutput};
inline constexpr Card kDO32{4, 0, kDirOutput};
inline constexpr Card kAI{2, 16, kDirInput};
inline constexpr Card kAO{2, 16, kDirOutput};
inline constexpr Card kD16Undefined{2, 0, kDirUndefined};
inline constexpr Card kAUndefined{2, 16, kDirUndefined};

// Slots from A in the order given; DLen and ALen are the sums of the slots.
inline RackRecord MakeRack(uint8_t byteAddress, std::initializer_list<Card> cards) {
  RackRecord r;
  r.ByteAddress = byteAddress;
  int slot = 0;
  for (const Card& c : cards) {
    r.DSlotLen[slot] = c.dslot;
    r.ASlotLen[slot] = c.aslot;
    r.IOTypeArray[slot] = c.dslot != 0 ? c.dir : 0;
    r.DLen = static_cast<uint8_t>(r.DLen + c.dslot);
    r.ALen = static_cast<uint8_t>(r.ALen + c.aslot);
    ++slot;
  }
  return r;
}

inline ConfigImage MakeImage(const ModuleVariant& variant, std::string_view name,
                             std::initializer_list<RackRecord> racks) {
  ConfigImage img;
  ClearImage(img, variant);
  StoreModuleName(img, name);
  for (const RackRecord& r : racks) img.Racks[img.NumRacks++] = r;
  return img;
}

// The rack of the worked example: at byte address 2, slot A a 16-bit
// digital input, B an 8-bit digital input, C an analog input, D an 8-bit
// digital output (DLen 6, ALen 16).
inline RackRecord ExampleRack() {
  return MakeRack(2, {kDI16, kDI8, kAI, kDO8});
}

}  // namespace krn::test
