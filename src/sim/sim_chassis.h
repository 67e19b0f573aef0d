// The simulated ControlLogix chassis: an EtherNet/IP bridge in slot 0 that
// routes Unconnected_Send requests over the backplane (port 1) to the
// modules in their slots. Empty slots answer as a real backplane does, with
// the router's routing error (general status 1, extended 0x0312).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "link/enip/identity.h"
#include "sim/sim_module.h"
#include "sim/sim_target.h"

namespace krn::sim {

inline constexpr int kChassisSlots = 17;  // 0 to 16

// A whole Message Router reply, or no answer, or a closed connection.
struct RouterOutcome {
  CipOutcome::Kind kind = CipOutcome::Kind::Reply;
  std::vector<uint8_t> message;
};

class SimChassis {
 public:
  SimChassis();

  // Puts a module into slot 1 to 16; false for another slot.
  bool Insert(int slot, std::unique_ptr<SimModule> module);
  SimModule* Module(int slot) const;

  enip::IdentityInfo& bridgeIdentity() { return bridge_; }

  // One Message Router request that reached the bridge over EtherNet/IP.
  RouterOutcome BridgeRequest(std::span<const uint8_t> message);

  // Session handles are unique across all connections.
  uint32_t NewSessionHandle() {
    ++sessionsRegistered_;
    return nextSession_++;
  }
  int sessionsRegistered() const { return sessionsRegistered_; }

 private:
  RouterOutcome Route(std::span<const uint8_t> data, int depth);
  RouterOutcome Deliver(SimTarget* target, std::span<const uint8_t> message, int depth);
  CipOutcome BridgeObjects(const enip::MrRequest& request);

  enip::IdentityInfo bridge_;
  std::array<std::unique_ptr<SimModule>, kChassisSlots> slots_;
  uint32_t nextSession_ = 0x4B524E01;
  int sessionsRegistered_ = 0;
};

}  // namespace krn::sim
