#include "link/link_texts.h"

namespace krn {

std::string ModuleNotFoundText(const ModuleVariant& variant, std::string_view routeText) {
  std::string text = variant.moduleWord + " Module NOT Found at RSLinx Path '";
  text += routeText;
  text += "'";
  return text;
}

std::string WrongModeText(const ModuleVariant& variant) {
  return variant.moduleWord + " Module is NOT in " + variant.modeWord + " Mode";
}

std::string ClearFailedTitle(const ModuleVariant& variant) {
  return "Clear " + variant.moduleWord + " Configuration";
}

std::string AutoScanFailedTitle(const ModuleVariant& variant) {
  return variant.moduleWord + " Auto-Scan network";
}

std::string HeardReadFailedTitle(const ModuleVariant& variant) {
  return "Read Heard " + variant.moduleWord + " Configuration";
}

std::string WriteFailedTitle(const ModuleVariant& variant) {
  return "Write " + variant.moduleWord + " Configuration";
}

std::string EndFailedTitle(const ModuleVariant& variant) {
  return "End " + variant.moduleWord + " Configuration";
}

}  // namespace krn
