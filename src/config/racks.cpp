#include "config/racks.h"

#include <algorithm>
#include <bitset>

#include "config/messages.h"
#include "config/slot_kinds.h"

namespace krn {

namespace {

constexpr int kLastByteAddress = 254;  // card files end here at the latest
constexpr char kAutoScanName[] = "Auto_Scan";

// Never more records than the image holds, whatever NumRacks says.
int RacksInUse(const ConfigImage& image) {
  return static_cast<int>(std::min<uint32_t>(image.NumRacks, kMaxRacks));
}

int HeardRackCount(const HeardConfig& heard) {
  return std::min<int>(heard.RackCount, kMaxRacks);
}

}  // namespace

bool CheckHeardRacks(const HeardConfig& heard, UserInterface& ui) {
  std::bitset<kLastByteAddress + 1> taken;
  for (int r = 0; r < HeardRackCount(heard); ++r) {
    const HeardRack& rack = heard.Racks[r];
    const int bitAddress = rack.ByteAddress * 8;
    // Computed in 16 bits without sign, so a card file at 0 with no bytes
    // ends at 65535 and overflows.
    const auto last = static_cast<uint16_t>(rack.ByteAddress + rack.DLen - 1);
    if (last > kLastByteAddress) {
      ui.Message(msg::CardFileOverflows(bitAddress), {}, MsgButtons::OkCancel, MsgIcon::None);
      return false;
    }
    for (int b = rack.ByteAddress; b <= last; ++b) {
      if (taken[b]) {
        ui.Message(msg::CardFileOverlaps(bitAddress), {}, MsgButtons::OkCancel, MsgIcon::None);
        return false;
      }
      taken[b] = true;
    }
  }
  return true;
}

bool BuildFromHeard(ConfigImage& image, const HeardConfig& heard, const ModuleVariant& variant,
                    UserInterface& ui) {
  if (heard.RackCount == 0) return false;
  if (heard.RackCount > kMaxRacks) {
    ui.Message(msg::HeardTooManyRacks(heard.RackCount), {}, MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
  }
  if (!CheckHeardRacks(heard, ui)) return false;

  ClearImage(image, variant);
  for (int r = 0; r < heard.RackCount; ++r) {
    const HeardRack& from = heard.Racks[r];
    RackRecord& rack = image.Racks[r];
    rack.ByteAddress = from.ByteAddress;
    rack.DLen = from.DLen;
    unsigned analogTotal = 0;
    for (int s = 0; s < kSlotsPerRack; ++s) {
      const uint8_t code = from.SlotCode(s);
      rack.DSlotLen[s] = SlotLengthFromCode(code);
      rack.ASlotLen[s] = from.AnalogFlag(s) == 1 ? AnalogLengthFromCode(code) : 0;
      analogTotal += rack.ASlotLen[s];
      rack.IOTypeArray[s] = kDirUndefined;
    }
    rack.ALen = static_cast<uint8_t>(analogTotal);  // at most 12 x 16 = 192
  }
  image.NumRacks = heard.RackCount;
  std::copy(std::begin(kAutoScanName), std::end(kAutoScanName), image.Name.begin());
  UpdateCfgId(image);
  return true;
}

bool AllDirectionsDefined(const ConfigImage& image) {
  if (image.NumRacks == 0) return false;
  const int racks = RacksInUse(image);
  for (int r = 0; r < racks; ++r) {
    const RackRecord& rack = image.Racks[r];
    for (int s = 0; s < kSlotsPerRack; ++s)
      if (SlotOccupied(rack, s) && rack.IOTypeArray[s] == kDirUndefined) return false;
  }
  return true;
}

bool AllAddressesDefined(const ConfigImage& image) {
  if (image.NumRacks == 0) return false;
  const int racks = RacksInUse(image);
  for (int r = 0; r < racks; ++r) {
    const RackRecord& rack = image.Racks[r];
    const auto refs = SlotEntryRefs(rack);
    for (int s = 0; s < kSlotsPerRack; ++s) {
      if (!SlotOccupied(rack, s)) continue;
      if (!refs[s] || rack.Tables[refs[s]->kind][refs[s]->index].Area == kAreaNone) return false;
    }
  }
  return true;
}

void ClearCopyTables(ConfigImage& image) {
  const int racks = RacksInUse(image);
  for (int r = 0; r < racks; ++r) image.Racks[r].Tables = {};
}

void DeleteRack(ConfigImage& image, int index) {
  const int racks = RacksInUse(image);
  if (index < 0 || index >= racks) return;
  std::move(image.Racks.begin() + index + 1, image.Racks.begin() + racks,
            image.Racks.begin() + index);
  image.Racks[racks - 1] = RackRecord{};
  image.NumRacks = static_cast<uint32_t>(racks - 1);
  ClearCopyTables(image);
}

}  // namespace krn
