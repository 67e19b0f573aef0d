// What a device in the simulated chassis does with one CIP request: a reply
// (general status, extended words, data), no answer at all, or closing the
// client's connection.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "link/enip/cip_message.h"
#include "link/enip/cip_path.h"
#include "link/enip/identity.h"

namespace krn::sim {

struct CipOutcome {
  enum class Kind { Reply, Silent, Drop };
  Kind kind = Kind::Reply;
  uint8_t general = 0;
  std::vector<uint16_t> extended;
  std::vector<uint8_t> data;

  static CipOutcome Ok(std::vector<uint8_t> bytes = {}) {
    return {Kind::Reply, 0, {}, std::move(bytes)};
  }
  static CipOutcome Error(uint8_t general, std::vector<uint16_t> extended = {}) {
    return {Kind::Reply, general, std::move(extended), {}};
  }
};

class SimTarget {
 public:
  virtual ~SimTarget() = default;
  virtual CipOutcome Request(const enip::MrRequest& request) = 0;
};

// The Identity object (class 1, instance 1): Get_Attributes_All and
// Get_Attribute_Single of attributes 1 to 7.
CipOutcome IdentityRequest(const enip::IdentityInfo& identity, uint8_t service,
                           const enip::LogicalPath& path);

// The path of a request as a logical path, or the path error reply.
bool DecodeTargetPath(std::span<const uint8_t> bytes, enip::LogicalPath& path, CipOutcome& error);

}  // namespace krn::sim
