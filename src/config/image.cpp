#include "config/image.h"

#include <algorithm>
#include <cstring>

#include "config/byte_order.h"
#include "config/image_layout.h"

namespace krn {

namespace L = layout;

static_assert(L::kRacks + kMaxRacks * kRackRecordSize + 2 + 4 == kImageSize);
static_assert(4 + 3 * kSlotsPerRack + kCopyTableCount * kCopyTableEntries * kCopyTableEntrySize ==
              kRackRecordSize);

namespace {

void EncodeEntry(const CopyTableEntry& e, uint8_t* p) {
  p[L::kArea] = e.Area;
  p[L::kAreaHigh] = e.Reserved;
  PutLe16(p + L::kClxOffset, e.ClxOffset);
  PutLe16(p + L::kSerialOffset, e.SerialOffset);
  PutLe16(p + L::kLength, e.Length);
}

CopyTableEntry DecodeEntry(const uint8_t* p) {
  CopyTableEntry e;
  e.Area = p[L::kArea];
  e.Reserved = p[L::kAreaHigh];
  e.ClxOffset = GetLe16(p + L::kClxOffset);
  e.SerialOffset = GetLe16(p + L::kSerialOffset);
  e.Length = GetLe16(p + L::kLength);
  return e;
}

constexpr std::size_t kTableOffsets[kCopyTableCount] = {
    L::kDigitalInputTable, L::kAnalogInputTable, L::kDigitalOutputTable,
    L::kAnalogOutputTable};

}  // namespace

void EncodeRack(const RackRecord& r, uint8_t* p) {
  p[L::kByteAddress] = r.ByteAddress;
  p[L::kDLen] = r.DLen;
  p[L::kALen] = r.ALen;
  p[L::kRackReserved] = r.Reserved;
  std::copy(r.DSlotLen.begin(), r.DSlotLen.end(), p + L::kDSlotLen);
  std::copy(r.ASlotLen.begin(), r.ASlotLen.end(), p + L::kASlotLen);
  std::copy(r.IOTypeArray.begin(), r.IOTypeArray.end(), p + L::kIOTypeArray);
  for (int t = 0; t < kCopyTableCount; ++t)
    for (int k = 0; k < kCopyTableEntries; ++k)
      EncodeEntry(r.Tables[t][k], p + kTableOffsets[t] + k * kCopyTableEntrySize);
}

RackRecord DecodeRack(const uint8_t* p) {
  RackRecord r;
  r.ByteAddress = p[L::kByteAddress];
  r.DLen = p[L::kDLen];
  r.ALen = p[L::kALen];
  r.Reserved = p[L::kRackReserved];
  std::copy_n(p + L::kDSlotLen, kSlotsPerRack, r.DSlotLen.begin());
  std::copy_n(p + L::kASlotLen, kSlotsPerRack, r.ASlotLen.begin());
  std::copy_n(p + L::kIOTypeArray, kSlotsPerRack, r.IOTypeArray.begin());
  for (int t = 0; t < kCopyTableCount; ++t)
    for (int k = 0; k < kCopyTableEntries; ++k)
      r.Tables[t][k] = DecodeEntry(p + kTableOffsets[t] + k * kCopyTableEntrySize);
  return r;
}

void EncodeImage(const ConfigImage& img, uint8_t* p) {
  PutLe32(p + L::kNumRacks, img.NumRacks);
  PutLe32(p + L::kOptions, img.Options);
  PutLe32(p + L::kCfgId, img.CfgId);
  PutLe32(p + L::kCheckPattern, img.CheckPattern);
  std::memcpy(p + L::kName, img.Name.data(), kNameSize);
  for (int r = 0; r < kMaxRacks; ++r) EncodeRack(img.Racks[r], p + L::kRacks + r * kRackRecordSize);
  p[L::kImageReserved] = img.Reserved[0];
  p[L::kImageReserved + 1] = img.Reserved[1];
  PutLe32(p + L::kChecksum, img.Checksum);
}

ImageBytes EncodeImage(const ConfigImage& img) {
  ImageBytes bytes{};
  EncodeImage(img, bytes.data());
  return bytes;
}

ConfigImage DecodeImage(const uint8_t* p) {
  ConfigImage img;
  img.NumRacks = GetLe32(p + L::kNumRacks);
  img.Options = GetLe32(p + L::kOptions);
  img.CfgId = GetLe32(p + L::kCfgId);
  img.CheckPattern = GetLe32(p + L::kCheckPattern);
  std::memcpy(img.Name.data(), p + L::kName, kNameSize);
  for (int r = 0; r < kMaxRacks; ++r) img.Racks[r] = DecodeRack(p + L::kRacks + r * kRackRecordSize);
  img.Reserved[0] = p[L::kImageReserved];
  img.Reserved[1] = p[L::kImageReserved + 1];
  img.Checksum = GetLe32(p + L::kChecksum);
  return img;
}

void ClearImage(ConfigImage& image, const ModuleVariant& variant) {
  image = ConfigImage{};
  image.CheckPattern = variant.checkPattern;
}

namespace {

// Eight tables: table 0 is the standard one; table k advances a byte by k
// further zero bytes, so eight bytes are folded in per step.
struct Crc32Table {
  uint32_t v[8][256];
  constexpr Crc32Table() : v{} {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      v[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (int t = 1; t < 8; ++t) v[t][i] = v[0][v[t - 1][i] & 0xFF] ^ (v[t - 1][i] >> 8);
  }
};
constexpr Crc32Table kCrcTable;

}  // namespace

uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc) {
  const auto& t = kCrcTable.v;
  uint32_t reg = ~crc;
  for (; size >= 8; size -= 8, data += 8) {
    const uint32_t lo = reg ^ GetLe32(data);
    const uint32_t hi = GetLe32(data + 4);
    reg = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
  }
  for (; size > 0; --size, ++data) reg = t[0][(reg ^ *data) & 0xFF] ^ (reg >> 8);
  return ~reg;
}

uint32_t UpdateCfgId(ConfigImage& image) {
  image.CfgId = 0;
  if (image.NumRacks == 0) {
    image.CfgId = 0xFFFFFFFFu;
    return image.CfgId;
  }
  const ImageBytes bytes = EncodeImage(image);
  image.CfgId = Crc32(bytes.data(), bytes.size());
  return image.CfgId;
}

std::string ImageName(const ConfigImage& image) {
  const auto* begin = image.Name.data();
  const auto* end = std::find(begin, begin + kNameSize - 1, '\0');
  return std::string(begin, end);
}

void StoreModuleName(ConfigImage& image, std::string_view name) {
  std::fill_n(image.Name.begin(), 16, '\0');
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 15), image.Name.begin());
}

}  // namespace krn
