// One client connection to the simulated bridge: cuts the received bytes
// into encapsulation messages and answers each one. A session is bound to
// the connection that registered it; nothing a client sends is trusted.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "link/enip/encapsulation.h"
#include "link/enip/frame_assembler.h"
#include "sim/sim_chassis.h"

namespace krn::sim {

struct SimOutput {
  enum class Kind { Send, Close };
  Kind kind = Kind::Send;
  std::vector<uint8_t> bytes;  // one whole reply message
};

class SimConnection {
 public:
  explicit SimConnection(SimChassis& chassis) : chassis_(chassis) {}

  // Takes received bytes and appends what to do: replies to send, each with
  // one write, and possibly a close (after which nothing more is handled).
  void Feed(std::span<const uint8_t> bytes, std::vector<SimOutput>& out);

  // An incomplete message is waiting for more bytes.
  bool MidMessage() const { return assembler_.HasPartial(); }
  bool closed() const { return closed_; }
  uint64_t messagesHandled() const { return handled_; }
  // The address the client reached, for the socket address of ListIdentity
  // (a chassis listening on every interface has no single one).
  void SetLocalAddress(uint32_t ipv4, uint16_t port) {
    localIpv4_ = ipv4;
    localPort_ = port;
  }

 private:
  void Handle(const std::vector<uint8_t>& frame, std::vector<SimOutput>& out);
  std::vector<uint8_t> Reply(const enip::EncapHeader& request, uint32_t status,
                             std::span<const uint8_t> data, uint32_t session) const;

  SimChassis& chassis_;
  enip::FrameAssembler assembler_;
  uint32_t session_ = 0;  // 0 until RegisterSession
  bool closed_ = false;
  uint64_t handled_ = 0;
  uint32_t localIpv4_ = 0;
  uint16_t localPort_ = 0;
};

}  // namespace krn::sim
