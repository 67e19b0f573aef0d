#include "sim/sim_module.h"

#include <filesystem>
#include <fstream>

#include "config/byte_order.h"
#include "config/image_layout.h"
#include "link/image_checksum.h"

namespace krn::sim {

using namespace krn::enip;

namespace {

const ModuleVariant& VariantOf(ModuleKind kind) {
  return kind == ModuleKind::Monitor ? MonitorVariant() : ScannerVariant();
}

}  // namespace

SimModule::SimModule(const ModuleSettings& settings)
    : variant_(VariantOf(settings.kind)), settings_(settings) {
  identity_.vendorId = variant_.vendorId;
  identity_.productCode = settings.productCode != 0 ? settings.productCode : variant_.productCode;
  identity_.productName =
      settings.productName.empty() ? variant_.productName : settings.productName;
  identity_.serialNumber = settings.serialNumber;
}

bool SimModule::LoadFlash(std::string& error) {
  if (settings_.flashPath.empty()) return true;
  std::error_code ec;
  if (!std::filesystem::exists(settings_.flashPath, ec)) return true;
  std::ifstream in(settings_.flashPath, std::ios::binary);
  ImageBytes image{};
  in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
  const bool whole = in.gcount() == static_cast<std::streamsize>(image.size());
  in.get();
  if (!whole || !in.eof()) {
    error = "FLASH file " + settings_.flashPath + " is not a " + std::to_string(kImageSize) +
            "-byte configuration image";
    return false;
  }
  flash_ = image;
  return true;
}

bool SimModule::StoreFlash() {
  if (settings_.flashPath.empty()) return true;
  // Written beside the file and renamed over it, so a stop halfway never
  // leaves a damaged FLASH file behind.
  const std::string temp = settings_.flashPath + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(flash_.data()),
              static_cast<std::streamsize>(flash_.size()));
    out.flush();
    if (!out) {
      storeError_ = "cannot write " + temp;
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, settings_.flashPath, ec);
  storeError_ = ec ? "cannot replace " + settings_.flashPath + ": " + ec.message() : "";
  return !ec;
}

CipOutcome SimModule::Request(const MrRequest& request) {
  if (auto fault = faults_.Next(request.service)) {
    switch (fault->kind) {
      case FaultKind::Silent: return {CipOutcome::Kind::Silent, 0, {}, {}};
      case FaultKind::Drop: return {CipOutcome::Kind::Drop, 0, {}, {}};
      case FaultKind::Fail: {
        std::vector<uint16_t> extended;
        if (fault->extended) extended.push_back(*fault->extended);
        return CipOutcome::Error(fault->general, std::move(extended));
      }
    }
  }
  return Serve(request);
}

CipOutcome SimModule::Serve(const MrRequest& request) {
  LogicalPath path;
  CipOutcome error;
  if (!DecodeTargetPath(request.path, path, error)) return error;
  if (path.classId == 1) return IdentityRequest(identity_, request.service, path);
  if (path.classId == kClassConfig) return ConfigRequest(request.service, path, request.data);
  return CipOutcome::Error(kCipPathDestinationUnknown);
}

CipOutcome SimModule::ConfigRequest(uint8_t service, const LogicalPath& path,
                                    std::span<const uint8_t> data) {
  if (service == kSvcGetAttributeSingle) {
    if (path.instance.value_or(0) != 1 || !path.attribute) {
      return CipOutcome::Error(kCipPathDestinationUnknown);
    }
    if (*path.attribute != 2) return CipOutcome::Error(kCipAttributeNotSupported);
    return HeardRead();
  }
  // The configuration services address the class; instance 1 is taken as
  // the same object.
  if (path.attribute || path.instance.value_or(1) != 1) {
    return CipOutcome::Error(kCipPathDestinationUnknown);
  }
  const bool takesData = service == kSvcWriteChunk || service == kSvcReadChunk;
  if (!takesData && service >= kSvcStartEdits && service <= kSvcEndEdits && !data.empty()) {
    return CipOutcome::Error(kCipTooMuchData);
  }
  switch (service) {
    case kSvcStartEdits:
      edit_ = flash_;
      editing_ = true;
      return CipOutcome::Ok();
    case kSvcAbandonEdits: editing_ = false; return CipOutcome::Ok();
    case kSvcStartAutoScan:
      editing_ = false;
      scan_ = Scan::Running;
      heardReads_ = 0;
      return CipOutcome::Ok();
    case kSvcClear:
      flash_.fill(0);
      edit_.fill(0);
      return StoreFlash() ? CipOutcome::Ok() : CipOutcome::Error(kCipDeviceStateConflict);
    case kSvcEndEdits: return EndEdits();
    case kSvcWriteChunk: return WriteChunk(data);
    case kSvcReadChunk: return ReadChunk(data);
    default: return CipOutcome::Error(kCipServiceNotSupported);
  }
}

CipOutcome SimModule::HeardRead() {
  if (scan_ == Scan::Running) {
    ++heardReads_;
    if (settings_.scanPolls != 0 && heardReads_ >= settings_.scanPolls) scan_ = Scan::Complete;
  }
  HeardBytes record{};
  if (scan_ == Scan::Complete) {
    record = settings_.heard;
    record[0] = static_cast<uint8_t>(record[0] | 1);
  }
  return CipOutcome::Ok(std::vector<uint8_t>(record.begin(), record.end()));
}

CipOutcome SimModule::EndEdits() {
  if (!editing_) return CipOutcome::Error(kCipObjectStateConflict);
  editing_ = false;
  if (ImageWordSum(edit_.data()) != 0) {
    return CipOutcome::Error(kCipInvalidAttributeValue, {uint16_t{layout::kChecksum}});
  }
  if (GetLe32(edit_.data() + layout::kCheckPattern) != variant_.checkPattern) {
    return CipOutcome::Error(kCipInvalidAttributeValue, {uint16_t{layout::kCheckPattern}});
  }
  flash_ = edit_;
  return StoreFlash() ? CipOutcome::Ok() : CipOutcome::Error(kCipDeviceStateConflict);
}

CipOutcome SimModule::WriteChunk(std::span<const uint8_t> data) {
  if (!editing_) return CipOutcome::Error(kCipObjectStateConflict);
  if (data.size() < 5) return CipOutcome::Error(kCipNotEnoughData);
  if (data.size() > 4 + kMaxChunk) return CipOutcome::Error(kCipTooMuchData);
  const uint64_t offset = GetLe32(data.data());
  const std::size_t size = data.size() - 4;
  if (offset + size > kImageSize) return CipOutcome::Error(kCipInvalidAttributeValue, {0});
  std::copy(data.begin() + 4, data.end(), edit_.begin() + static_cast<std::ptrdiff_t>(offset));
  return CipOutcome::Ok();
}

CipOutcome SimModule::ReadChunk(std::span<const uint8_t> data) {
  if (data.size() < 8) return CipOutcome::Error(kCipNotEnoughData);
  if (data.size() > 8) return CipOutcome::Error(kCipTooMuchData);
  const uint64_t offset = GetLe32(data.data());
  const uint32_t size = GetLe32(data.data() + 4);
  if (size == 0 || size > kMaxChunk) return CipOutcome::Error(kCipInvalidAttributeValue, {4});
  if (offset + size > kImageSize) return CipOutcome::Error(kCipInvalidAttributeValue, {0});
  auto begin = flash_.begin() + static_cast<std::ptrdiff_t>(offset);
  return CipOutcome::Ok(std::vector<uint8_t>(begin, begin + size));
}

}  // namespace krn::sim
