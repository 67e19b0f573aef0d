// Gives every occupied slot with a direction its place in the module's
// ControlLogix arrays (I.Data, S.Data and, in the scanner, O.Data) and
// records it in the racks' copy tables.
#pragma once

#include <string>

#include "config/image.h"
#include "config/module_variant.h"
#include "config/user_interface.h"

namespace krn {

// Byte offsets in the arrays of 16-bit words: the first byte given to cards
// and the fit limit (a block of n bytes may start at p when p + n <= 499).
inline constexpr uint16_t kInputFirstCardByte = 4;    // after I.Data[0..1]
inline constexpr uint16_t kStatusFirstCardByte = 20;  // after the ten status words
inline constexpr uint16_t kOutputFirstCardByte = 2;   // after the scanner control register
inline constexpr uint16_t kAreaFitLimit = 499;

// Sum of Length over the rack's slots of that kind.
uint16_t KindSize(const RackRecord& rack, CopyTableKind kind);

// Writes the entries of the rack's slots of that kind from `start` on, in the
// given area, and returns the offset after the last one. Entries after the
// last slot of the kind are not touched.
uint16_t AssignKind(RackRecord& rack, CopyTableKind kind, uint8_t area, uint16_t start);

// Fills the copy tables of racks 0 to NumRacks - 1: inputs in I (moving on
// to S once a rack's block no longer fits in I), outputs in the variant's
// output area. When a block does not fit it shows the overflow message
// (exclamation icon, OK) and stops: the blocks placed before hold their new
// entries, the failing block and everything after it keep what they held.
// Returns true when every block was placed.
bool AllocateLogixAddresses(ConfigImage& image, const ModuleVariant& variant, UserInterface& ui);

// The overflow messages.
std::string InputSpaceMessage();
std::string OutputSpaceMessage(const ModuleVariant& variant);

}  // namespace krn
