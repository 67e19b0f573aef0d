// EtherNet/IP over TCP with standalone asio: connect, send and receive each
// run until they finish or the caller's deadline passes; then the socket is
// closed, so a late reply can never be taken for the answer to a later
// request. Replies are read into a buffer and cut into messages header
// first, however the bytes arrive.
#pragma once

#include <memory>
#include <string>

#include "link/enip/channel.h"

namespace krn::enip {

class TcpChannel : public Channel {
 public:
  TcpChannel(std::string host, uint16_t port);
  ~TcpChannel() override;

  ChannelResult Connect(Clock::time_point deadline) override;
  bool IsOpen() const override;
  bool PeerDropped() override;
  ChannelResult Send(std::span<const uint8_t> bytes, Clock::time_point deadline) override;
  ChannelResult Receive(std::vector<uint8_t>& message, Clock::time_point deadline) override;
  void Close() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace krn::enip
