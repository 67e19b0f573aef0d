// The configuration image: the 6824-byte record the module keeps in FLASH.
// In memory it is a plain struct; EncodeImage/DecodeImage give the exact
// packed little-endian bytes (offsets in image_layout.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/module_variant.h"

namespace krn {

inline constexpr int kMaxRacks = 16;
inline constexpr int kSlotsPerRack = 12;
inline constexpr int kCopyTableEntries = 12;
inline constexpr int kNameSize = 18;

inline constexpr std::size_t kCopyTableEntrySize = 8;
inline constexpr std::size_t kRackRecordSize = 424;
inline constexpr std::size_t kImageSize = 6824;

// SlotDirection values of IOTypeArray.
inline constexpr uint8_t kDirInput = 0;
inline constexpr uint8_t kDirOutput = 1;
inline constexpr uint8_t kDirUndefined = 0xFF;

// LogixArea codes of CopyTableEntry::Area.
enum LogixArea : uint8_t {
  kAreaNone = 0,
  kAreaInput = 1,   // I.Data
  kAreaStatus = 2,  // S.Data
  kAreaOutput = 3,  // O.Data (scanner only)
};

struct CopyTableEntry {
  uint8_t Area = 0;
  uint8_t Reserved = 0;  // high byte of the Area word; travels unchanged
  uint16_t ClxOffset = 0;
  uint16_t SerialOffset = 0;
  uint16_t Length = 0;
  bool operator==(const CopyTableEntry&) const = default;
};

// The four copy tables of a rack, in their stored order.
enum CopyTableKind : int {
  kDigitalInput = 0,
  kAnalogInput = 1,
  kDigitalOutput = 2,
  kAnalogOutput = 3,
};
inline constexpr int kCopyTableCount = 4;

using CopyTable = std::array<CopyTableEntry, kCopyTableEntries>;

struct RackRecord {
  uint8_t ByteAddress = 0;
  uint8_t DLen = 0;
  uint8_t ALen = 0;
  uint8_t Reserved = 0;
  std::array<uint8_t, kSlotsPerRack> DSlotLen{};
  std::array<uint8_t, kSlotsPerRack> ASlotLen{};
  std::array<uint8_t, kSlotsPerRack> IOTypeArray{};
  std::array<CopyTable, kCopyTableCount> Tables{};  // indexed by CopyTableKind

  CopyTable& DigitalInputTable() { return Tables[kDigitalInput]; }
  CopyTable& AnalogInputTable() { return Tables[kAnalogInput]; }
  CopyTable& DigitalOutputTable() { return Tables[kDigitalOutput]; }
  CopyTable& AnalogOutputTable() { return Tables[kAnalogOutput]; }
  const CopyTable& DigitalInputTable() const { return Tables[kDigitalInput]; }
  const CopyTable& AnalogInputTable() const { return Tables[kAnalogInput]; }
  const CopyTable& DigitalOutputTable() const { return Tables[kDigitalOutput]; }
  const CopyTable& AnalogOutputTable() const { return Tables[kAnalogOutput]; }

  bool operator==(const RackRecord&) const = default;
};

struct ConfigImage {
  uint32_t NumRacks = 0;
  uint32_t Options = 0;
  uint32_t CfgId = 0;
  uint32_t CheckPattern = 0;
  std::array<char, kNameSize> Name{};  // NUL-terminated; bytes after the NUL kept
  std::array<RackRecord, kMaxRacks> Racks{};
  std::array<uint8_t, 2> Reserved{};
  uint32_t Checksum = 0;

  bool operator==(const ConfigImage&) const = default;
};

using ImageBytes = std::array<uint8_t, kImageSize>;

// Packed little-endian rendering, byte for byte as the module stores it.
void EncodeImage(const ConfigImage& image, uint8_t* out);  // kImageSize bytes
ImageBytes EncodeImage(const ConfigImage& image);
ConfigImage DecodeImage(const uint8_t* in);  // kImageSize bytes

void EncodeRack(const RackRecord& rack, uint8_t* out);  // kRackRecordSize bytes
RackRecord DecodeRack(const uint8_t* in);

// All bytes zero, then the variant's CheckPattern; CfgId stays 0.
void ClearImage(ConfigImage& image, const ModuleVariant& variant);

// Recomputes CfgId: 0xFFFFFFFF without racks, else the CRC-32 of the whole
// encoded image with CfgId 0. Returns the new value.
uint32_t UpdateCfgId(ConfigImage& image);

// Standard CRC-32 (IEEE 802.3 / zlib).
uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc = 0);

// The name up to its NUL (at most 17 characters are ever read).
std::string ImageName(const ConfigImage& image);
// Zeroes the first 16 name bytes and copies at most 15 characters, as the
// Module Properties dialog stores a name; the last two bytes stay as they are.
void StoreModuleName(ConfigImage& image, std::string_view name);

}  // namespace krn
