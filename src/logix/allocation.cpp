#include "logix/allocation.h"

#include <algorithm>

#include "config/slot_kinds.h"

namespace krn {

namespace {

// SerialOffset of slot A and its step per slot, in the module's numbering:
// inputs count down from the end of their part of the serial image, digital
// outputs count up from 3.
struct SerialRule {
  uint16_t start;
  bool analogStep;  // step by ASlotLen (else DSlotLen)
  bool up;          // step up (else down)
};

SerialRule SerialRuleFor(const RackRecord& rack, CopyTableKind kind) {
  switch (kind) {
    case kDigitalInput: return {static_cast<uint16_t>(rack.DLen + 5), false, false};
    case kAnalogInput: return {static_cast<uint16_t>(rack.DLen + rack.ALen + 5), true, false};
    case kDigitalOutput: return {3, false, true};
    case kAnalogOutput: return {static_cast<uint16_t>(rack.DLen + rack.ALen + 3), true, false};
  }
  return {0, false, true};
}

int RackCount(const ConfigImage& image) {
  return static_cast<int>(std::min<uint32_t>(image.NumRacks, kMaxRacks));
}

bool Fits(uint16_t offset, uint16_t size) {
  return offset + size <= kAreaFitLimit;
}

// One running offset and one current area over all four kinds.
class Allocator {
 public:
  Allocator(ConfigImage& image, UserInterface& ui) : image_(image), ui_(ui) {}

  // Inputs start in I and move to S, for good, at the first rack whose block
  // no longer fits in I.
  bool PlaceInputs(CopyTableKind kind) {
    for (int r = 0; r < RackCount(image_); ++r) {
      RackRecord& rack = image_.Racks[r];
      const uint16_t size = KindSize(rack, kind);
      // A rack without cards of the kind needs no room.
      if (size == 0) continue;
      if (!Fits(offset_, size) && area_ == kAreaInput) {
        area_ = kAreaStatus;
        offset_ = kStatusFirstCardByte;
      }
      if (!Fits(offset_, size)) return Overflow(InputSpaceMessage());
      offset_ = AssignKind(rack, kind, area_, offset_);
    }
    return true;
  }

  bool PlaceOutputs(CopyTableKind kind, const ModuleVariant& variant) {
    for (int r = 0; r < RackCount(image_); ++r) {
      RackRecord& rack = image_.Racks[r];
      const uint16_t size = KindSize(rack, kind);
      if (size == 0) continue;
      if (!Fits(offset_, size)) return Overflow(OutputSpaceMessage(variant));
      offset_ = AssignKind(rack, kind, area_, offset_);
    }
    return true;
  }

  void AlignEven() {
    if (offset_ % 2 != 0) ++offset_;
  }
  void MoveTo(uint8_t area, uint16_t offset) {
    area_ = area;
    offset_ = offset;
  }
  uint8_t Area() const { return area_; }

 private:
  bool Overflow(const std::string& text) {
    ui_.Message(text, {}, MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
  }

  ConfigImage& image_;
  UserInterface& ui_;
  uint8_t area_ = kAreaInput;
  uint16_t offset_ = kInputFirstCardByte;
};

}  // namespace

uint16_t KindSize(const RackRecord& rack, CopyTableKind kind) {
  uint16_t size = 0;
  for (int slot = 0; slot < kSlotsPerRack; ++slot)
    if (SlotTableKind(rack, slot) == kind)
      size = static_cast<uint16_t>(size + SlotLengthForKind(rack, slot, kind));
  return size;
}

uint16_t AssignKind(RackRecord& rack, CopyTableKind kind, uint8_t area, uint16_t start) {
  const SerialRule rule = SerialRuleFor(rack, kind);
  uint16_t offset = start;
  uint16_t serial = rule.start;
  CopyTable& table = rack.Tables[kind];
  int entry = 0;
  for (int slot = 0; slot < kSlotsPerRack; ++slot) {
    if (SlotTableKind(rack, slot) == kind) {
      const uint16_t length = SlotLengthForKind(rack, slot, kind);
      CopyTableEntry& e = table[entry++];
      // Only the low byte of the Area word is the system's; the high byte
      // stays as it was.
      e.Area = area;
      e.ClxOffset = offset;
      e.SerialOffset = serial;
      e.Length = length;
      offset = static_cast<uint16_t>(offset + length);
    }
    // The serial position moves over every slot, of any kind or none.
    const uint8_t step = rule.analogStep ? rack.ASlotLen[slot] : rack.DSlotLen[slot];
    serial = static_cast<uint16_t>(rule.up ? serial + step : serial - step);
  }
  return offset;
}

bool AllocateLogixAddresses(ConfigImage& image, const ModuleVariant& variant, UserInterface& ui) {
  Allocator a(image, ui);
  if (!a.PlaceInputs(kDigitalInput)) return false;
  a.AlignEven();
  if (!a.PlaceInputs(kAnalogInput)) return false;

  if (variant.outputArea == kAreaStatus) {
    // The monitor reports what it hears in S: after the inputs when they
    // moved there, else from the first card byte of S.
    if (a.Area() == kAreaInput)
      a.MoveTo(kAreaStatus, kStatusFirstCardByte);
    else
      a.AlignEven();
  } else {
    a.MoveTo(variant.outputArea, kOutputFirstCardByte);
  }
  if (!a.PlaceOutputs(kDigitalOutput, variant)) return false;
  a.AlignEven();
  return a.PlaceOutputs(kAnalogOutput, variant);
}

std::string InputSpaceMessage() {
  return "This configuration has run out of Input Data and Status Data space in the ControlLogix "
         "processor.\n You may have to split your network?";
}

std::string OutputSpaceMessage(const ModuleVariant& variant) {
  const char* space = variant.outputArea == kAreaStatus ? "Status Data" : "Output Data";
  return std::string("This configuration has run out of ") + space +
         " space in the ControlLogix processor.\n You may have to split your network?";
}

}  // namespace krn
