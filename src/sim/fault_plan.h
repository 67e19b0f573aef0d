// Faults a simulated module is told to show: the N-th request of a service
// (counted from 1 over all connections) fails with a CIP status, is never
// answered, or makes the chassis close the client's connection. "N+" means
// the N-th request and every one after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace krn::sim {

enum class FaultKind { Fail, Silent, Drop };

struct FaultRule {
  FaultKind kind = FaultKind::Fail;
  uint8_t service = 0;
  uint32_t first = 1;     // N
  bool andAfter = false;  // "N+"
  uint8_t general = 0;    // Fail only
  std::optional<uint16_t> extended;
};

// Parses "SERVICE:N" (Silent, Drop) or "SERVICE:N:GENERAL[:EXTENDED]"
// (Fail); numbers in decimal or 0x hexadecimal. False with a message.
bool ParseFaultRule(FaultKind kind, const std::string& text, FaultRule& rule, std::string& error);

class FaultPlan {
 public:
  void Add(const FaultRule& rule) { rules_.push_back(rule); }
  // Counts one request of `service` and returns the fault it meets, if any.
  std::optional<FaultRule> Next(uint8_t service);

 private:
  std::vector<FaultRule> rules_;
  uint32_t counts_[256] = {};
};

}  // namespace krn::sim
