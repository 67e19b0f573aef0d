// The Dtl layer over EtherNet/IP. Drivers, in list order (the driver id is
// the position): "ENET" (TCP to a device named by address) and "SIM" (the
// embedded simulated chassis, address "local").
//
// A target's route starts with an extended port segment (port 2, link
// "host[:port]", default port 44818) that names the device; the rest of the
// route (port 1 = backplane, link = slot) travels in an Unconnected_Send to
// the device's Connection Manager. A route of the device alone sends the
// request to the device itself.
//
// One connection and one registered session per open driver and device,
// kept for every request until CloseDriver (which unregisters) or
// StopLibrary. The time-out of each call bounds its connect, send and
// receive together. Failures are status words (see enip/link_codes.h and
// dtl.h) whose ErrorText names the device and what failed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "link/dtl.h"
#include "link/enip/session.h"

namespace krn {

class EnipDtl : public Dtl {
 public:
  EnipDtl();
  ~EnipDtl() override;

  uint32_t StartLibrary() override;
  void StopLibrary() override;
  uint32_t DriverList(std::vector<std::string>& names, uint32_t timeoutMs) override;
  uint32_t OpenDriver(uint32_t driverId, const std::string& name, uint32_t timeoutMs) override;
  uint32_t CloseDriver(uint32_t driverId, uint32_t timeoutMs) override;
  std::string ErrorText(uint32_t code) override;
  bool CreateTargetFromPath(const std::string& pathText, DtlTarget& target) override;
  DtlReply CipMessageSend(const DtlTargetRecord& target, uint8_t service,
                          const std::vector<uint8_t>& path, const uint8_t* data,
                          std::size_t dataSize, uint8_t* reply, std::size_t replyCapacity,
                          uint32_t timeoutMs) override;

  // Connections, registrations and requests so far, over all sessions.
  enip::SessionStats Stats() const;

 private:
  uint32_t Failure(uint32_t code, std::string text);
  enip::EnipSession* SessionFor(uint32_t driverId, const std::string& device, uint32_t& code);
  void CloseSessions(uint32_t driverId, uint32_t timeoutMs);

  bool started_ = false;
  bool open_[2] = {false, false};
  std::map<std::pair<uint32_t, std::string>, std::unique_ptr<enip::EnipSession>> sessions_;
  std::map<uint32_t, std::string> lastText_;  // the last failure's text per code
  enip::SessionStats closedStats_;
};

}  // namespace krn
