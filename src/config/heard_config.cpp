#include "config/heard_config.h"

#include <algorithm>

#include "config/byte_order.h"

namespace krn {

namespace L = layout;

HeardConfig DecodeHeardConfig(const uint8_t* p) {
  HeardConfig heard;
  heard.Status = GetLe16(p + L::kHeardStatus);
  heard.RackCount = GetLe16(p + L::kHeardRackCount);
  for (int r = 0; r < kMaxRacks; ++r) {
    const uint8_t* q = p + L::kHeardRacks + r * kHeardRackSize;
    HeardRack& rack = heard.Racks[r];
    rack.ByteAddress = q[L::kHeardByteAddress];
    rack.DLen = q[L::kHeardDLen];
    std::copy_n(q + L::kHeardSlotCodes, kHeardSlotBytes, rack.SlotCodes.begin());
    std::copy_n(q + L::kHeardSlotAnalog, kHeardSlotBytes, rack.SlotAnalog.begin());
  }
  return heard;
}

void EncodeHeardConfig(const HeardConfig& heard, uint8_t* p) {
  PutLe16(p + L::kHeardStatus, heard.Status);
  PutLe16(p + L::kHeardRackCount, heard.RackCount);
  for (int r = 0; r < kMaxRacks; ++r) {
    uint8_t* q = p + L::kHeardRacks + r * kHeardRackSize;
    const HeardRack& rack = heard.Racks[r];
    q[L::kHeardByteAddress] = rack.ByteAddress;
    q[L::kHeardDLen] = rack.DLen;
    std::copy(rack.SlotCodes.begin(), rack.SlotCodes.end(), q + L::kHeardSlotCodes);
    std::copy(rack.SlotAnalog.begin(), rack.SlotAnalog.end(), q + L::kHeardSlotAnalog);
  }
}

uint8_t SlotLengthFromCode(uint8_t code) {
  switch (code) {
    case 1: return 1;
    case 3: return 2;
    case 15: return 4;
    default: return 0;
  }
}

uint8_t AnalogLengthFromCode(uint8_t code) {
  return SlotLengthFromCode(code) != 0 ? 16 : 0;
}

}  // namespace krn
