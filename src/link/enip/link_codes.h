// Status words of the EtherNet/IP driver layer that are not CIP statuses.
// They lie below 0x400, outside the CIP range 0x400..0x7FF, so the module
// link turns them into text with ErrorText.
#pragma once

#include <cstdint>

namespace krn::enip {

enum LinkCode : uint32_t {
  kLinkOk = 0,
  kLinkNotStarted = 0x0101,     // library not started
  kLinkUnknownDriver = 0x0102,  // driver id or name not in the list
  kLinkDriverNotOpen = 0x0103,
  kLinkBadTarget = 0x0104,       // route the driver cannot follow
  kLinkBadRequestPath = 0x0105,  // request path with a wrong word count
  kLinkRequestTooLarge = 0x0106,
  kLinkNoDevice = 0x0110,        // address not found (name lookup, SIM address)
  kLinkRefused = 0x0111,         // the device refused the connection
  kLinkTimeout = 0x0112,         // no connection or no reply within the time-out
  kLinkConnectionLost = 0x0113,  // the device closed or reset the connection
  kLinkNetworkError = 0x0114,    // any other socket failure
  kLinkMalformedReply = 0x0115,  // a reply that breaks the protocol
  kLinkRejected = 0x0116,        // the device answered with an encapsulation error
  kLinkReplyTooLarge = 0x0117,   // more reply data than the caller's buffer holds
};

}  // namespace krn::enip
