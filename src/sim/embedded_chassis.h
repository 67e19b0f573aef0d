// The chassis behind the SIM driver, run in process: a monitor module in
// slot 3 and a scanner module in slot 4 that hear a small demonstration
// network, so every module command works without hardware. One chassis per
// program run, so a configuration downloaded to it can be uploaded again.
#pragma once

#include <memory>
#include <mutex>

#include "link/enip/channel.h"
#include "link/enip/frame_assembler.h"
#include "sim/sim_chassis.h"
#include "sim/sim_connection.h"

namespace krn::sim {

inline constexpr int kEmbeddedMonitorSlot = 3;
inline constexpr int kEmbeddedScannerSlot = 4;

struct SharedChassis {
  std::mutex mutex;
  SimChassis chassis;
};

SharedChassis& EmbeddedChassis();

// A connection to a chassis by plain calls: the request bytes go through the
// same codec as on TCP, and the replies come back as a byte stream.
class InProcessChannel : public enip::Channel {
 public:
  explicit InProcessChannel(SharedChassis& shared) : shared_(shared) {}

  enip::ChannelResult Connect(enip::Clock::time_point deadline) override;
  bool IsOpen() const override { return connection_ != nullptr; }
  bool PeerDropped() override;
  enip::ChannelResult Send(std::span<const uint8_t> bytes,
                           enip::Clock::time_point deadline) override;
  // A request the chassis leaves unanswered costs the whole time-out, as on
  // a network.
  enip::ChannelResult Receive(std::vector<uint8_t>& message,
                              enip::Clock::time_point deadline) override;
  void Close() override;

 private:
  SharedChassis& shared_;
  std::unique_ptr<SimConnection> connection_;
  enip::FrameAssembler inbound_;
  bool peerClosed_ = false;
};

}  // namespace krn::sim
