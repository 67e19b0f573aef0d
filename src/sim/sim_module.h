// A simulated KRN-735 module in a chassis slot: its Identity object (vendor
// 1733, the variant's product code and name) and the configuration object,
// class 0xC6:
//   0x32 start edits      the edit buffer starts as a copy of FLASH
//   0x33 abandon edits    FLASH unchanged
//   0x34 start auto-scan  the heard record completes after K heard reads
//   0x35 clear            FLASH (and an edit buffer) become all zero
//   0x36 end edits        the edit buffer reaches FLASH only when its 1706
//                         words add up to 0 and it holds the check pattern
//   0x37 write chunk      offset (32 bits), then 1 to 256 bytes
//   0x38 read chunk       offset, length 1 to 256; FLASH bytes
//   0x0E on instance 1, attribute 2: the 228-byte heard record
// Errors are CIP statuses: 0x0C outside an edit, 0x09 with the byte offset
// of the faulty field (6820 for a wrong checksum, 12 for a wrong check
// pattern, 0 or 4 for a chunk outside the image), 0x13/0x15 for request data
// that is too short or too long, 0x10 when FLASH cannot be stored.
#pragma once

#include <cstdint>
#include <string>

#include "config/image.h"
#include "config/module_variant.h"
#include "sim/fault_plan.h"
#include "sim/heard_network.h"
#include "sim/sim_target.h"

namespace krn::sim {

inline constexpr uint16_t kClassConfig = 0xC6;

enum ConfigService : uint8_t {
  kSvcStartEdits = 0x32,
  kSvcAbandonEdits = 0x33,
  kSvcStartAutoScan = 0x34,
  kSvcClear = 0x35,
  kSvcEndEdits = 0x36,
  kSvcWriteChunk = 0x37,
  kSvcReadChunk = 0x38,
};

inline constexpr std::size_t kMaxChunk = 256;

struct ModuleSettings {
  ModuleKind kind = ModuleKind::Monitor;
  uint16_t productCode = 0;  // 0: the variant's
  std::string productName;   // empty: the variant's
  uint32_t serialNumber = 0x00735000;
  HeardBytes heard{};      // the record once the scan is complete
  uint32_t scanPolls = 3;  // heard reads until complete; 0: never
  std::string flashPath;   // empty: FLASH lives in memory only
};

class SimModule : public SimTarget {
 public:
  explicit SimModule(const ModuleSettings& settings);

  // Reads FLASH from the settings' file when it exists. False with a message
  // when the file cannot be read or has the wrong size.
  bool LoadFlash(std::string& error);

  CipOutcome Request(const enip::MrRequest& request) override;

  FaultPlan& faults() { return faults_; }
  const enip::IdentityInfo& identity() const { return identity_; }
  const ImageBytes& flash() const { return flash_; }
  void SetFlash(const ImageBytes& image) { flash_ = image; }
  // An error while storing FLASH in its file; empty when none.
  const std::string& storeError() const { return storeError_; }

 private:
  CipOutcome Serve(const enip::MrRequest& request);
  CipOutcome ConfigRequest(uint8_t service, const enip::LogicalPath& path,
                           std::span<const uint8_t> data);
  CipOutcome HeardRead();
  CipOutcome EndEdits();
  CipOutcome WriteChunk(std::span<const uint8_t> data);
  CipOutcome ReadChunk(std::span<const uint8_t> data);
  bool StoreFlash();  // false (and storeError) when the file cannot be written

  enum class Scan { Idle, Running, Complete };

  const ModuleVariant& variant_;
  ModuleSettings settings_;
  enip::IdentityInfo identity_;
  FaultPlan faults_;
  ImageBytes flash_{};
  ImageBytes edit_{};
  bool editing_ = false;
  Scan scan_ = Scan::Idle;
  uint32_t heardReads_ = 0;
  std::string storeError_;
};

}  // namespace krn::sim
