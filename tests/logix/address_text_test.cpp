#include "logix/address_text.h"

#include <gtest/gtest.h>

namespace krn {
namespace {

struct AddressCase {
  uint8_t area;
  uint16_t offset;
  uint16_t length;
  bool analog;
  const char* text;
};

TEST(FormatLogixAddress, EveryRowOfTheAddressTable) {
  const AddressCase cases[] = {
      {1, 6, 1, false, "I.Data[3].0-7"},
      {1, 7, 1, false, "I.Data[3].8-15"},
      {1, 4, 2, false, "I.Data[2].0-15"},
      {1, 5, 2, false, "I.Data[2].8 -> I.Data[3].7"},
      {2, 20, 4, false, "S.Data[10].0 -> S.Data[11].15"},
      {2, 21, 4, false, "S.Data[10].8 -> S.Data[12].7"},
      {1, 5, 4, false, "I.Data[2].8 -> I.Data[4].7"},
      {2, 5, 2, false, "S.Data[2].8 -> S.Data[3].7"},
      {3, 2, 1, false, "O.Data[1].0-7"},
      {1, 8, 16, true, "I.Data[4] -> I.Data[11]"},
      {3, 2, 16, true, "O.Data[1] -> O.Data[8]"},
      {2, 496, 16, true, "S.Data[248] -> S.Data[255]"},
      // Area 0 wins over everything else the entry holds.
      {0, 21, 4, false, "Undefined"},
      {0, 8, 16, true, "Undefined"},
      // Lengths the rack layout never makes: the bit span they cover.
      {1, 4, 3, false, "I.Data[2].0 -> I.Data[3].7"},
      {1, 5, 3, false, "I.Data[2].8 -> I.Data[3].15"},
      {1, 4, 8, false, "I.Data[2].0 -> I.Data[5].15"},
      {1, 4, 0, false, "Undefined"},
      // An unknown area code never reads beyond the letter table.
      {9, 6, 1, false, "?.Data[3].0-7"},
  };
  for (const auto& c : cases) {
    const CopyTableEntry e{
        .Area = c.area, .ClxOffset = c.offset, .SerialOffset = 77, .Length = c.length};
    EXPECT_EQ(FormatLogixAddress(e, c.analog), c.text)
        << "area " << int{c.area} << " offset " << c.offset << " length " << c.length;
  }
}

}  // namespace
}  // namespace krn
