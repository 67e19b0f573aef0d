// What the two property dialogs store on OK, shared by the dialogs and the
// command-line companion. The caller then recomputes the signature and marks
// the configuration modified.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "config/image.h"
#include "config/module_variant.h"

namespace krn {

// The three entries of a slot's direction choice.
enum class DirectionChoice { Input, Output, Undefined };

// The entry a direction byte shows: 0 Input, 1 Output, anything else Undefined.
DirectionChoice ShownDirection(uint8_t direction);
uint8_t DirectionValue(DirectionChoice choice);  // 0, 1 or 0xFF

// Rack Properties OK: every slot's direction byte from its choice, empty
// slots included; nothing else of the rack changes.
void StoreRackDirections(RackRecord& rack,
                         const std::array<DirectionChoice, kSlotsPerRack>& choices);

// Module Properties OK: the name (at most 15 characters, the first 16 bytes
// cleared first) and, in the scanner build, Options bit 0 (set for "Scan One
// Push/Pull card per scan"); the other option bits stay.
void StoreModuleProperties(ConfigImage& image, const ModuleVariant& variant, std::string_view name,
                           bool onePushPullPerScan);

inline bool OnePushPullPerScan(const ConfigImage& image) {
  return (image.Options & 1u) != 0;
}

inline constexpr int kModuleNameMax = 15;

}  // namespace krn
