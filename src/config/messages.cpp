#include "config/messages.h"

#include <cstdio>

namespace krn::msg {

std::string ClearModuleQuestion(const ModuleVariant& variant) {
  return "This operation will clear the KRN-735 " + variant.modeWord +
         "'s configuration.\n Is that Ok?";
}

std::string AddressesMissing(const ModuleVariant& variant) {
  return "All I/O slots must have a defined ControlLogix Address.\nRight-click on the " +
         variant.modeWord + " and use the auto-address function.";
}

std::string CardFileOverflows(int bitAddress) {
  char text[96];
  std::snprintf(text, sizeof text,
                "Card file at byte address %04d overflows the I/O range (0-2040)", bitAddress);
  return text;
}

std::string CardFileOverlaps(int bitAddress) {
  char text[96];
  std::snprintf(text, sizeof text, "Card file at bit address %04d overlaps with another card file.",
                bitAddress);
  return text;
}

std::string HeardTooManyRacks(unsigned rackCount) {
  return "The module reported " + std::to_string(rackCount) +
         " card files, more than the 16 a configuration can hold.\n"
         "The configuration was not changed.";
}

std::string TooManyCharacters(int limit) {
  return "Please enter no more than " + std::to_string(limit) + " characters.";
}

std::string SaveChangesQuestion(const std::string& title) {
  return "Save changes to " + title + "?";
}

}  // namespace krn::msg
