#include "link/enip_dtl.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "link/enip/cip_message.h"
#include "link/enip/cip_path.h"
#include "link/enip/encapsulation.h"
#include "link/enip/link_codes.h"
#include "link/enip/tcp_channel.h"
#include "link/enip/unconnected_send.h"
#include "sim/embedded_chassis.h"

namespace krn {

using namespace krn::enip;

namespace {

constexpr uint32_t kDriverEnet = 0;
constexpr uint32_t kDriverSim = 1;
const char* const kDriverNames[] = {"ENET", "SIM"};
constexpr const char* kSimAddress = "local";
constexpr std::size_t kMaxRoute = 255;
// What one SendRRData can carry, less its items and an Unconnected_Send.
constexpr std::size_t kMaxRequest = 65000;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

bool ParseNumber(const std::string& text, unsigned max, unsigned& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return !text.empty() && ec == std::errc() && ptr == end && value <= max;
}

// "host" or "host:port"; false when the port is not a number 1 to 65535.
bool SplitAddress(const std::string& address, std::string& host, uint16_t& port) {
  host = address;
  port = kDefaultTcpPort;
  const auto colon = address.rfind(':');
  if (colon == std::string::npos || address.find(':') != colon) return !host.empty();
  unsigned value = 0;
  if (!ParseNumber(address.substr(colon + 1), 65535, value) || value == 0) return false;
  host = address.substr(0, colon);
  port = static_cast<uint16_t>(value);
  return !host.empty();
}

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
  return text;
}

std::string GenericText(uint32_t code) {
  switch (code) {
    case kLinkNotStarted: return "The EtherNet/IP library is not started";
    case kLinkUnknownDriver: return "No such driver; the drivers are ENET and SIM";
    case kLinkDriverNotOpen: return "The driver of this path is not open";
    case kLinkBadTarget: return "The path names no device this driver can reach";
    case kLinkBadRequestPath: return "Bad request path (its word count does not match)";
    case kLinkRequestTooLarge: return "The request is too large for one message";
    case kLinkNoDevice: return "No device found at the address of the path";
    case kLinkRefused: return "The device refused the connection";
    case kLinkTimeout: return "The device did not answer within the time-out";
    case kLinkConnectionLost: return "The device closed the connection";
    case kLinkNetworkError: return "Network error";
    case kLinkMalformedReply: return "The device sent a malformed reply";
    case kLinkRejected: return "The device rejected the request";
    case kLinkReplyTooLarge: return "The device sent more reply data than expected";
    default: break;
  }
  if (code >= 0x400 && code <= 0x4FF) {
    return "CIP error: general status " + Hex(code & 0xFF, 2);
  }
  return "Unknown status " + Hex(code, 4);
}

}  // namespace

EnipDtl::EnipDtl() = default;

EnipDtl::~EnipDtl() {
  StopLibrary();
}

uint32_t EnipDtl::Failure(uint32_t code, std::string text) {
  lastText_[code] = std::move(text);
  return code;
}

uint32_t EnipDtl::StartLibrary() {
  started_ = true;
  return 0;
}

void EnipDtl::StopLibrary() {
  for (uint32_t id = 0; id < 2; ++id) {
    if (open_[id]) CloseDriver(id, 1000);
  }
  started_ = false;
}

uint32_t EnipDtl::DriverList(std::vector<std::string>& names, uint32_t) {
  names.clear();
  if (!started_) return Failure(kLinkNotStarted, GenericText(kLinkNotStarted));
  names.assign(std::begin(kDriverNames), std::end(kDriverNames));
  return 0;
}

uint32_t EnipDtl::OpenDriver(uint32_t driverId, const std::string& name, uint32_t) {
  if (!started_) return Failure(kLinkNotStarted, GenericText(kLinkNotStarted));
  if (driverId >= 2 || name != kDriverNames[driverId]) {
    return Failure(kLinkUnknownDriver, "No driver \"" + name + "\" at position " +
                                           std::to_string(driverId) +
                                           "; the drivers are ENET and SIM");
  }
  open_[driverId] = true;
  return 0;
}

uint32_t EnipDtl::CloseDriver(uint32_t driverId, uint32_t timeoutMs) {
  if (driverId >= 2) return Failure(kLinkUnknownDriver, GenericText(kLinkUnknownDriver));
  if (!open_[driverId]) return Failure(kLinkDriverNotOpen, GenericText(kLinkDriverNotOpen));
  CloseSessions(driverId, timeoutMs);
  open_[driverId] = false;
  return 0;
}

void EnipDtl::CloseSessions(uint32_t driverId, uint32_t timeoutMs) {
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    if (it->first.first != driverId) {
      ++it;
      continue;
    }
    it->second->Close(timeoutMs);
    const SessionStats& s = it->second->stats();
    closedStats_.connects += s.connects;
    closedStats_.registrations += s.registrations;
    closedStats_.requests += s.requests;
    it = sessions_.erase(it);
  }
}

SessionStats EnipDtl::Stats() const {
  SessionStats total = closedStats_;
  for (const auto& [key, session] : sessions_) {
    total.connects += session->stats().connects;
    total.registrations += session->stats().registrations;
    total.requests += session->stats().requests;
  }
  return total;
}

std::string EnipDtl::ErrorText(uint32_t code) {
  if (code == 0) return "Success";
  auto it = lastText_.find(code);
  return it != lastText_.end() ? it->second : GenericText(code);
}

bool EnipDtl::CreateTargetFromPath(const std::string& pathText, DtlTarget& target) {
  target = DtlTarget{};
  const std::vector<std::string> parts = Split(pathText, '\\');
  if (parts.size() != 2 && parts.size() != 4) return false;
  const std::string& driver = parts[0];
  const std::string& address = parts[1];
  if (driver.empty() || address.empty() || address.size() > kMaxRoute) return false;
  std::string host;
  uint16_t port = 0;
  if (driver == kDriverNames[kDriverEnet] && !SplitAddress(address, host, port)) return false;

  std::vector<PortHop> hops = {PortHop::Address(kPortEthernet, address)};
  if (parts.size() == 4) {
    unsigned slot = 0;
    if (parts[2] != "Backplane" || !ParseNumber(parts[3], 255, slot)) return false;
    hops.push_back(PortHop::Slot(kPortBackplane, static_cast<uint8_t>(slot)));
  }
  std::vector<uint8_t> route = EncodeRoute(hops);
  if (route.size() > kMaxRoute) return false;
  target.driverName = driver;
  target.route = std::move(route);
  return true;
}

EnipSession* EnipDtl::SessionFor(uint32_t driverId, const std::string& device, uint32_t& code) {
  auto key = std::make_pair(driverId, device);
  auto it = sessions_.find(key);
  if (it != sessions_.end()) return it->second.get();
  std::unique_ptr<Channel> channel;
  std::string name;
  if (driverId == kDriverEnet) {
    std::string host;
    uint16_t port = 0;
    if (!SplitAddress(device, host, port)) {
      code = Failure(kLinkBadTarget, "\"" + device + "\" is not an address (host or host:port)");
      return nullptr;
    }
    channel = std::make_unique<TcpChannel>(host, port);
    name = host + ":" + std::to_string(port);
  } else if (driverId == kDriverSim) {
    if (device != kSimAddress) {
      code = Failure(kLinkNoDevice, "No simulated chassis at SIM\\" + device +
                                        "; the SIM driver has one, SIM\\local");
      return nullptr;
    }
    channel = std::make_unique<sim::InProcessChannel>(sim::EmbeddedChassis());
    name = "the simulated chassis SIM\\local";
  } else {
    code = Failure(kLinkUnknownDriver, GenericText(kLinkUnknownDriver));
    return nullptr;
  }
  auto session = std::make_unique<EnipSession>(std::move(channel), name);
  EnipSession* raw = session.get();
  sessions_.emplace(key, std::move(session));
  return raw;
}

DtlReply EnipDtl::CipMessageSend(const DtlTargetRecord& target, uint8_t service,
                                 const std::vector<uint8_t>& path, const uint8_t* data,
                                 std::size_t dataSize, uint8_t* reply, std::size_t replyCapacity,
                                 uint32_t timeoutMs) {
  DtlReply result;
  auto fail = [&](uint32_t code, std::string text) {
    result.status = Failure(code, text.empty() ? GenericText(code) : std::move(text));
    return result;
  };
  if (!started_) return fail(kLinkNotStarted, {});
  if (target.driverId >= 2 || !open_[target.driverId]) return fail(kLinkDriverNotOpen, {});
  auto hops = DecodeRoute(target.route);
  if (!hops || hops->empty() || hops->front().port != kPortEthernet) {
    return fail(kLinkBadTarget, "The route does not start with the device's address (port 2)");
  }
  if (path.empty() || std::size_t{path[0]} * 2 != path.size() - 1) {
    return fail(kLinkBadRequestPath, {});
  }
  if (dataSize > kMaxRequest || (dataSize > 0 && data == nullptr)) {
    return fail(kLinkRequestTooLarge, {});
  }

  const std::string device = hops->front().LinkText();
  const std::span<const uint8_t> segments(path.data() + 1, path.size() - 1);
  std::vector<uint8_t> request =
      EncodeMrRequest(service, segments, std::span<const uint8_t>(data, dataSize));
  const std::vector<PortHop> rest(hops->begin() + 1, hops->end());
  const bool routed = !rest.empty();
  if (routed) request = EncodeUnconnectedSend(timeoutMs, request, EncodeRoute(rest));

  uint32_t code = 0;
  EnipSession* session = SessionFor(target.driverId, device, code);
  if (session == nullptr) {
    result.status = code;  // its text is set
    return result;
  }
  std::vector<uint8_t> replyBytes;
  SessionResult sent = session->Request(request, replyBytes, timeoutMs);
  if (!sent.ok()) return fail(sent.code, sent.text);

  auto mr = DecodeMrReply(replyBytes);
  const uint8_t expected = static_cast<uint8_t>(service | kReplyFlag);
  const bool routerError = routed && mr && mr->service == kSvcUnconnectedSendReply;
  if (!mr) {
    return fail(kLinkMalformedReply,
                "Malformed reply from " + session->device() + ": truncated CIP reply");
  }
  if ((mr->service != expected && !routerError) ||
      (routerError && mr->generalStatus == kCipSuccess)) {
    return fail(kLinkMalformedReply, "Malformed reply from " + session->device() +
                                         ": not a reply to service " + Hex(service, 2));
  }
  const std::size_t copied = std::min(mr->data.size(), replyCapacity);
  if (mr->generalStatus == kCipSuccess && mr->data.size() > replyCapacity) {
    return fail(kLinkReplyTooLarge, "The reply from " + session->device() + " to service " +
                                        Hex(service, 2) + " carried " +
                                        std::to_string(mr->data.size()) + " bytes, more than the " +
                                        std::to_string(replyCapacity) + " expected");
  }
  if (copied > 0) std::copy_n(mr->data.begin(), copied, reply);
  result.size = copied;
  result.status = mr->generalStatus == kCipSuccess ? 0 : 0x400u + mr->generalStatus;
  result.extended = mr->extended.empty() ? 0 : mr->extended.front();
  return result;
}

}  // namespace krn
