// One registered EtherNet/IP session with one device over one channel,
// reused for every request: connects and registers on the first request,
// reconnects once when the device dropped an idle connection, checks every
// reply's header (command, length, session, status, sender context), and
// unregisters on Close.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "link/enip/channel.h"

namespace krn::enip {

struct SessionResult {
  uint32_t code = 0;  // a LinkCode
  std::string text;   // names the device and what failed
  bool ok() const { return code == 0; }
};

struct SessionStats {
  int connects = 0;
  int registrations = 0;
  int requests = 0;
};

class EnipSession {
 public:
  // `device` is how texts name the peer, e.g. "127.0.0.1:44818".
  EnipSession(std::unique_ptr<Channel> channel, std::string device);
  ~EnipSession();

  // Sends one Message Router request in a SendRRData and puts the Message
  // Router reply into `reply`.
  SessionResult Request(std::span<const uint8_t> request, std::vector<uint8_t>& reply,
                        uint32_t timeoutMs);

  // UnRegisterSession (when registered) and close, bounded by the time-out.
  void Close(uint32_t timeoutMs);

  const SessionStats& stats() const { return stats_; }
  const std::string& device() const { return device_; }

 private:
  SessionResult Open(Clock::time_point deadline, uint32_t timeoutMs);
  SessionResult Exchange(uint16_t command, std::span<const uint8_t> data,
                         std::vector<uint8_t>& replyData, Clock::time_point deadline,
                         uint32_t timeoutMs, bool& sent);
  SessionResult ChannelFailure(const ChannelResult& r, const char* during, uint32_t timeoutMs);
  SessionResult Malformed(const std::string& what);
  void Drop();

  std::unique_ptr<Channel> channel_;
  std::string device_;
  uint32_t session_ = 0;
  uint64_t nextContext_ = 1;
  SessionStats stats_;
};

}  // namespace krn::enip
