// The system's own message texts, kept in one place so that the document,
// the rack checks, the commands and the GUI show exactly the same words.
// Numbers are those of the program's string table.
#pragma once

#include <string>
#include <string_view>

#include "config/module_variant.h"

namespace krn::msg {

// 151: a refusal when some occupied slot has no direction.
inline constexpr std::string_view kDirectionsMissing =
    "All I/O slots must have a defined direction (input or output).\n"
    "Edit your Rack properties to define the I/O direction for all I/O slots";

// 152: the configuration file's format error.
inline constexpr std::string_view kFileFormatError =
    "There is an error in processing the selected file";

// 164: the question before the module's configuration is cleared.
std::string ClearModuleQuestion(const ModuleVariant& variant);

// 165: a refusal when some occupied slot has no ControlLogix address.
std::string AddressesMissing(const ModuleVariant& variant);

// 202: a refusal to download the empty configuration.
inline constexpr std::string_view kConfigurationEmpty =
    "The configuration is empty. \nDefine a configuration before downloading to KRN-735 Module.";

// 203 and 204: a heard card file out of range or overlapping; the argument is
// the card file's bit address (byte address x 8).
std::string CardFileOverflows(int bitAddress);
std::string CardFileOverlaps(int bitAddress);

// 205: the question before ControlLogix addresses are cleared.
inline constexpr std::string_view kClearAddressesQuestion =
    "This operation will clear all the current ControlLogix address information.";

// A heard record that cannot become a configuration.
std::string HeardTooManyRacks(unsigned rackCount);
inline constexpr std::string_view kHeardNoRacks =
    "The module heard no card files on the serial network, so there is nothing to configure.\n"
    "Check the serial network and start the auto configuration again.";
inline constexpr std::string_view kHeardIncomplete =
    "The heard configuration is not complete: the module had not finished its auto-scan.\n"
    "Read the heard configuration again once the scan has completed.";

// A text longer than its field allows ("%1" is the limit).
std::string TooManyCharacters(int limit);

// The question before a modified configuration is replaced ("%1" is its title).
std::string SaveChangesQuestion(const std::string& title);

// File-error texts; "%1" stands for the file's path.
inline constexpr std::string_view kFileNotFound = "%1 was not found.";
inline constexpr std::string_view kFileAccessDenied = "Access to %1 was denied.";
inline constexpr std::string_view kDiskFull = "Destination disk drive is full.";
inline constexpr std::string_view kFileBadPath = "%1 contains an invalid path.";
inline constexpr std::string_view kFileTooManyOpen =
    "%1 could not be opened because there are too many open files.";
inline constexpr std::string_view kFileHardIo =
    "A hardware I/O error was reported while accessing %1.";
inline constexpr std::string_view kFailedToOpenDocument = "Failed to open document.";
inline constexpr std::string_view kInvalidFilename = "Invalid filename.";
inline constexpr std::string_view kFailedToSaveDocument = "Failed to save document.";

}  // namespace krn::msg
