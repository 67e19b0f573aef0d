#include "link/chassis_browse.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <span>

#include "link/enip/encapsulation.h"
#include "link/enip/identity.h"
#include "link/enip/tcp_channel.h"
#include "sim/embedded_chassis.h"

namespace krn {

namespace {

constexpr const char* kSimDriver = "SIM";
constexpr uint8_t kGetAttributesAll = 0x01;
// Identity object, class 1, instance 1: word count, then the segments.
const std::vector<uint8_t> kIdentityPath = {0x02, 0x20, 0x01, 0x24, 0x01};
constexpr std::size_t kIdentityReplyCapacity = 504;

BrowsedIdentity FromInfo(const enip::IdentityInfo& info) {
  return {info.vendorId, info.productCode, info.productName};
}

// "host" or "host:port" (the EtherNet/IP port when none is given).
void SplitHostPort(const std::string& address, std::string& host, uint16_t& port) {
  host = address;
  port = enip::kDefaultTcpPort;
  const auto colon = address.rfind(':');
  if (colon == std::string::npos || address.find(':') != colon) return;
  unsigned value = 0;
  const char* first = address.data() + colon + 1;
  const char* last = address.data() + address.size();
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || value == 0 || value > 65535) return;
  host = address.substr(0, colon);
  port = static_cast<uint16_t>(value);
}

std::string ChannelFailureText(const enip::ChannelResult& r, const std::string& address,
                               uint32_t timeoutMs) {
  switch (r.status) {
    case enip::ChannelStatus::Ok: return {};
    case enip::ChannelStatus::NoDevice: return "No device found at " + address;
    case enip::ChannelStatus::Refused:
      return "The device at " + address + " refused the connection";
    case enip::ChannelStatus::Timeout:
      return "No answer from " + address + " within " + std::to_string(timeoutMs) + " ms";
    case enip::ChannelStatus::Lost: return "The device at " + address + " closed the connection";
    case enip::ChannelStatus::Error: break;
  }
  return "Network error with " + address + (r.detail.empty() ? "" : ": " + r.detail);
}

}  // namespace

std::string DevicePathText(const std::string& driver, const std::string& address) {
  return driver + "\\" + address;
}

std::string ModulePathText(const std::string& driver, const std::string& address, int slot) {
  return DevicePathText(driver, address) + "\\Backplane\\" + std::to_string(slot);
}

ChassisBrowser::ChassisBrowser(std::unique_ptr<Dtl> dtl) : dtl_(std::move(dtl)) {}

ChassisBrowser::~ChassisBrowser() {
  for (const auto& [name, id] : openDrivers_) dtl_->CloseDriver(id, kBrowseTimeoutMs);
  if (started_) dtl_->StopLibrary();
}

std::vector<std::string> ChassisBrowser::Drivers() {
  std::vector<std::string> names;
  if (!started_ && dtl_->StartLibrary() == 0) started_ = true;
  if (started_) dtl_->DriverList(names, kBrowseTimeoutMs);
  if (names.size() > kDtlMaxDrivers) names.resize(kDtlMaxDrivers);
  return names;
}

bool ChassisBrowser::IsDeviceAddress(const std::string& driver, const std::string& address) {
  if (address.empty() || address.find('\\') != std::string::npos) return false;
  DtlTarget target;
  return dtl_->CreateTargetFromPath(DevicePathText(driver, address), target);
}

bool ChassisBrowser::CreateTarget(const std::string& pathText, DtlTarget& target) {
  return dtl_->CreateTargetFromPath(pathText, target);
}

bool ChassisBrowser::OpenDriver(const std::string& driver, uint32_t& driverId, std::string& error) {
  if (const auto it = openDrivers_.find(driver); it != openDrivers_.end()) {
    driverId = it->second;
    return true;
  }
  const std::vector<std::string> names = Drivers();
  const auto found = std::find(names.begin(), names.end(), driver);
  if (found == names.end()) {
    error = "No driver " + driver;
    return false;
  }
  driverId = static_cast<uint32_t>(found - names.begin());
  if (const uint32_t code = dtl_->OpenDriver(driverId, driver, kBrowseTimeoutMs); code != 0) {
    error = dtl_->ErrorText(code);
    return false;
  }
  openDrivers_[driver] = driverId;
  return true;
}

DeviceAnswer ChassisBrowser::Identify(const std::string& driver, const std::string& address,
                                      uint32_t timeoutMs) {
  DeviceAnswer answer;
  if (!IsDeviceAddress(driver, address)) {
    answer.error = "\"" + address + "\" is not a device address";
    return answer;
  }
  std::unique_ptr<enip::Channel> channel;
  if (driver == kSimDriver) {
    channel = std::make_unique<sim::InProcessChannel>(sim::EmbeddedChassis());
  } else {
    std::string host;
    uint16_t port = 0;
    SplitHostPort(address, host, port);
    channel = std::make_unique<enip::TcpChannel>(host, port);
  }

  // ListIdentity needs no session: one request, one reply.
  const auto deadline = enip::Clock::now() + std::chrono::milliseconds(timeoutMs);
  enip::ChannelResult r = channel->Connect(deadline);
  if (r.ok()) {
    enip::EncapHeader request;
    request.command = enip::kCmdListIdentity;
    r = channel->Send(enip::EncodeEncap(request, {}), deadline);
  }
  std::vector<uint8_t> message;
  if (r.ok()) r = channel->Receive(message, deadline);
  channel->Close();
  if (!r.ok()) {
    answer.error = ChannelFailureText(r, address, timeoutMs);
    return answer;
  }

  const auto header = enip::DecodeEncapHeader(message);
  if (!header || header->command != enip::kCmdListIdentity ||
      message.size() != enip::kEncapHeaderSize + header->length) {
    answer.error = "The device at " + address + " sent a malformed ListIdentity reply";
    return answer;
  }
  if (header->status != enip::kEncapSuccess) {
    answer.error = "The device at " + address +
                   " rejected ListIdentity: " + enip::EncapStatusText(header->status);
    return answer;
  }
  const auto identity = enip::DecodeListIdentityReply(
      std::span<const uint8_t>(message).subspan(enip::kEncapHeaderSize));
  if (!identity) {
    answer.error = "The device at " + address + " sent no identity in its ListIdentity reply";
    return answer;
  }
  answer.answered = true;
  answer.identity = FromInfo(*identity);
  return answer;
}

BackplaneAnswer ChassisBrowser::ProbeBackplane(const std::string& driver,
                                               const std::string& address, uint32_t timeoutMs) {
  BackplaneAnswer answer;
  uint32_t driverId = 0;
  if (!OpenDriver(driver, driverId, answer.error)) return answer;

  for (int slot = 0; slot <= kBrowseLastSlot; ++slot) {
    DtlTarget target;
    if (!dtl_->CreateTargetFromPath(ModulePathText(driver, address, slot), target)) {
      answer.error = "\"" + address + "\" is not a device address";
      return answer;
    }
    DtlTargetRecord record;
    record.driverId = driverId;
    record.route = std::move(target.route);
    std::array<uint8_t, kIdentityReplyCapacity> reply{};
    const DtlReply r = dtl_->CipMessageSend(record, kGetAttributesAll, kIdentityPath, nullptr, 0,
                                            reply.data(), reply.size(), timeoutMs);
    if (r.status == 0) {
      const auto info = enip::DecodeIdentityAttributes(std::span(reply.data(), r.size));
      if (info) answer.modules.push_back({slot, FromInfo(*info)});
    } else if (r.status < 0x400 || r.status > 0x7FF) {
      // Not a CIP answer: the device itself stopped answering.
      answer.error = dtl_->ErrorText(r.status);
      return answer;
    }
    // A CIP error is the bridge's word for an empty slot.
  }
  return answer;
}

}  // namespace krn
