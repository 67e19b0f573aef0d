// The text that tells where a slot's data lies in the ControlLogix arrays,
// as the configuration tree shows it after "Clx Addr:".
#pragma once

#include <string>

#include "config/image.h"

namespace krn {

// "Undefined" for an entry without area; otherwise the array element(s) the
// entry covers, e.g. "I.Data[3].8-15", "S.Data[10].0 -> S.Data[11].15",
// "I.Data[4] -> I.Data[11]" (analog). A digital entry whose Length is not
// 1, 2 or 4 is shown as the bit span it covers, "I.Data[2].0 -> I.Data[3].7"
// for 3 bytes at offset 4; one of Length 0 covers nothing and is "Undefined".
// An area code beyond O.Data shows the letter '?'.
std::string FormatLogixAddress(const CopyTableEntry& entry, bool analog);

// 'I', 'S', 'O' for the area codes 1 to 3; '?' for any other code.
char LogixAreaLetter(uint8_t area);

}  // namespace krn
