// The labels and pictures of the configuration tree: the module, its racks
// and their twelve slots. The Qt tree view, the command line's `show` and
// the tests all take their texts from here.
#pragma once

#include <array>
#include <string>

#include "config/image.h"
#include "config/module_variant.h"

namespace krn {

// "KRN735-Monitor(Line4), Configuration Signature (0a1b2c3d)" in the monitor
// build; "KRN735-Scanner(Line4), Mode:All P-P per scan, Configuration
// Signature (0a1b2c3d)" in the scanner build.
std::string ModuleLabel(const ConfigImage& image, const ModuleVariant& variant);

// "Rack Address: 80" for ByteAddress 10.
std::string RackLabel(const RackRecord& rack);

// "Slot A" to "Slot L" for slots 0 to 11.
std::string SlotName(int slot);

// The labels of the rack's slots A to L. Each occupied slot shows its I/O
// range, which starts where the previous occupied slot's range ended, and,
// when it has a direction, its ControlLogix address text from the copy
// table entry that belongs to it.
std::array<std::string, kSlotsPerRack> SlotLabels(const RackRecord& rack);

// One slot's label (the same text as SlotLabels()[slot]).
std::string SlotLabel(const RackRecord& rack, int slot);

// Indexes of the tree's pictures.
enum TreeImage : int {
  kImageModule = 0,
  kImageRack = 1,
  kImageInputSlot = 2,
  kImageOutputSlot = 3,
  kImageUndefinedSlot = 4,
  kImageEmptySlot = 5,
};

// The picture of a slot: empty, input, output, or undefined direction (also
// for a direction value other than input and output).
TreeImage SlotImage(const RackRecord& rack, int slot);

// Item data of the tree's nodes: the high byte tells the node kind, the low
// byte the rack index.
inline constexpr uint32_t kModuleItemData = 0x01000000u;
inline constexpr uint32_t RackItemData(int rack) {
  return 0x02000000u + static_cast<uint32_t>(rack);
}
inline constexpr uint32_t kSlotItemData = 0;

}  // namespace krn
