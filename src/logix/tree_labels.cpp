#include "logix/tree_labels.h"

#include <cstdio>

#include "config/slot_kinds.h"
#include "logix/address_text.h"

namespace krn {

namespace {

bool OnePushPullPerScan(const ConfigImage& image) {
  return (image.Options & 1u) != 0;
}

// One occupied slot's label, given the first bit address of its range.
std::string OccupiedSlotLabel(const RackRecord& rack, int slot, uint16_t first) {
  const std::string name = SlotName(slot);
  const bool analog = rack.ASlotLen[slot] != 0;
  const unsigned bits = rack.DSlotLen[slot] * 8u;
  // First and last are 16-bit values; the range follows from DSlotLen, also
  // for an analog card.
  const uint16_t last = static_cast<uint16_t>(first + bits - 1u);
  const uint8_t dir = rack.IOTypeArray[slot];

  char buf[192];
  if (dir != kDirInput && dir != kDirOutput) {
    if (analog)
      std::snprintf(buf, sizeof buf,
                    "%s, Analog (unknown direction), 8 channel - Clx Addr: Undefined",
                    name.c_str());
    else
      std::snprintf(buf, sizeof buf,
                    "%s, Digital (unknown direction), %u bit - Clx Addr: Undefined", name.c_str(),
                    bits);
    return buf;
  }

  const CopyTableEntry* entry = FindSlotEntry(rack, slot);
  const std::string address = entry ? FormatLogixAddress(*entry, analog) : "Undefined";
  const char* direction = dir == kDirInput ? "Input" : "Output";
  if (analog)
    std::snprintf(buf, sizeof buf, "%s, 8 channel Analog %s(%d - %d) - Clx Addr: %s", name.c_str(),
                  direction, int{first}, int{last}, address.c_str());
  else
    std::snprintf(buf, sizeof buf, "%s,  %u bit Digital %s(%d - %d) - Clx Addr: %s", name.c_str(),
                  bits, direction, int{first}, int{last}, address.c_str());
  return buf;
}

}  // namespace

std::string ModuleLabel(const ConfigImage& image, const ModuleVariant& variant) {
  const std::string name = ImageName(image);
  char buf[160];
  if (variant.hasPushPullOption)
    std::snprintf(buf, sizeof buf, "KRN735-%s(%s), Mode:%s, Configuration Signature (%08x)",
                  variant.modeWord.c_str(), name.c_str(),
                  OnePushPullPerScan(image) ? "One P-P per scan" : "All P-P per scan",
                  unsigned{image.CfgId});
  else
    std::snprintf(buf, sizeof buf, "KRN735-%s(%s), Configuration Signature (%08x)",
                  variant.modeWord.c_str(), name.c_str(), unsigned{image.CfgId});
  return buf;
}

std::string RackLabel(const RackRecord& rack) {
  return "Rack Address: " + std::to_string(rack.ByteAddress * 8u);
}

std::string SlotName(int slot) {
  return std::string("Slot ") + static_cast<char>('A' + slot);
}

std::array<std::string, kSlotsPerRack> SlotLabels(const RackRecord& rack) {
  std::array<std::string, kSlotsPerRack> labels;
  uint16_t next = static_cast<uint16_t>(rack.ByteAddress * 8u);
  for (int slot = 0; slot < kSlotsPerRack; ++slot) {
    if (!SlotOccupied(rack, slot)) {
      labels[slot] = SlotName(slot) + " - Empty Slot";
      continue;
    }
    labels[slot] = OccupiedSlotLabel(rack, slot, next);
    // Every occupied slot moves the range on, with or without a direction.
    next = static_cast<uint16_t>(next + rack.DSlotLen[slot] * 8u);
  }
  return labels;
}

std::string SlotLabel(const RackRecord& rack, int slot) {
  return SlotLabels(rack)[slot];
}

TreeImage SlotImage(const RackRecord& rack, int slot) {
  if (!SlotOccupied(rack, slot)) return kImageEmptySlot;
  switch (rack.IOTypeArray[slot]) {
    case kDirInput: return kImageInputSlot;
    case kDirOutput: return kImageOutputSlot;
    default: return kImageUndefinedSlot;
  }
}

}  // namespace krn
