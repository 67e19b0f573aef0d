// The one connection to the module: the path the user chose, the opening and
// closing of its driver, the identity check, and every request the
// configurator sends. Requests are synchronous and return success or the
// error text for the caller to show; the link shows message boxes itself
// only while opening and closing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/heard_config.h"
#include "config/image.h"
#include "config/module_variant.h"
#include "config/user_interface.h"
#include "link/dtl.h"
#include "link/link_result.h"

namespace krn {

inline constexpr uint32_t kRequestTimeoutMs = 5000;
inline constexpr uint32_t kEndConfigTimeoutMs = 20000;  // the module writes its FLASH
inline constexpr int kIdentityRetryWaitMs = 1000;
inline constexpr std::size_t kConfigChunkSize = 256;
inline constexpr int kConfigChunkCount =
    static_cast<int>((kImageSize + kConfigChunkSize - 1) / kConfigChunkSize);

// Vendor-specific services of the module's class 0xC6.
enum ModuleService : uint8_t {
  kServiceGetAttributesAll = 0x01,
  kServiceGetAttributeSingle = 0x0E,
  kServiceStartEdits = 0x32,
  kServiceStartAutoScan = 0x34,
  kServiceClearConfig = 0x35,
  kServiceEndConfig = 0x36,
  kServiceWriteChunk = 0x37,
  kServiceReadChunk = 0x38,
};

// A status word means success when it is 0 or 0x400..0x7FF with a low byte
// of 0.
bool StatusSucceeded(uint32_t status);

class ModuleLink {
 public:
  ModuleLink(Dtl& dtl, const ModuleVariant& variant, UserInterface& ui,
             SleepFunction sleep = SleepMilliseconds);
  ~ModuleLink();
  ModuleLink(const ModuleLink&) = delete;
  ModuleLink& operator=(const ModuleLink&) = delete;

  // True when the link is open, opening it first if needed (path choice,
  // library, driver, identity check). On false the reason was shown.
  bool EnsureOpen();
  // Closes the driver, stops the library and forgets the path; the next
  // opening asks for a path again and checks the identity of its device.
  void Close();
  // The module's chassis slot from the route text, or -1 when the link
  // could not be opened or the route text ends in no slot number.
  int16_t ModuleSlot();

  LinkResult CheckIdentity();
  LinkResult StartEdits();
  LinkResult StartAutoScan();
  LinkResult ClearConfig();
  LinkResult EndConfig();
  // Fills `image` from the module; on failure `image` is all zeros.
  LinkResult ReadConfig(ConfigImage& image);
  // Sends `image` with its checksum word; afterwards `image` holds the
  // variant's CheckPattern and Checksum 0, whatever the outcome.
  LinkResult WriteConfig(ConfigImage& image);
  // Fills `heard` from the module; bytes the module did not send stay 0.
  LinkResult ReadHeardConfig(HeardConfig& heard);

  bool isOpen() const { return isOpen_; }
  bool pathChosen() const { return pathChosen_; }
  bool identityPending() const { return identityPending_; }
  const std::string& routeText() const { return routeText_; }
  const std::string& driverName() const { return driverName_; }
  uint32_t driverIndex() const { return driverIndex_; }

 private:
  struct Reply {
    DtlReply dtl;
    LinkResult result;
  };

  LinkResult OpenChosenPath(const std::string& pathText);
  void Release();
  Reply Send(uint8_t service, const std::vector<uint8_t>& path, const uint8_t* data,
             std::size_t dataSize, uint8_t* reply, std::size_t replyCapacity, uint32_t timeoutMs);
  LinkResult SendCommand(uint8_t service, uint32_t timeoutMs);
  std::string StatusText(const DtlReply& reply);
  LinkResult JudgeIdentity(const uint8_t* reply);
  void ReportProgress(const char* text, int done);

  Dtl& dtl_;
  const ModuleVariant& variant_;
  UserInterface& ui_;
  SleepFunction sleep_;

  bool identityPending_ = true;
  bool isOpen_ = false;
  bool pathChosen_ = false;
  bool libraryStarted_ = false;
  bool driverOpen_ = false;
  uint32_t driverIndex_ = 0;
  DtlTargetRecord target_;
  std::string routeText_;
  std::string driverName_;
  std::vector<std::string> driverList_;
};

}  // namespace krn
