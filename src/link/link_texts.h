// Texts and message-box titles of the module link and its transactions.
// Those that differ by build are made from the variant's words.
#pragma once

#include <string>
#include <string_view>

#include "config/module_variant.h"

namespace krn {

inline constexpr std::string_view kOperationCanceled = "Operation Canceled";
inline constexpr std::string_view kDriverNotFound = "Drvr Not Found";
inline constexpr std::string_view kCheckPatternNotFound =
    "Configuration is empty, Check Pattern Not Found";
inline constexpr std::string_view kAutoScanTimeout = "Timeout Waiting for Auto-Scan";

// Titles of the transaction reports that are the same in both builds.
inline constexpr std::string_view kReadModuleConfigTitle = "Read Module Configuration";
inline constexpr std::string_view kStartEditsTitle = "Start Edits";

// "Sentry Module NOT Found at RSLinx Path '<route>'".
std::string ModuleNotFoundText(const ModuleVariant& variant, std::string_view routeText);
// "Sentry Module is NOT in Monitor Mode".
std::string WrongModeText(const ModuleVariant& variant);

std::string ClearFailedTitle(const ModuleVariant& variant);
std::string AutoScanFailedTitle(const ModuleVariant& variant);
std::string HeardReadFailedTitle(const ModuleVariant& variant);
std::string WriteFailedTitle(const ModuleVariant& variant);
std::string EndFailedTitle(const ModuleVariant& variant);

}  // namespace krn
