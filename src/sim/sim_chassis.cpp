#include "sim/sim_chassis.h"

#include "link/enip/cip_path.h"
#include "link/enip/unconnected_send.h"

namespace krn::sim {

using namespace krn::enip;

namespace {

constexpr int kMaxRouteDepth = 4;

RouterOutcome ReplyOf(uint8_t service, const CipOutcome& outcome) {
  if (outcome.kind != CipOutcome::Kind::Reply) return {outcome.kind, {}};
  return {CipOutcome::Kind::Reply,
          EncodeMrReply(service, outcome.general, outcome.extended, outcome.data)};
}

RouterOutcome RoutingError(uint16_t extended, std::size_t remainingWords) {
  return {CipOutcome::Kind::Reply, EncodeRoutingError(kCipConnectionFailure, extended,
                                                      static_cast<uint8_t>(remainingWords))};
}

}  // namespace

SimChassis::SimChassis() {
  bridge_.vendorId = 1733;
  bridge_.productCode = 1;
  bridge_.productName = "KRNSIM Ethernet Bridge";
  bridge_.serialNumber = 0x00735001;
}

bool SimChassis::Insert(int slot, std::unique_ptr<SimModule> module) {
  if (slot < 1 || slot >= kChassisSlots) return false;
  slots_[static_cast<std::size_t>(slot)] = std::move(module);
  return true;
}

SimModule* SimChassis::Module(int slot) const {
  if (slot < 1 || slot >= kChassisSlots) return nullptr;
  return slots_[static_cast<std::size_t>(slot)].get();
}

RouterOutcome SimChassis::BridgeRequest(std::span<const uint8_t> message) {
  return Deliver(nullptr, message, 0);
}

// Hands a request to a module, or (target null) to the bridge's own objects.
RouterOutcome SimChassis::Deliver(SimTarget* target, std::span<const uint8_t> message, int depth) {
  const uint8_t service = message.empty() ? 0 : static_cast<uint8_t>(message[0] & ~kReplyFlag);
  auto request = DecodeMrRequest(message);
  if (!request) {
    const bool isReply = !message.empty() && (message[0] & kReplyFlag) != 0;
    return ReplyOf(service,
                   CipOutcome::Error(isReply ? kCipServiceNotSupported : kCipPathSizeInvalid));
  }
  if (target != nullptr) return ReplyOf(service, target->Request(*request));

  LogicalPath path;
  CipOutcome error;
  if (!DecodeTargetPath(request->path, path, error)) return ReplyOf(service, error);
  if (path.classId == kClassConnectionManager && path.instance == 1 && !path.attribute &&
      service == kSvcUnconnectedSend) {
    return Route(request->data, depth);
  }
  return ReplyOf(service, BridgeObjects(*request));
}

CipOutcome SimChassis::BridgeObjects(const MrRequest& request) {
  LogicalPath path;
  CipOutcome error;
  if (!DecodeTargetPath(request.path, path, error)) return error;
  if (path.classId == 1) return IdentityRequest(bridge_, request.service, path);
  if (path.classId == kClassConnectionManager) return CipOutcome::Error(kCipServiceNotSupported);
  return CipOutcome::Error(kCipPathDestinationUnknown);
}

RouterOutcome SimChassis::Route(std::span<const uint8_t> data, int depth) {
  auto send = DecodeUnconnectedSend(data);
  if (!send) return RoutingError(kExtUnconnectedParameterError, 0);
  const std::size_t routeWords = send->route.size() / 2;
  auto hops = DecodeRoute(send->route);
  if (!hops || hops->empty()) return RoutingError(kExtInvalidSegment, routeWords);
  const PortHop& hop = hops->front();
  if (hop.port != kPortBackplane) return RoutingError(kExtPortNotAvailable, routeWords);
  if (!hop.IsSlot()) return RoutingError(kExtInvalidSegment, routeWords);
  const int slot = hop.link[0];
  const bool further = hops->size() > 1;
  if (slot == 0) {
    // The bridge's own slot: the request is for the bridge itself.
    if (further || depth >= kMaxRouteDepth)
      return RoutingError(kExtPortNotAvailable, routeWords - 1);
    return Deliver(nullptr, send->request, depth + 1);
  }
  SimModule* module = Module(slot);
  if (module == nullptr) return RoutingError(kExtLinkNotAvailable, routeWords);
  if (further) return RoutingError(kExtPortNotAvailable, routeWords - 1);
  return Deliver(module, send->request, depth + 1);
}

}  // namespace krn::sim
