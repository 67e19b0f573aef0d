#include "config/slot_kinds.h"

namespace krn {

std::optional<CopyTableKind> SlotTableKind(const RackRecord& rack, int slot) {
  if (!SlotOccupied(rack, slot)) return std::nullopt;
  const bool analog = rack.ASlotLen[slot] != 0;
  switch (rack.IOTypeArray[slot]) {
    case kDirInput: return analog ? kAnalogInput : kDigitalInput;
    case kDirOutput: return analog ? kAnalogOutput : kDigitalOutput;
    default: return std::nullopt;
  }
}

uint8_t SlotLengthForKind(const RackRecord& rack, int slot, CopyTableKind kind) {
  return IsAnalogKind(kind) ? rack.ASlotLen[slot] : rack.DSlotLen[slot];
}

std::array<std::optional<SlotEntryRef>, kSlotsPerRack> SlotEntryRefs(const RackRecord& rack) {
  std::array<std::optional<SlotEntryRef>, kSlotsPerRack> refs;
  int counts[kCopyTableCount] = {};
  for (int slot = 0; slot < kSlotsPerRack; ++slot)
    if (const auto kind = SlotTableKind(rack, slot))
      refs[slot] = SlotEntryRef{*kind, counts[*kind]++};
  return refs;
}

std::optional<SlotEntryRef> FindSlotEntryRef(const RackRecord& rack, int slot) {
  return SlotEntryRefs(rack)[slot];
}

const CopyTableEntry* FindSlotEntry(const RackRecord& rack, int slot) {
  const auto ref = FindSlotEntryRef(rack, slot);
  if (!ref) return nullptr;
  return &rack.Tables[ref->kind][ref->index];
}

}  // namespace krn
