#include "logix/tree_labels.h"

#include <gtest/gtest.h>

#include "rack_builder.h"

namespace krn {
namespace {

using namespace krn::test;

TEST(TreeLabels, ModuleLabelOfEachBuild) {
  ConfigImage img;
  EXPECT_EQ(ModuleLabel(img, MonitorVariant()),
            "KRN735-Monitor(), Configuration Signature (00000000)");
  StoreModuleName(img, "Line4");
  img.CfgId = 0x0A1B2C3D;
  EXPECT_EQ(ModuleLabel(img, MonitorVariant()),
            "KRN735-Monitor(Line4), Configuration Signature (0a1b2c3d)");
  EXPECT_EQ(ModuleLabel(img, ScannerVariant()),
            "KRN735-Scanner(Line4), Mode:All P-P per scan, Configuration Signature (0a1b2c3d)");
  img.Options = 0x80000001;
  EXPECT_EQ(ModuleLabel(img, ScannerVariant()),
            "KRN735-Scanner(Line4), Mode:One P-P per scan, Configuration Signature (0a1b2c3d)");
  // The monitor gives Options no meaning.
  EXPECT_EQ(ModuleLabel(img, MonitorVariant()),
            "KRN735-Monitor(Line4), Configuration Signature (0a1b2c3d)");
}

TEST(TreeLabels, SlotRangesAndAddresses) {
  // Slot A empty, B a 16-bit input (entry 0), C a 32-bit output, D an
  // analog input with an 8-bit range, E a digital slot without direction,
  // F a 16-bit input (takes entry 1: E takes none), G an analog output,
  // H an analog slot without direction, I to L empty.
  RackRecord r = MakeRack(
      10, {kEmpty, kDI16, kDO32, {1, 16, kDirInput}, kD16Undefined, kDI16, kAO, kAUndefined});
  r.DigitalInputTable()[0] = {1, 0, 4, 99, 2};
  r.DigitalInputTable()[1] = {1, 0, 7, 99, 2};
  r.DigitalOutputTable()[0] = {2, 0, 21, 3, 4};
  // The analog input entry is left unassigned.
  r.AnalogOutputTable()[0] = {3, 0, 2, 3, 16};

  const auto labels = SlotLabels(r);
  const std::array<std::string, kSlotsPerRack> expected = {
      "Slot A - Empty Slot",
      "Slot B,  16 bit Digital Input(80 - 95) - Clx Addr: I.Data[2].0-15",
      "Slot C,  32 bit Digital Output(96 - 127) - Clx Addr: S.Data[10].8 -> S.Data[12].7",
      "Slot D, 8 channel Analog Input(128 - 135) - Clx Addr: Undefined",
      "Slot E, Digital (unknown direction), 16 bit - Clx Addr: Undefined",
      "Slot F,  16 bit Digital Input(152 - 167) - Clx Addr: I.Data[3].8 -> I.Data[4].7",
      "Slot G, 8 channel Analog Output(168 - 183) - Clx Addr: O.Data[1] -> O.Data[8]",
      "Slot H, Analog (unknown direction), 8 channel - Clx Addr: Undefined",
      "Slot I - Empty Slot",
      "Slot J - Empty Slot",
      "Slot K - Empty Slot",
      "Slot L - Empty Slot",
  };
  EXPECT_EQ(labels, expected);
  EXPECT_EQ(SlotLabel(r, 5), expected[5]);
  EXPECT_EQ(RackLabel(r), "Rack Address: 80");

  const TreeImage images[] = {kImageEmptySlot,  kImageInputSlot,     kImageOutputSlot,
                              kImageInputSlot,  kImageUndefinedSlot, kImageInputSlot,
                              kImageOutputSlot, kImageUndefinedSlot, kImageEmptySlot};
  for (int s = 0; s < 9; ++s) EXPECT_EQ(SlotImage(r, s), images[s]) << SlotName(s);
}

TEST(TreeLabels, LastRackAndOddDirectionValues) {
  // A direction value other than input, output or undefined is shown as
  // unknown; the range reaches the top of the 16-bit bit address space.
  RackRecord r = MakeRack(250, {kDI32, {1, 0, 7}});
  EXPECT_EQ(RackLabel(r), "Rack Address: 2000");
  const auto labels = SlotLabels(r);
  EXPECT_EQ(labels[0], "Slot A,  32 bit Digital Input(2000 - 2031) - Clx Addr: Undefined");
  EXPECT_EQ(labels[1], "Slot B, Digital (unknown direction), 8 bit - Clx Addr: Undefined");
  EXPECT_EQ(SlotImage(r, 1), kImageUndefinedSlot);
  EXPECT_EQ(SlotName(11), "Slot L");
}

}  // namespace
}  // namespace krn
