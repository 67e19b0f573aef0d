// The configuration file: a readable text rendering of the ConfigImage, one
// header line and a block of 56 lines per rack. Both builds write and read
// the same format; the file never names the build.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "config/image.h"
#include "config/line_reader.h"
#include "config/module_variant.h"

namespace krn {

// Writes the header line and the blocks of the racks in use, every line
// ended with CR LF. Changes nothing in the image.
void WriteConfigFile(const ConfigImage& image, std::ostream& out);
void WriteConfigFile(const ConfigImage& image, std::string& out);  // replaces `out`
std::string ConfigFileText(const ConfigImage& image);

struct ReadResult {
  // The file ended while a marker was awaited, or its header named more than
  // 16 racks (or a negative count): the format error, string 152. The image
  // then holds what was read.
  bool formatError = false;
  bool headerFound = false;
};

// Fills `image` from a configuration file: the image is cleared first, so
// every field the file does not set is zero, and it takes the reading build's
// CheckPattern. The reader is forgiving: it looks for each block by its
// marker and skips what stands before it; a line that matches its pattern
// only in part stores the fields before the mismatch. Once the header was
// found the signature is recomputed from what was read.
ReadResult ReadConfigFile(LineReader& lines, ConfigImage& image, const ModuleVariant& variant);
ReadResult ReadConfigFile(std::string_view text, ConfigImage& image, const ModuleVariant& variant);
ReadResult ReadConfigFile(std::istream& in, ConfigImage& image, const ModuleVariant& variant);

}  // namespace krn
