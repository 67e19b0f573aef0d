#include "link/modulelink.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "config/byte_order.h"
#include "config/image_layout.h"
#include "link/cipstatus.h"
#include "link/image_checksum.h"
#include "link/link_texts.h"

namespace krn {

namespace {

// Request paths: their length in 16-bit words, then the logical segments.
const std::vector<uint8_t> kIdentityPath = {0x02, 0x20, 0x01, 0x24, 0x01};
const std::vector<uint8_t> kModuleClassPath = {0x01, 0x20, 0xC6};
const std::vector<uint8_t> kHeardConfigPath = {0x03, 0x20, 0xC6, 0x24, 0x01, 0x30, 0x02};

constexpr std::size_t kIdentityReplyCapacity = 504;
constexpr std::size_t kCommandReplyCapacity = 510;
constexpr std::size_t kWriteReplyCapacity = 480;
constexpr std::size_t kMaxRouteSize = 255;

// Identity object's attribute list, as Get_Attributes_All returns it.
constexpr std::size_t kIdentityVendorId = 0;
constexpr std::size_t kIdentityProductCode = 4;
constexpr std::size_t kIdentityProductName = 15;  // after the length byte at 14
constexpr std::size_t kProductNameCompared = 14;

std::string Printf(const char* format, auto... args) {
  char buffer[160];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, n > 0 ? std::min(static_cast<std::size_t>(n), sizeof buffer - 1) : 0);
}

}  // namespace

void SleepMilliseconds(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool StatusSucceeded(uint32_t status) {
  return status == 0 || (status >= 0x400 && status <= 0x7FF && (status & 0xFF) == 0);
}

ModuleLink::ModuleLink(Dtl& dtl, const ModuleVariant& variant, UserInterface& ui,
                       SleepFunction sleep)
    : dtl_(dtl), variant_(variant), ui_(ui), sleep_(std::move(sleep)) {}

ModuleLink::~ModuleLink() {
  Release();
}

std::string ModuleLink::StatusText(const DtlReply& reply) {
  if (reply.status >= 0x401 && reply.status <= 0x4FF)
    return CipStatusText(reply.status, reply.extended);
  std::string text = dtl_.ErrorText(reply.status);
  if (text.empty()) text = Printf("Module request failed with error code 0x%X", reply.status);
  return text;
}

ModuleLink::Reply ModuleLink::Send(uint8_t service, const std::vector<uint8_t>& path,
                                   const uint8_t* data, std::size_t dataSize, uint8_t* reply,
                                   std::size_t replyCapacity, uint32_t timeoutMs) {
  Reply r{
      dtl_.CipMessageSend(target_, service, path, data, dataSize, reply, replyCapacity, timeoutMs),
      LinkResult::Success()};
  if (!StatusSucceeded(r.dtl.status)) r.result = LinkResult::Failure(StatusText(r.dtl));
  return r;
}

LinkResult ModuleLink::SendCommand(uint8_t service, uint32_t timeoutMs) {
  std::array<uint8_t, kCommandReplyCapacity> reply{};
  return Send(service, kModuleClassPath, nullptr, 0, reply.data(), reply.size(), timeoutMs).result;
}

LinkResult ModuleLink::StartEdits() {
  return SendCommand(kServiceStartEdits, kRequestTimeoutMs);
}
LinkResult ModuleLink::StartAutoScan() {
  return SendCommand(kServiceStartAutoScan, kRequestTimeoutMs);
}
LinkResult ModuleLink::ClearConfig() {
  return SendCommand(kServiceClearConfig, kRequestTimeoutMs);
}
LinkResult ModuleLink::EndConfig() {
  return SendCommand(kServiceEndConfig, kEndConfigTimeoutMs);
}

// --- Opening and closing -------------------------------------------------

bool ModuleLink::EnsureOpen() {
  if (isOpen_) return true;

  // The path is chosen before the wait cursor shows, so the path dialog
  // gets the ordinary cursor.
  const std::optional<std::string> path = ui_.ChooseModulePath();
  BusyScope busy(ui_);
  const LinkResult opened =
      path ? OpenChosenPath(*path) : LinkResult::Failure(std::string(kOperationCanceled));
  if (!opened.Ok()) {
    busy.End();
    ui_.Message(opened.Error(), {}, MsgButtons::Ok, MsgIcon::Stop);
    // Nothing of a failed opening stays behind: the next try starts afresh.
    Release();
    routeText_.clear();
    driverName_.clear();
    return false;
  }
  pathChosen_ = true;
  isOpen_ = true;
  return true;
}

LinkResult ModuleLink::OpenChosenPath(const std::string& pathText) {
  DtlTarget target;
  if (!dtl_.CreateTargetFromPath(pathText, target))
    return LinkResult::Failure("RSLinx Path '" + pathText +
                               "' names no module; expected DRIVER\\ADDRESS\\Backplane\\SLOT");
  if (target.route.size() > kMaxRouteSize)
    return LinkResult::Failure(Printf("The route of RSLinx Path '%s' is too long (%zu bytes)",
                                      pathText.c_str(), target.route.size()));
  driverName_ = target.driverName;
  routeText_ = pathText;
  target_ = DtlTargetRecord{};
  target_.route = std::move(target.route);

  uint32_t code = dtl_.StartLibrary();
  if (code != 0) return LinkResult::Failure(StatusText({code, 0, 0}));
  libraryStarted_ = true;

  driverList_.clear();
  code = dtl_.DriverList(driverList_, kRequestTimeoutMs);
  if (code != 0) return LinkResult::Failure(StatusText({code, 0, 0}));
  if (driverList_.size() > kDtlMaxDrivers) driverList_.resize(kDtlMaxDrivers);

  const auto found = std::find(driverList_.begin(), driverList_.end(), driverName_);
  if (found == driverList_.end()) return LinkResult::Failure(std::string(kDriverNotFound));
  const auto position = static_cast<uint32_t>(found - driverList_.begin());

  code = dtl_.OpenDriver(position, driverName_, kRequestTimeoutMs);
  if (code != 0) return LinkResult::Failure(StatusText({code, 0, 0}));
  driverIndex_ = position;
  target_.driverId = position;
  driverOpen_ = true;

  if (identityPending_) return CheckIdentity();
  return LinkResult::Success();
}

void ModuleLink::Release() {
  if (driverOpen_) {
    const uint32_t code = dtl_.CloseDriver(driverIndex_, kRequestTimeoutMs);
    driverOpen_ = false;
    if (code != 0) ui_.Message(StatusText({code, 0, 0}), {}, MsgButtons::Ok, MsgIcon::Stop);
  }
  if (libraryStarted_) {
    dtl_.StopLibrary();
    libraryStarted_ = false;
  }
}

void ModuleLink::Close() {
  if (isOpen_) Release();
  isOpen_ = false;
  pathChosen_ = false;
  // Every path chosen after this one is a new device: check it too.
  identityPending_ = true;
  routeText_.clear();
  driverName_.clear();
}

int16_t ModuleLink::ModuleSlot() {
  if (!EnsureOpen()) return -1;
  // The whole trailing number: chassis have slots up to 16.
  std::size_t start = routeText_.size();
  while (start > 0 && routeText_[start - 1] >= '0' && routeText_[start - 1] <= '9') --start;
  const std::size_t digits = routeText_.size() - start;
  int slot = 0;
  for (std::size_t i = start; i < routeText_.size() && slot <= 0x7FFF; ++i)
    slot = slot * 10 + (routeText_[i] - '0');
  if (digits == 0 || slot > 0x7FFF) {
    ui_.Message("RSLinx Path '" + routeText_ +
                    "' does not end in a chassis slot number; choose the module itself in the "
                    "path dialog",
                {}, MsgButtons::Ok, MsgIcon::Stop);
    return -1;
  }
  return static_cast<int16_t>(slot);
}

// --- Identity ------------------------------------------------------------

LinkResult ModuleLink::JudgeIdentity(const uint8_t* reply) {
  const uint16_t vendor = GetLe16(reply + kIdentityVendorId);
  const uint16_t product = GetLe16(reply + kIdentityProductCode);
  if (vendor != variant_.vendorId || product != variant_.productCode)
    return LinkResult::Failure(ModuleNotFoundText(variant_, routeText_));
  // Only the first 14 characters count; the length byte plays no part.
  const std::string_view name(reinterpret_cast<const char*>(reply + kIdentityProductName),
                              kProductNameCompared);
  if (name != std::string_view(variant_.productName).substr(0, kProductNameCompared))
    return LinkResult::Failure(WrongModeText(variant_));
  identityPending_ = false;
  return LinkResult::Success();
}

LinkResult ModuleLink::CheckIdentity() {
  constexpr int kAttempts = 2;
  LinkResult last = LinkResult::Success();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    // Zero-filled, so a short reply reads as no match rather than stale bytes.
    std::array<uint8_t, kIdentityReplyCapacity> reply{};
    const Reply r = Send(kServiceGetAttributesAll, kIdentityPath, nullptr, 0, reply.data(),
                         reply.size(), kRequestTimeoutMs);
    if (r.result.Ok()) return JudgeIdentity(reply.data());
    last = r.result;
    sleep_(kIdentityRetryWaitMs);
  }
  return last;
}

// --- Configuration image -------------------------------------------------

void ModuleLink::ReportProgress(const char* text, int done) {
  ProgressStep step;
  step.text = text;
  step.done = done;
  step.total = kConfigChunkCount;
  ui_.Progress(step);
}

LinkResult ModuleLink::ReadConfig(ConfigImage& image) {
  ImageBytes bytes{};
  LinkResult result = LinkResult::Success();
  std::size_t offset = 0;
  int chunk = 0;
  while (offset < kImageSize && result.Ok()) {
    const std::size_t length = std::min(kConfigChunkSize, kImageSize - offset);
    std::array<uint8_t, 8> request{};
    PutLe32(request.data(), static_cast<uint32_t>(offset));
    PutLe32(request.data() + 4, static_cast<uint32_t>(length));
    const Reply r = Send(kServiceReadChunk, kModuleClassPath, request.data(), request.size(),
                         bytes.data() + offset, length, kRequestTimeoutMs);
    if (!r.result.Ok()) {
      result = r.result;
    } else if (r.dtl.size == 0 || r.dtl.size > length) {
      // An empty reply would never advance; a longer one does not fit the chunk.
      result = LinkResult::Failure(
          Printf("The module answered the read of configuration bytes %zu to %zu with %zu "
                 "bytes; the configuration was not read",
                 offset, offset + length - 1, r.dtl.size));
    } else {
      offset += r.dtl.size;
      ReportProgress("Reading configuration", ++chunk);
    }
  }
  ui_.EndProgress();

  if (result.Ok() && ImageWordSum(bytes.data()) != 0)
    result = LinkResult::Failure(variant_.checksumInvalidText);
  if (result.Ok()) {
    PutLe32(bytes.data() + layout::kChecksum, 0);
    if (GetLe32(bytes.data() + layout::kCheckPattern) != variant_.checkPattern)
      result = LinkResult::Failure(std::string(kCheckPatternNotFound));
  }
  image = result.Ok() ? DecodeImage(bytes.data()) : ConfigImage{};
  return result;
}

LinkResult ModuleLink::WriteConfig(ConfigImage& image) {
  image.CheckPattern = variant_.checkPattern;
  image.Checksum = 0;
  ImageBytes bytes = EncodeImage(image);
  SealImageChecksum(bytes.data());

  LinkResult result = LinkResult::Success();
  std::array<uint8_t, 4 + kConfigChunkSize> request{};
  std::array<uint8_t, kWriteReplyCapacity> reply{};
  int chunk = 0;
  for (std::size_t offset = 0; offset < kImageSize && result.Ok(); offset += kConfigChunkSize) {
    const std::size_t length = std::min(kConfigChunkSize, kImageSize - offset);
    PutLe32(request.data(), static_cast<uint32_t>(offset));
    std::copy_n(bytes.data() + offset, length, request.data() + 4);
    result = Send(kServiceWriteChunk, kModuleClassPath, request.data(), 4 + length, reply.data(),
                  reply.size(), kRequestTimeoutMs)
                 .result;
    if (result.Ok()) ReportProgress("Writing configuration", ++chunk);
  }
  ui_.EndProgress();
  return result;
}

LinkResult ModuleLink::ReadHeardConfig(HeardConfig& heard) {
  std::array<uint8_t, kHeardConfigSize> bytes{};
  const Reply r = Send(kServiceGetAttributeSingle, kHeardConfigPath, nullptr, 0, bytes.data(),
                       bytes.size(), kRequestTimeoutMs);
  heard = DecodeHeardConfig(bytes.data());
  return r.result;
}

}  // namespace krn
