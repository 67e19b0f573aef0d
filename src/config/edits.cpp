#include "config/edits.h"

namespace krn {

DirectionChoice ShownDirection(uint8_t direction) {
  if (direction == kDirInput) return DirectionChoice::Input;
  if (direction == kDirOutput) return DirectionChoice::Output;
  return DirectionChoice::Undefined;
}

uint8_t DirectionValue(DirectionChoice choice) {
  switch (choice) {
    case DirectionChoice::Input: return kDirInput;
    case DirectionChoice::Output: return kDirOutput;
    case DirectionChoice::Undefined: break;
  }
  return kDirUndefined;
}

void StoreRackDirections(RackRecord& rack,
                         const std::array<DirectionChoice, kSlotsPerRack>& choices) {
  for (int s = 0; s < kSlotsPerRack; ++s) rack.IOTypeArray[s] = DirectionValue(choices[s]);
}

void StoreModuleProperties(ConfigImage& image, const ModuleVariant& variant, std::string_view name,
                           bool onePushPullPerScan) {
  StoreModuleName(image, name);
  if (variant.hasPushPullOption)
    image.Options = onePushPullPerScan ? (image.Options | 1u) : (image.Options & ~1u);
}

}  // namespace krn
