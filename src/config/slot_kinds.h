// How an occupied slot is classified and which copy-table entry belongs to
// it. The allocation, the completeness checks, the address texts, the tag
// export and the tree all use this one rule.
#pragma once

#include <array>
#include <optional>

#include "config/image.h"

namespace krn {

inline bool SlotOccupied(const RackRecord& rack, int slot) { return rack.DSlotLen[slot] != 0; }
inline bool SlotAnalog(const RackRecord& rack, int slot) {
  return rack.DSlotLen[slot] != 0 && rack.ASlotLen[slot] != 0;
}

// The copy table of an occupied slot with direction 0 or 1; none for an empty
// slot or one whose direction is anything else.
std::optional<CopyTableKind> SlotTableKind(const RackRecord& rack, int slot);

// Length a slot of that kind copies: DSlotLen for digital, ASlotLen for analog.
uint8_t SlotLengthForKind(const RackRecord& rack, int slot, CopyTableKind kind);

inline bool IsAnalogKind(CopyTableKind k) { return k == kAnalogInput || k == kAnalogOutput; }
inline bool IsInputKind(CopyTableKind k) { return k == kDigitalInput || k == kAnalogInput; }

struct SlotEntryRef {
  CopyTableKind kind;
  int index;  // entry k of the kind's table
};

// Entry k of the slot's table, where k counts the earlier slots (from A) of
// the same kind; none for a slot that belongs to no kind.
std::optional<SlotEntryRef> FindSlotEntryRef(const RackRecord& rack, int slot);
// The same for all twelve slots of a rack, in one pass.
std::array<std::optional<SlotEntryRef>, kSlotsPerRack> SlotEntryRefs(const RackRecord& rack);
const CopyTableEntry* FindSlotEntry(const RackRecord& rack, int slot);

}  // namespace krn
