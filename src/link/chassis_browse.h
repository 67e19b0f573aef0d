// What the path browser learns of a network: which device answers at an
// address (ListIdentity) and which modules sit in its backplane slots
// (Get_Attributes_All of each slot's Identity object, routed through the
// device). Every request has a short time-out, so a device that is switched
// off costs the user about a second, not the module link's five.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/dtl.h"

namespace krn {

inline constexpr uint32_t kBrowseTimeoutMs = 1000;
// The largest ControlLogix chassis has slots 0 to 16.
inline constexpr int kBrowseLastSlot = 16;

struct BrowsedIdentity {
  uint16_t vendorId = 0;
  uint16_t productCode = 0;
  std::string productName;
};

struct DeviceAnswer {
  bool answered = false;
  BrowsedIdentity identity;
  std::string error;  // why the device did not answer
};

struct BrowsedModule {
  int slot = 0;
  BrowsedIdentity identity;
};

struct BackplaneAnswer {
  std::vector<BrowsedModule> modules;  // in slot order
  std::string error;  // set when the device stopped answering; modules keeps what was found
};

// "DRIVER\ADDRESS" and "DRIVER\ADDRESS\Backplane\SLOT", as the path dialog
// and the module link word them.
std::string DevicePathText(const std::string& driver, const std::string& address);
std::string ModulePathText(const std::string& driver, const std::string& address, int slot);

class ChassisBrowser {
 public:
  // `dtl` carries the slot requests: a Dtl of the browser's own, so that
  // browsing never disturbs the module link's sessions.
  explicit ChassisBrowser(std::unique_ptr<Dtl> dtl);
  ~ChassisBrowser();
  ChassisBrowser(const ChassisBrowser&) = delete;
  ChassisBrowser& operator=(const ChassisBrowser&) = delete;

  // The driver names, in list order ("ENET", "SIM").
  std::vector<std::string> Drivers();

  // True when the driver can reach a device named so ("host", "host:port").
  bool IsDeviceAddress(const std::string& driver, const std::string& address);

  // Asks the device who it is with ListIdentity.
  DeviceAnswer Identify(const std::string& driver, const std::string& address,
                        uint32_t timeoutMs = kBrowseTimeoutMs);

  // Reads the identity of slots 0 to kBrowseLastSlot through the device.
  // A slot that answers with a CIP error is empty; the first transport
  // failure (no answer, connection lost) ends the probe.
  BackplaneAnswer ProbeBackplane(const std::string& driver, const std::string& address,
                                 uint32_t timeoutMs = kBrowseTimeoutMs);

  // The target of a path text (the path object of a selection): its driver
  // name and route. False when the text names no target.
  bool CreateTarget(const std::string& pathText, DtlTarget& target);

 private:
  bool OpenDriver(const std::string& driver, uint32_t& driverId, std::string& error);

  std::unique_ptr<Dtl> dtl_;
  bool started_ = false;
  std::map<std::string, uint32_t> openDrivers_;
};

}  // namespace krn
