#include "config/racks.h"

#include <gtest/gtest.h>

#include "config/messages.h"
#include "sample_config.h"
#include "support/recording_ui.h"

namespace krn {
namespace {

HeardRack Heard(uint8_t byteAddress, uint8_t dlen) {
  HeardRack r;
  r.ByteAddress = byteAddress;
  r.DLen = dlen;
  return r;
}

HeardConfig HeardOf(std::initializer_list<HeardRack> racks) {
  HeardConfig h;
  h.Status = 1;
  for (const HeardRack& r : racks) h.Racks[h.RackCount++] = r;
  return h;
}

TEST(HeardConfig, DecodesTheModulesBytes) {
  uint8_t bytes[kHeardConfigSize] = {};
  bytes[0] = 0x01;
  bytes[2] = 0x02;  // RackCount 2
  uint8_t* second = bytes + 4 + 14;
  second[0] = 31;
  second[1] = 7;
  second[2] = 0x31;                    // slot A code 1, slot B code 3
  second[7] = 0xF0;                    // slot L code 15
  second[8] = 0x10;                    // slot B analog
  second[13] = 0x21;                   // slot K flag 1, slot L flag 2
  bytes[kHeardConfigSize - 1] = 0xAB;  // last byte of the last rack
  const HeardConfig h = DecodeHeardConfig(bytes);
  EXPECT_TRUE(h.ScanComplete());
  EXPECT_EQ(h.RackCount, 2);
  EXPECT_EQ(h.Racks[1].ByteAddress, 31);
  EXPECT_EQ(h.Racks[1].DLen, 7);
  EXPECT_EQ(h.Racks[1].SlotCode(0), 1);
  EXPECT_EQ(h.Racks[1].SlotCode(1), 3);
  EXPECT_EQ(h.Racks[1].SlotCode(11), 15);
  EXPECT_EQ(h.Racks[1].AnalogFlag(1), 1);
  EXPECT_EQ(h.Racks[1].AnalogFlag(10), 1);
  EXPECT_EQ(h.Racks[1].AnalogFlag(11), 2);
  EXPECT_EQ(h.Racks[15].SlotAnalog[5], 0xAB);

  uint8_t again[kHeardConfigSize];
  EncodeHeardConfig(h, again);
  EXPECT_TRUE(std::equal(bytes, bytes + kHeardConfigSize, again));
  bytes[0] = 0xFE;
  bytes[1] = 0xFF;
  EXPECT_FALSE(DecodeHeardConfig(bytes).ScanComplete());
}

TEST(HeardConfig, SlotCodesDecodeBySizeAndExactAnalogFlag) {
  for (uint8_t code = 0; code < 16; ++code) {
    for (const int flag : {0, 1, 2, 15}) {
      HeardRack rack = Heard(0, 4);
      rack.SlotCodes[0] = code;
      rack.SlotAnalog[0] = static_cast<uint8_t>(flag);
      ConfigImage img;
      test::RecordingUi ui;
      ASSERT_TRUE(BuildFromHeard(img, HeardOf({rack}), MonitorVariant(), ui));
      const uint8_t size = code == 1 ? 1 : code == 3 ? 2 : code == 15 ? 4 : 0;
      EXPECT_EQ(img.Racks[0].DSlotLen[0], size) << int(code);
      EXPECT_EQ(img.Racks[0].ASlotLen[0], size != 0 && flag == 1 ? 16 : 0)
          << int(code) << int(flag);
    }
  }
}

TEST(CheckHeardRacks, RefusesTheFirstCardFileOutOfRangeOrOverlapping) {
  struct Case {
    HeardConfig heard;
    std::string message;  // empty: accepted
  };
  const Case cases[] = {
      {HeardOf({Heard(250, 5)}), ""},
      {HeardOf({Heard(250, 6)}), "Card file at byte address 2000 overflows the I/O range (0-2040)"},
      {HeardOf({Heard(0, 0)}), "Card file at byte address 0000 overflows the I/O range (0-2040)"},
      {HeardOf({Heard(10, 0), Heard(10, 1)}), ""},
      {HeardOf({Heard(16, 4), Heard(18, 2)}),
       "Card file at bit address 0144 overlaps with another card file."},
      {HeardOf({Heard(40, 8), Heard(0, 40), Heard(48, 207)}), ""},
      {HeardOf({Heard(0, 10), Heard(5, 255), Heard(9, 1)}),
       "Card file at byte address 0040 overflows the I/O range (0-2040)"},
  };
  for (const auto& c : cases) {
    test::RecordingUi ui;
    EXPECT_EQ(CheckHeardRacks(c.heard, ui), c.message.empty()) << c.message;
    if (c.message.empty()) {
      EXPECT_TRUE(ui.messages.empty());
      continue;
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, c.message);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
  }
}

TEST(BuildFromHeard, ReplacesTheConfigurationWithTheHeardRacks) {
  HeardRack first = Heard(8, 6);
  first.SlotCodes = {0x31, 0x0F, 0, 0, 0, 0};  // A 8 bits, B 16 bits, C 32 bits
  first.SlotAnalog = {0x10, 0, 0, 0, 0, 0};    // B analog
  HeardRack second = Heard(100, 1);
  second.SlotCodes = {0, 0, 0, 0, 0, 0x10};  // L 8 bits
  second.SlotAnalog = {0, 0, 0, 0, 0, 0x10};
  ConfigImage img = test::SampleImage(ScannerVariant());
  test::RecordingUi ui;
  ASSERT_TRUE(BuildFromHeard(img, HeardOf({first, second}), ScannerVariant(), ui));

  ConfigImage expected;
  ClearImage(expected, ScannerVariant());
  expected.NumRacks = 2;
  std::copy_n("Auto_Scan", 10, expected.Name.begin());
  RackRecord& a = expected.Racks[0];
  a.ByteAddress = 8;
  a.DLen = 6;
  a.ALen = 16;
  a.DSlotLen = {1, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  a.ASlotLen = {0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  a.IOTypeArray.fill(kDirUndefined);
  RackRecord& b = expected.Racks[1];
  b.ByteAddress = 100;
  b.DLen = 1;
  b.ALen = 16;
  b.DSlotLen[11] = 1;
  b.ASlotLen[11] = 16;
  b.IOTypeArray.fill(kDirUndefined);
  UpdateCfgId(expected);
  EXPECT_EQ(img, expected);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(AllDirectionsDefined(img));
  EXPECT_FALSE(AllAddressesDefined(img));
}

TEST(BuildFromHeard, RefusalsLeaveTheConfigurationAsItWas) {
  const ConfigImage before = test::SampleImage(MonitorVariant());
  HeardConfig tooMany = HeardOf({Heard(0, 1)});
  tooMany.RackCount = 17;
  struct Case {
    HeardConfig heard;
    std::size_t messages;
  };
  for (const Case& c :
       {Case{HeardOf({}), 0}, Case{tooMany, 1}, Case{HeardOf({Heard(16, 4), Heard(18, 2)}), 1}}) {
    ConfigImage img = before;
    test::RecordingUi ui;
    EXPECT_FALSE(BuildFromHeard(img, c.heard, MonitorVariant(), ui));
    EXPECT_EQ(img, before);
    EXPECT_EQ(ui.messages.size(), c.messages);
  }
  ConfigImage img = before;
  test::RecordingUi ui;
  BuildFromHeard(img, tooMany, MonitorVariant(), ui);
  EXPECT_EQ(ui.messages.at(0).text, msg::HeardTooManyRacks(17));
}

TEST(CompletenessChecks, DirectionsAndAddresses) {
  const ConfigImage sample = test::SampleImage(MonitorVariant());
  EXPECT_TRUE(AllDirectionsDefined(sample));
  EXPECT_TRUE(AllAddressesDefined(sample));

  ConfigImage none;
  ClearImage(none, MonitorVariant());
  EXPECT_FALSE(AllDirectionsDefined(none));
  EXPECT_FALSE(AllAddressesDefined(none));

  ConfigImage img = sample;
  img.Racks[1].IOTypeArray[1] = 7;  // only from a hand-edited file
  EXPECT_TRUE(AllDirectionsDefined(img));
  EXPECT_FALSE(AllAddressesDefined(img));

  img = sample;
  img.Racks[0].IOTypeArray[4] = kDirUndefined;
  EXPECT_FALSE(AllDirectionsDefined(img));

  // Directions changed after the allocation: the new table has no entry.
  img = sample;
  img.Racks[0].IOTypeArray[2] = kDirOutput;
  EXPECT_TRUE(AllDirectionsDefined(img));
  EXPECT_FALSE(AllAddressesDefined(img));

  img = sample;
  img.Racks[1].DigitalOutputTable()[1].Area = kAreaNone;
  EXPECT_FALSE(AllAddressesDefined(img));
  img.Racks[1].DSlotLen[1] = 0;  // that slot empty: no entry needed
  EXPECT_TRUE(AllAddressesDefined(img));
}

TEST(DeleteRack, LaterRacksMoveUpAndAllAddressesGo) {
  ConfigImage img = test::SampleImage(MonitorVariant());
  img.NumRacks = 3;
  img.Racks[2] = img.Racks[0];
  img.Racks[2].ByteAddress = 100;
  const ConfigImage before = img;

  DeleteRack(img, 0);
  EXPECT_EQ(img.NumRacks, 2u);
  RackRecord expect1 = before.Racks[1], expect2 = before.Racks[2];
  expect1.Tables = {};
  expect2.Tables = {};
  EXPECT_EQ(img.Racks[0], expect1);
  EXPECT_EQ(img.Racks[1], expect2);
  EXPECT_EQ(img.Racks[2], RackRecord{});

  ConfigImage same = img;
  DeleteRack(same, 2);
  DeleteRack(same, -1);
  EXPECT_EQ(same, img);

  DeleteRack(img, 1);
  DeleteRack(img, 0);
  EXPECT_EQ(img.NumRacks, 0u);
  EXPECT_EQ(UpdateCfgId(img), 0xFFFFFFFFu);
}

TEST(Messages, AddressRefusalNamesTheBuildsModule) {
  EXPECT_EQ(msg::AddressesMissing(MonitorVariant()),
            "All I/O slots must have a defined ControlLogix Address.\nRight-click on the Monitor "
            "and use the auto-address function.");
  EXPECT_EQ(msg::AddressesMissing(ScannerVariant()),
            "All I/O slots must have a defined ControlLogix Address.\nRight-click on the Scanner "
            "and use the auto-address function.");
  EXPECT_EQ(msg::ClearModuleQuestion(ScannerVariant()),
            "This operation will clear the KRN-735 Scanner's configuration.\n Is that Ok?");
}

}  // namespace
}  // namespace krn
