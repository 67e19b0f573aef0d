#include "logix/allocation.h"

#include <gtest/gtest.h>

#include "config/slot_kinds.h"
#include "rack_builder.h"
#include "support/recording_ui.h"

namespace krn {
namespace {

using namespace krn::test;

// What an entry held before the allocation; the high byte of the Area word
// must survive the allocation too.
constexpr CopyTableEntry kOld{7, 0xAB, 0x1111, 0x2222, 0x3333};

void FillAllEntries(ConfigImage& img, CopyTableEntry e) {
  for (auto& rack : img.Racks)
    for (auto& table : rack.Tables) table.fill(e);
}

CopyTableEntry Entry(uint8_t area, uint16_t clx, uint16_t serial, uint16_t length) {
  return {area, kOld.Reserved, clx, serial, length};
}

bool AllUntouched(const CopyTable& t) {
  for (const auto& e : t)
    if (e != kOld) return false;
  return true;
}

// A rack of twelve analog cards of the given direction; DSlotLen 1 keeps
// the serial image small enough for sixteen of them.
RackRecord AnalogRack(uint8_t byteAddress, uint8_t dir) {
  RackRecord r = MakeRack(byteAddress, {});
  for (int s = 0; s < kSlotsPerRack; ++s) {
    r.DSlotLen[s] = 1;
    r.ASlotLen[s] = 16;
    r.IOTypeArray[s] = dir;
  }
  r.DLen = 12;
  r.ALen = 192;
  return r;
}

TEST(Allocation, WorkedExampleInBothBuilds) {
  for (const ModuleVariant* v : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(v->programName);
    ConfigImage img = MakeImage(*v, "Line4", {ExampleRack()});
    FillAllEntries(img, kOld);
    RecordingUi ui;
    ASSERT_TRUE(AllocateLogixAddresses(img, *v, ui));
    EXPECT_TRUE(ui.messages.empty());

    const RackRecord& r = img.Racks[0];
    EXPECT_EQ(r.DigitalInputTable()[0], Entry(1, 4, 11, 2));
    EXPECT_EQ(r.DigitalInputTable()[1], Entry(1, 6, 9, 1));
    EXPECT_EQ(r.AnalogInputTable()[0], Entry(1, 8, 27, 16));
    if (v->IsMonitor())
      EXPECT_EQ(r.DigitalOutputTable()[0], Entry(2, 20, 8, 1));
    else
      EXPECT_EQ(r.DigitalOutputTable()[0], Entry(3, 2, 8, 1));
    // Entries after the last slot of a kind, and the kind without slots,
    // are not touched.
    EXPECT_EQ(r.DigitalInputTable()[2], kOld);
    EXPECT_EQ(r.AnalogInputTable()[1], kOld);
    EXPECT_EQ(r.DigitalOutputTable()[1], kOld);
    EXPECT_TRUE(AllUntouched(r.AnalogOutputTable()));
    EXPECT_TRUE(AllUntouched(img.Racks[1].DigitalInputTable()));
  }
}

TEST(Allocation, BlocksFollowOnAcrossRacksAndKinds) {
  // Rack 0: two 8-bit inputs share a word; a 32-bit output ends odd after
  // an 8-bit one, so the analog outputs start at the next even offset.
  // Rack 1 has only outputs; rack 2 a slot without direction, which takes
  // no entry and no room.
  ConfigImage img =
      MakeImage(ScannerVariant(), "X",
                {MakeRack(0, {kDI8, kDI8, kDO8, kDO32, kAO}), MakeRack(20, {kDO16, kAO, kAO}),
                 MakeRack(40, {kD16Undefined, kDI16, kAI})});
  RecordingUi ui;
  ASSERT_TRUE(AllocateLogixAddresses(img, ScannerVariant(), ui));
  const auto& r0 = img.Racks[0];
  const auto& r1 = img.Racks[1];
  const auto& r2 = img.Racks[2];
  // DLen 9, ALen 16 in rack 0: inputs count down from DLen + 5, digital
  // outputs up from 3, analog outputs down from DLen + ALen + 3.
  EXPECT_EQ(r0.DigitalInputTable()[0], (CopyTableEntry{1, 0, 4, 14, 1}));
  EXPECT_EQ(r0.DigitalInputTable()[1], (CopyTableEntry{1, 0, 5, 13, 1}));
  EXPECT_EQ(r2.DigitalInputTable()[0], (CopyTableEntry{1, 0, 6, 9, 2}));
  EXPECT_EQ(r2.AnalogInputTable()[0], (CopyTableEntry{1, 0, 8, 27, 16}));
  EXPECT_EQ(r0.DigitalOutputTable()[0], (CopyTableEntry{3, 0, 2, 5, 1}));
  EXPECT_EQ(r0.DigitalOutputTable()[1], (CopyTableEntry{3, 0, 3, 6, 4}));
  EXPECT_EQ(r1.DigitalOutputTable()[0], (CopyTableEntry{3, 0, 7, 3, 2}));
  EXPECT_EQ(r0.AnalogOutputTable()[0], (CopyTableEntry{3, 0, 10, 28, 16}));
  EXPECT_EQ(r1.AnalogOutputTable()[0], (CopyTableEntry{3, 0, 26, 41, 16}));
  EXPECT_EQ(r1.AnalogOutputTable()[1], (CopyTableEntry{3, 0, 42, 25, 16}));
  for (const auto& t : r1.Tables[kDigitalInput]) EXPECT_EQ(t, CopyTableEntry{});
}

TEST(Allocation, InputsEndingAt499StayInIOneByteMoreMovesTheRackToS) {
  // Ten racks of twelve 32-bit inputs fill I up to byte 484; the eleventh
  // rack's block ends exactly at 499, or one byte later.
  for (const bool oneMore : {false, true}) {
    ConfigImage img = MakeImage(MonitorVariant(), "X", {});
    for (int r = 0; r < 10; ++r)
      img.Racks[img.NumRacks++] = MakeRack(
          0, {kDI32, kDI32, kDI32, kDI32, kDI32, kDI32, kDI32, kDI32, kDI32, kDI32, kDI32, kDI32});
    img.Racks[img.NumRacks++] = oneMore ? MakeRack(0, {kDI32, kDI32, kDI32, kDI16, kDI8, kDI8})
                                        : MakeRack(0, {kDI32, kDI32, kDI32, kDI16, kDI8});
    img.Racks[img.NumRacks++] = MakeRack(0, {kDO8});
    RecordingUi ui;
    ASSERT_TRUE(AllocateLogixAddresses(img, MonitorVariant(), ui));
    const auto& last = img.Racks[10].DigitalInputTable();
    const auto& out = img.Racks[11].DigitalOutputTable()[0];
    if (!oneMore) {
      EXPECT_EQ(last[0].Area, kAreaInput);
      EXPECT_EQ(last[0].ClxOffset, 484);
      EXPECT_EQ(last[4].ClxOffset, 498);
      // All inputs in I: the outputs start at S.Data[10].
      EXPECT_EQ(out.Area, kAreaStatus);
      EXPECT_EQ(out.ClxOffset, 20);
    } else {
      EXPECT_EQ(last[0].Area, kAreaStatus);
      EXPECT_EQ(last[0].ClxOffset, 20);
      EXPECT_EQ(last[5].ClxOffset, 35);
      // Inputs in S end at 36 (odd 35 + 1 raised to even): outputs follow.
      EXPECT_EQ(out.Area, kAreaStatus);
      EXPECT_EQ(out.ClxOffset, 36);
    }
  }
}

TEST(Allocation, MonitorInputsOverflowIntoSAndLaterInputsStayThere) {
  // Two analog racks fill I to 388; the third moves to S and the small
  // fourth follows it there although it would still fit in I.
  ConfigImage img = MakeImage(MonitorVariant(), "X",
                              {AnalogRack(0, kDirInput), AnalogRack(12, kDirInput),
                               AnalogRack(24, kDirInput), MakeRack(36, {kAI, kDO8, kAO})});
  RecordingUi ui;
  ASSERT_TRUE(AllocateLogixAddresses(img, MonitorVariant(), ui));
  EXPECT_EQ(img.Racks[0].AnalogInputTable()[0].ClxOffset, 4);
  EXPECT_EQ(img.Racks[1].AnalogInputTable()[11].ClxOffset, 372);
  EXPECT_EQ(img.Racks[2].AnalogInputTable()[0].Area, kAreaStatus);
  EXPECT_EQ(img.Racks[2].AnalogInputTable()[0].ClxOffset, 20);
  EXPECT_EQ(img.Racks[3].AnalogInputTable()[0], (CopyTableEntry{2, 0, 212, 42, 16}));
  // The heard outputs follow the inputs in S.
  EXPECT_EQ(img.Racks[3].DigitalOutputTable()[0], (CopyTableEntry{2, 0, 228, 5, 1}));
  EXPECT_EQ(img.Racks[3].AnalogOutputTable()[0], (CopyTableEntry{2, 0, 230, 24, 16}));
}

TEST(Allocation, InputsOverflowingSStopWithEarlierBlocksNew) {
  for (const ModuleVariant* v : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(v->programName);
    ConfigImage img = MakeImage(*v, "X", {});
    for (int r = 0; r < 6; ++r) img.Racks[img.NumRacks++] = AnalogRack(uint8_t(r * 14), kDirInput);
    img.Racks[0].DSlotLen[11] = 2;  // now a digital input before the analog ones run
    img.Racks[0].ASlotLen[11] = 0;
    img.Racks[0].DLen = 13;
    img.Racks[0].ALen = 176;
    img.Racks[5].IOTypeArray[0] = kDirOutput;
    FillAllEntries(img, kOld);
    RecordingUi ui;
    EXPECT_FALSE(AllocateLogixAddresses(img, *v, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "This configuration has run out of Input Data and Status Data space in the "
              "ControlLogix processor.\n You may have to split your network?");
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(ui.messages[0].title.empty());

    // Rack 0: 11 analog inputs at 6..182; rack 1: 182..374; rack 2 to S
    // at 20..212; rack 3 212..404; rack 4 does not fit.
    EXPECT_EQ(img.Racks[0].DigitalInputTable()[0], Entry(1, 4, 7, 2));
    EXPECT_EQ(img.Racks[3].AnalogInputTable()[11], Entry(2, 388, 33, 16));
    EXPECT_TRUE(AllUntouched(img.Racks[4].AnalogInputTable()));
    EXPECT_TRUE(AllUntouched(img.Racks[5].AnalogInputTable()));
    // No output entry was computed.
    EXPECT_TRUE(AllUntouched(img.Racks[5].AnalogOutputTable()));
  }
}

TEST(Allocation, OutputsOverflowingTheirAreaStop) {
  // Monitor: all inputs fit in I, outputs from S byte 20; scanner: from O
  // byte 2. Three racks of twelve analog outputs cannot fit in either.
  for (const ModuleVariant* v : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(v->programName);
    ConfigImage img =
        MakeImage(*v, "X",
                  {MakeRack(0, {kDI16, kDO16}), AnalogRack(4, kDirOutput),
                   AnalogRack(16, kDirOutput), AnalogRack(28, kDirOutput), MakeRack(40, {kDO8})});
    FillAllEntries(img, kOld);
    RecordingUi ui;
    EXPECT_FALSE(AllocateLogixAddresses(img, *v, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, std::string("This configuration has run out of ") +
                                       (v->IsMonitor() ? "Status Data" : "Output Data") +
                                       " space in the ControlLogix processor.\n You may have "
                                       "to split your network?");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);

    const uint8_t area = v->outputArea;
    const uint16_t first = v->IsMonitor() ? 20 : 2;
    EXPECT_EQ(img.Racks[0].DigitalInputTable()[0], Entry(1, 4, 9, 2));
    // Digital outputs of racks 0 and 4 are placed, then the analog blocks.
    EXPECT_EQ(img.Racks[0].DigitalOutputTable()[0], Entry(area, first, 5, 2));
    EXPECT_EQ(img.Racks[4].DigitalOutputTable()[0], Entry(area, first + 2, 3, 1));
    EXPECT_EQ(img.Racks[1].AnalogOutputTable()[0], Entry(area, first + 4, 207, 16));
    EXPECT_EQ(img.Racks[2].AnalogOutputTable()[0].ClxOffset, first + 196);
    // 196 + 2 * 192 + first + 192 > 499: rack 3's block does not fit.
    EXPECT_TRUE(AllUntouched(img.Racks[3].AnalogOutputTable()));
    EXPECT_TRUE(AllUntouched(img.Racks[4].AnalogOutputTable()));
  }
}

TEST(Allocation, RacksWithoutCardsOfAKindNeedNoRoom) {
  // Monitor: inputs in S end at 404 and the digital outputs exactly at 499,
  // raised to 500. No rack has analog outputs, so nothing overflows.
  ConfigImage img = MakeImage(MonitorVariant(), "X",
                              {AnalogRack(0, kDirInput), AnalogRack(12, kDirInput),
                               AnalogRack(24, kDirInput), AnalogRack(36, kDirInput)});
  img.Racks[img.NumRacks++] = MakeRack(
      48, {kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32});
  img.Racks[img.NumRacks++] =
      MakeRack(96, {kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32, kDO32});
  img.Racks[img.NumRacks++] = MakeRack(144, {kDI8, kDO32, kDO16, kDO8});
  RecordingUi ui;
  EXPECT_TRUE(AllocateLogixAddresses(img, MonitorVariant(), ui));
  EXPECT_TRUE(ui.messages.empty());
  const auto& last = img.Racks[6].DigitalOutputTable();
  EXPECT_EQ(last[2].ClxOffset, 498);
  EXPECT_EQ(last[2].Length, 1);
}

TEST(Allocation, StaleEntriesAfterADirectionChangeStay) {
  ConfigImage img = MakeImage(MonitorVariant(), "X", {MakeRack(0, {kDI16, kDI16, kDI16})});
  RecordingUi ui;
  ASSERT_TRUE(AllocateLogixAddresses(img, MonitorVariant(), ui));
  const CopyTableEntry third = img.Racks[0].DigitalInputTable()[2];
  EXPECT_EQ(third, (CopyTableEntry{1, 0, 8, 7, 2}));

  img.Racks[0].IOTypeArray[1] = kDirOutput;
  ASSERT_TRUE(AllocateLogixAddresses(img, MonitorVariant(), ui));
  const RackRecord& r = img.Racks[0];
  EXPECT_EQ(r.DigitalInputTable()[1], (CopyTableEntry{1, 0, 6, 7, 2}));
  EXPECT_EQ(r.DigitalInputTable()[2], third);
  EXPECT_EQ(r.DigitalOutputTable()[0], (CopyTableEntry{2, 0, 20, 5, 2}));
  for (int s = 0; s < kSlotsPerRack; ++s) EXPECT_NE(FindSlotEntry(r, s), &r.DigitalInputTable()[2]);
}

TEST(Allocation, NoRacksWritesNothing) {
  ConfigImage img = MakeImage(ScannerVariant(), "X", {});
  img.Racks[0] = ExampleRack();  // beyond NumRacks
  FillAllEntries(img, kOld);
  const ConfigImage before = img;
  RecordingUi ui;
  EXPECT_TRUE(AllocateLogixAddresses(img, ScannerVariant(), ui));
  EXPECT_EQ(img, before);
}

}  // namespace
}  // namespace krn
