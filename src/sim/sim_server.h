// The simulated chassis on the network: EtherNet/IP over TCP (and
// ListIdentity over UDP on the same port), several clients at once, each
// connection served by a thread of its own over the one shared chassis. A
// client that stalls in the middle of a message past the stall time-out, or
// leaves its replies unread that long, is disconnected.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "sim/sim_chassis.h"

namespace asio {
class io_context;
}

namespace krn::sim {

struct ServerSettings {
  std::string host = "127.0.0.1";
  uint16_t port = 44818;  // 0: any free port
  std::chrono::milliseconds stallTimeout{10000};
  std::size_t maxConnections = 64;
};

class SimServer {
 public:
  SimServer(SimChassis& chassis, ServerSettings settings);
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Binds the TCP (and, when free, the UDP) port. False with a message.
  bool Start(std::string& error);
  std::string host() const;
  uint16_t port() const;

  // Accepts connections until Stop; Stop may be called from any thread and
  // ends every connection.
  void Run();
  void Stop();
  asio::io_context& io();

  // Connections accepted so far (any thread may ask).
  int connectionsAccepted() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace krn::sim
