#include "sim/embedded_chassis.h"

#include <thread>

namespace krn::sim {

namespace {

std::unique_ptr<SimModule> DemoModule(ModuleKind kind, int slot) {
  ModuleSettings settings;
  settings.kind = kind;
  settings.heard = EncodeHeardRecord(DemoNetwork());
  settings.scanPolls = 3;
  settings.serialNumber = 0x00735000u + static_cast<uint32_t>(slot);
  return std::make_unique<SimModule>(settings);
}

}  // namespace

SharedChassis& EmbeddedChassis() {
  static SharedChassis* shared = [] {
    auto* s = new SharedChassis;
    s->chassis.Insert(kEmbeddedMonitorSlot, DemoModule(ModuleKind::Monitor, kEmbeddedMonitorSlot));
    s->chassis.Insert(kEmbeddedScannerSlot, DemoModule(ModuleKind::Scanner, kEmbeddedScannerSlot));
    return s;
  }();
  return *shared;
}

enip::ChannelResult InProcessChannel::Connect(enip::Clock::time_point) {
  connection_ = std::make_unique<SimConnection>(shared_.chassis);
  inbound_.Clear();
  peerClosed_ = false;
  return {};
}

bool InProcessChannel::PeerDropped() {
  if (connection_ == nullptr || peerClosed_ || inbound_.HasPartial()) {
    Close();
    return true;
  }
  return false;
}

enip::ChannelResult InProcessChannel::Send(std::span<const uint8_t> bytes,
                                           enip::Clock::time_point) {
  if (connection_ == nullptr || peerClosed_) return {enip::ChannelStatus::Lost, {}};
  std::vector<SimOutput> outputs;
  {
    std::lock_guard<std::mutex> lock(shared_.mutex);
    connection_->Feed(bytes, outputs);
  }
  for (const SimOutput& out : outputs) {
    if (out.kind == SimOutput::Kind::Close) {
      peerClosed_ = true;
      break;
    }
    inbound_.Feed(out.bytes);
  }
  return {};
}

enip::ChannelResult InProcessChannel::Receive(std::vector<uint8_t>& message,
                                              enip::Clock::time_point deadline) {
  if (connection_ == nullptr) return {enip::ChannelStatus::Lost, {}};
  if (inbound_.Next(message)) return {};
  if (peerClosed_) return {enip::ChannelStatus::Lost, {}};
  std::this_thread::sleep_until(deadline);
  return {enip::ChannelStatus::Timeout, {}};
}

void InProcessChannel::Close() {
  connection_.reset();
  inbound_.Clear();
  peerClosed_ = false;
}

}  // namespace krn::sim
