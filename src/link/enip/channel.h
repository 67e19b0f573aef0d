// The byte transport under an EtherNet/IP session: TCP for real devices, an
// in-process call for the embedded simulated chassis. Every operation is
// bounded by the caller's deadline; failures come back as results.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace krn::enip {

using Clock = std::chrono::steady_clock;

enum class ChannelStatus {
  Ok,
  NoDevice,  // the address names no device
  Refused,
  Timeout,
  Lost,   // the peer closed or reset the connection
  Error,  // any other failure; see detail
};

struct ChannelResult {
  ChannelStatus status = ChannelStatus::Ok;
  std::string detail;  // the system's words for the failure, when there are any
  bool ok() const { return status == ChannelStatus::Ok; }
};

class Channel {
 public:
  virtual ~Channel() = default;

  virtual ChannelResult Connect(Clock::time_point deadline) = 0;
  virtual bool IsOpen() const = 0;
  // True when an open connection was closed by the peer in the meantime (or
  // holds bytes nobody asked for), so it must not be reused.
  virtual bool PeerDropped() = 0;
  virtual ChannelResult Send(std::span<const uint8_t> bytes, Clock::time_point deadline) = 0;
  // One whole encapsulation message, read header first.
  virtual ChannelResult Receive(std::vector<uint8_t>& message, Clock::time_point deadline) = 0;
  virtual void Close() = 0;
};

}  // namespace krn::enip
