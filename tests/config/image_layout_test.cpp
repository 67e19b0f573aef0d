#include <gtest/gtest.h>

#include "config/byte_order.h"
#include "config/image.h"
#include "config/image_layout.h"
#include "config/slot_kinds.h"

namespace krn {
namespace {

// Every field at its documented offset: set distinct values and find them in
// the encoded bytes.
TEST(ImageLayout, FieldsAtDocumentedOffsets) {
  ConfigImage img;
  img.NumRacks = 0x01020304;
  img.Options = 0x11121314;
  img.CfgId = 0x21222324;
  img.CheckPattern = 0x31323334;
  img.Name = {'A', 'B', 'C'};
  img.Name[17] = 'Z';
  RackRecord& r = img.Racks[2];
  r.ByteAddress = 0x41;
  r.DLen = 0x42;
  r.ALen = 0x43;
  r.Reserved = 0x44;
  r.DSlotLen[11] = 0x45;
  r.ASlotLen[0] = 0x46;
  r.IOTypeArray[5] = 0x47;
  r.AnalogOutputTable()[11] = {0x51, 0x52, 0x5354, 0x5556, 0x5758};
  r.DigitalOutputTable()[0].ClxOffset = 0x6162;
  r.AnalogInputTable()[1].SerialOffset = 0x7172;
  r.DigitalInputTable()[0].Length = 0x8182;
  img.Reserved = {0x91, 0x92};
  img.Checksum = 0xA1A2A3A4;

  const ImageBytes b = EncodeImage(img);
  ASSERT_EQ(b.size(), 6824u);
  EXPECT_EQ(GetLe32(&b[0]), 0x01020304u);
  EXPECT_EQ(GetLe32(&b[4]), 0x11121314u);
  EXPECT_EQ(GetLe32(&b[8]), 0x21222324u);
  EXPECT_EQ(GetLe32(&b[12]), 0x31323334u);
  EXPECT_EQ(b[16], 'A');
  EXPECT_EQ(b[18], 'C');
  EXPECT_EQ(b[33], 'Z');
  const std::size_t r2 = 34 + 2 * 424;
  EXPECT_EQ(b[r2 + 0], 0x41);
  EXPECT_EQ(b[r2 + 1], 0x42);
  EXPECT_EQ(b[r2 + 2], 0x43);
  EXPECT_EQ(b[r2 + 3], 0x44);
  EXPECT_EQ(b[r2 + 4 + 11], 0x45);
  EXPECT_EQ(b[r2 + 16], 0x46);
  EXPECT_EQ(b[r2 + 28 + 5], 0x47);
  const std::size_t ao11 = r2 + 328 + 11 * 8;
  EXPECT_EQ(b[ao11 + 0], 0x51);
  EXPECT_EQ(b[ao11 + 1], 0x52);
  EXPECT_EQ(GetLe16(&b[ao11 + 2]), 0x5354);
  EXPECT_EQ(GetLe16(&b[ao11 + 4]), 0x5556);
  EXPECT_EQ(GetLe16(&b[ao11 + 6]), 0x5758);
  EXPECT_EQ(GetLe16(&b[r2 + 232 + 2]), 0x6162);
  EXPECT_EQ(GetLe16(&b[r2 + 136 + 8 + 4]), 0x7172);
  EXPECT_EQ(GetLe16(&b[r2 + 40 + 6]), 0x8182);
  EXPECT_EQ(b[6818], 0x91);
  EXPECT_EQ(b[6819], 0x92);
  EXPECT_EQ(GetLe32(&b[6820]), 0xA1A2A3A4u);

  EXPECT_EQ(DecodeImage(b.data()), img);
}

TEST(ImageCfgId, EmptyAndStandardCrc) {
  const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc32(check, sizeof check), 0xCBF43926u);

  ConfigImage img;
  ClearImage(img, MonitorVariant());
  EXPECT_EQ(img.CfgId, 0u);
  EXPECT_EQ(img.CheckPattern, 0x54CD35EDu);
  EXPECT_EQ(UpdateCfgId(img), 0xFFFFFFFFu);

  img.NumRacks = 1;
  img.Racks[0].DSlotLen[0] = 2;
  const uint32_t id = UpdateCfgId(img);
  EXPECT_EQ(UpdateCfgId(img), id);  // CfgId itself is excluded
  img.CfgId = 0;
  const ImageBytes b = EncodeImage(img);
  EXPECT_EQ(id, Crc32(b.data(), b.size()));

  ConfigImage scanner = img;
  scanner.CheckPattern = ScannerVariant().checkPattern;
  EXPECT_NE(UpdateCfgId(scanner), id);
}

TEST(SlotKinds, EntryBelongsToNthSlotOfItsKind) {
  RackRecord r;
  // A: digital in, B: analog in, C: digital out, D: empty, E: digital in,
  // F: undefined, G: digital in with a stray direction 7.
  r.DSlotLen = {2, 2, 1, 0, 1, 4, 1};
  r.ASlotLen = {0, 16, 0, 0, 0, 0, 0};
  r.IOTypeArray = {0, 0, 1, 0, 0, 0xFF, 7};
  EXPECT_EQ(FindSlotEntry(r, 0), &r.DigitalInputTable()[0]);
  EXPECT_EQ(FindSlotEntry(r, 1), &r.AnalogInputTable()[0]);
  EXPECT_EQ(FindSlotEntry(r, 2), &r.DigitalOutputTable()[0]);
  EXPECT_EQ(FindSlotEntry(r, 3), nullptr);
  EXPECT_EQ(FindSlotEntry(r, 4), &r.DigitalInputTable()[1]);
  EXPECT_EQ(FindSlotEntry(r, 5), nullptr);
  EXPECT_EQ(FindSlotEntry(r, 6), nullptr);
}

TEST(ModuleName, StoresAtMostFifteenAndKeepsLastTwoBytes) {
  ConfigImage img;
  img.Name.fill('x');
  StoreModuleName(img, "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(ImageName(img), "ABCDEFGHIJKLMNO");
  EXPECT_EQ(img.Name[15], '\0');
  EXPECT_EQ(img.Name[16], 'x');
  EXPECT_EQ(img.Name[17], 'x');
}

}  // namespace
}  // namespace krn
