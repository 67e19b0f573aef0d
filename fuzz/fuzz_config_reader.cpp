// Any bytes as a configuration file: the reader stays inside the image, the
// chunked and in-memory readers agree, and what was read is written and read
// back unchanged.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "config/configfile.h"
#include "config/line_reader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace krn;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ModuleVariant& variant = size % 2 == 0 ? MonitorVariant() : ScannerVariant();

  ConfigImage image;
  const ReadResult result = ReadConfigFile(text, image, variant);
  Require(image.NumRacks <= static_cast<uint32_t>(kMaxRacks));
  Require(image.CheckPattern == variant.checkPattern && image.Checksum == 0);
  for (int r = static_cast<int>(image.NumRacks); r < kMaxRacks; ++r)
    Require(image.Racks[r] == RackRecord{});
  if (!result.headerFound) Require(result.formatError && image.CfgId == 0);

  std::istringstream in{std::string(text)};
  StreamLineReader chunks(in, 1 + (size > 0 ? data[0] % 13 : 0));
  ConfigImage chunked;
  const ReadResult chunkedResult = ReadConfigFile(chunks, chunked, variant);
  Require(chunked == image && chunkedResult.formatError == result.formatError);

  if (result.headerFound) {
    ConfigImage again;
    const ReadResult second = ReadConfigFile(ConfigFileText(image), again, variant);
    Require(!second.formatError && again == image);
  }
  return 0;
}
