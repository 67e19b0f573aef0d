// The rack rules: turning a heard record into racks (range and overlap
// checked first), the two completeness checks that gate downloads and tag
// exports, and deleting a rack.
#pragma once

#include "config/heard_config.h"
#include "config/image.h"
#include "config/module_variant.h"
#include "config/user_interface.h"

namespace krn {

// True when every heard card file ends at byte 254 at the latest and none
// overlaps an earlier one. The first failing card file, in the module's
// order, is reported (message 203 or 204, OK and Cancel, no icon).
bool CheckHeardRacks(const HeardConfig& heard, UserInterface& ui);

// Replaces the configuration with the heard racks: slot sizes decoded, every
// direction Undefined, no ControlLogix addresses, the name "Auto_Scan". The
// caller has seen the scan complete. False, with the image untouched, for a
// record without racks, with more racks than the image holds (reported), or
// that CheckHeardRacks refuses.
bool BuildFromHeard(ConfigImage& image, const HeardConfig& heard, const ModuleVariant& variant,
                    UserInterface& ui);

// At least one rack, and every occupied slot has a direction.
bool AllDirectionsDefined(const ConfigImage& image);
// At least one rack, and every occupied slot has a ControlLogix address.
bool AllAddressesDefined(const ConfigImage& image);

// Removes rack `index` (the later racks move up, all copy tables are
// cleared); an index beyond the racks in use changes nothing. The caller
// recomputes the signature.
void DeleteRack(ConfigImage& image, int index);
void ClearCopyTables(ConfigImage& image);

}  // namespace krn
