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

std::optional<SlotEntryRef> FindSlotEntryRef(const RackRecord& rack, int slot) {
  const auto kind = SlotTableKind(rack, slot);
  if (!kind) return std::nullopt;
  int index = 0;
  for (int s = 0; s < slot; ++s)
    if (SlotTableKind(rack, s) == kind) ++index;
  return SlotEntryRef{*kind, index};
}

const CopyTableEntry* FindSlotEntry(const RackRecord& rack, int slot) {
  const auto ref = FindSlotEntryRef(rack, slot);
  if (!ref) return nullptr;
  return &rack.Tables[ref->kind][ref->index];
}

}  // namespace krn
