// The text shown to the user when the module answers a CIP request with an
// error status: the general status line, for some statuses the extended
// status line, and the body between double quotes.
#pragma once

#include <cstdint>
#include <string>

namespace krn {

// `status`: the request's status word; only its low byte (the CIP general
// status) is used. `extended`: the first extended-status word of the reply.
std::string CipStatusText(uint32_t status, uint16_t extended);

}  // namespace krn
