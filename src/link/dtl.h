// The Dtl layer: exactly the operations the module link needs from the
// network library (library start and stop, driver list, open and close of a
// driver, error texts, target from a path, CIP explicit message). EnipDtl
// implements it over EtherNet/IP; tests may substitute a fake.
//
// Status words: 0 is success; 0x400 + g carries a CIP general status g
// (with the first extended-status word beside it). Transport faults use codes
// outside 0x400..0x7FF, and ErrorText turns every code into a clear text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace krn {

inline constexpr std::size_t kDtlMaxDrivers = 20;

// A target made from a path: the driver that carries it and the CIP route
// (port segments) to the device.
struct DtlTarget {
  std::string driverName;
  std::vector<uint8_t> route;  // at most 255 bytes
};

// The record a message is sent to (type 110, driver id, route).
struct DtlTargetRecord {
  uint32_t type = 110;
  uint32_t driverId = 0;
  std::vector<uint8_t> route;
};

struct DtlReply {
  uint32_t status = 0;     // 0, 0x400 + general status, or a transport code
  uint16_t extended = 0;   // first extended-status word (0 when none)
  std::size_t size = 0;    // reply bytes received into the caller's buffer
};

class Dtl {
 public:
  virtual ~Dtl() = default;

  virtual uint32_t StartLibrary() = 0;
  virtual void StopLibrary() = 0;
  // Fills at most kDtlMaxDrivers names, in list order.
  virtual uint32_t DriverList(std::vector<std::string>& names, uint32_t timeoutMs) = 0;
  virtual uint32_t OpenDriver(uint32_t driverId, const std::string& name, uint32_t timeoutMs) = 0;
  virtual uint32_t CloseDriver(uint32_t driverId, uint32_t timeoutMs) = 0;
  virtual std::string ErrorText(uint32_t code) = 0;

  // Path text "DRIVER\ADDRESS\Backplane\SLOT" to a target; false (and an
  // empty target) when the text names no target.
  virtual bool CreateTargetFromPath(const std::string& pathText, DtlTarget& target) = 0;

  // One CIP explicit request. `path` is the request path as the module link
  // writes it: its length in 16-bit words, then the segment bytes. The reply
  // data (without the CIP reply header) goes into reply[0..replyCapacity).
  virtual DtlReply CipMessageSend(const DtlTargetRecord& target, uint8_t service,
                                  const std::vector<uint8_t>& path, const uint8_t* data,
                                  std::size_t dataSize, uint8_t* reply, std::size_t replyCapacity,
                                  uint32_t timeoutMs) = 0;
};

}  // namespace krn
