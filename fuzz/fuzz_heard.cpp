// Any bytes as a heard configuration record: decoding is exact, and a record
// is either refused with the configuration untouched or becomes racks that
// fit the serial I/O image without overlapping.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "config/heard_config.h"
#include "config/racks.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

class SilentUi : public krn::UserInterface {
 public:
  int messages = 0;
  krn::MsgResult Message(const std::string&, const std::string&, krn::MsgButtons,
                         krn::MsgIcon) override {
    ++messages;
    return krn::MsgResult::Cancel;
  }
  void BeginBusy() override {}
  void EndBusy() override {}
  std::optional<std::string> ChooseModulePath() override { return std::nullopt; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace krn;
  uint8_t bytes[kHeardConfigSize] = {};
  std::copy_n(data, std::min(size, kHeardConfigSize), bytes);
  const HeardConfig heard = DecodeHeardConfig(bytes);
  uint8_t again[kHeardConfigSize];
  EncodeHeardConfig(heard, again);
  Require(std::equal(bytes, bytes + kHeardConfigSize, again));

  const ModuleVariant& variant = size % 2 == 0 ? MonitorVariant() : ScannerVariant();
  ConfigImage image;
  ClearImage(image, variant);
  image.Options = 0x5A;
  const ConfigImage before = image;
  SilentUi ui;
  if (!BuildFromHeard(image, heard, variant, ui)) {
    Require(image == before);
    Require(ui.messages <= 1);
    return 0;
  }
  Require(ui.messages == 0);
  Require(image.NumRacks == heard.RackCount && image.NumRacks >= 1 && image.NumRacks <= 16);
  bool taken[256] = {};
  for (uint32_t r = 0; r < image.NumRacks; ++r) {
    const RackRecord& rack = image.Racks[r];
    Require(rack.ByteAddress + rack.DLen - 1 <= 254);
    for (int b = rack.ByteAddress; b < rack.ByteAddress + rack.DLen; ++b) {
      Require(!taken[b]);
      taken[b] = true;
    }
  }
  ConfigImage check = image;
  Require(UpdateCfgId(check) == image.CfgId);

  DeleteRack(image, size > 0 ? data[0] % 17 : 0);
  Require(image.NumRacks <= 16);
  for (int r = static_cast<int>(image.NumRacks); r < kMaxRacks; ++r)
    Require(image.Racks[r] == RackRecord{});
  (void)AllDirectionsDefined(image);
  (void)AllAddressesDefined(image);
  return 0;
}
