#include "link/cipstatus.h"

#include <cstdio>
#include <string_view>

namespace krn {

namespace {

struct TextRow {
  uint16_t code;
  std::string_view body;
};

constexpr std::string_view kUnknownExtended = "Unknown Extended Status";

// Bodies of general status 01 (connection failure), by extended status.
constexpr TextRow kConnectionFailure[] = {
    {0x0000, "Extended Status Missing"},
    {0x0100, "Connection in Use or Duplicate Forward Open"},
    {0x0103, "Transport Class and Trigger combination not supported"},
    {0x0106, "Ownership Conflict"},
    {0x0107, "Connection not found at target application"},
    {0x0108, "Invalid Connection Type and/or Priority"},
    {0x0109, "Invalid Connection Size"},
    {0x0110, "Device not configured"},
    {0x0111, "RPI not supported or invalid time-out multiplier"},
    {0x0113, "Connection Manager cannot support any more connections"},
    {0x0114, "Key Segment Vendor Id or Product Code Mismatch"},
    {0x0115, "Key Segment Product Type Mismatch"},
    {0x0116, "Key Segment Major or Minor Rev Mismatch"},
    {0x0117, "Invalid Connection Point"},
    {0x0118, "Invalid Configuration Format"},
    {0x0119, "Connection Orig Inactive or Target Disabled"},
    {0x011A, "Target cannot support any more connections"},
    {0x0203, "Connection cannot be closed (connection has timed out)"},
    {0x0204, "ACK TimeOut (Bad Dst MacId?)"},
    {0x0205, "Parameter Error in Unconnected Send Service"},
    {0x0206, "Message too large for Unconnected message service"},
    {0x0207, "Timed out waiting for a response"},
    {0x0301, "No buffer memory available"},
    {0x0302, "Network Bandwidth not available for data"},
    {0x0303, "No Tag filters available"},
    {0x0304, "Not Configured to send real-time data"},
    {0x0311, "Port specified in Port Segment Not Available"},
    {0x0312, "Link Address specified in Port Segment Not Available"},
    {0x0315, "Invalid Segment Type or Segment Value in Path"},
    {0x0316, "Path and Connection not equal in close"},
    {0x0317, "Missing/Bad Network Segment (NOT Scheduled?)"},
    {0x0318, "Link Address to Self Invalid"},
    {0x0319, "Resources on Secondary Unavailable"},
    {0x031A, "Connection Already Established"},
    {0x031B, "Direct Connection Already Established"},
    {0x031C, "Miscellaneous Error"},
    {0x031D, "Redundant Connection Mismatch"},
};

// General status 25 (key failure in path). Note the lowercase "segment",
// unlike the same statuses under general status 01.
constexpr TextRow kKeyFailure[] = {
    {0x0114, "Key segment Vendor Id or Product Code Mismatch"},
    {0x0115, "Key segment Product Type Mismatch"},
    {0x0116, "Key segment Major or Minor Rev Mismatch"},
};

// General status D0, by extended status.
constexpr TextRow kConnectionState[] = {
    {0x0001, "Connection Closed"},
    {0x0002, "Connection Open Pending"},
    {0x0003, "Connection Close Pending"},
};

// General statuses whose body is a fixed text and that show no extended line.
constexpr TextRow kPlainGeneral[] = {
    {0x00, "Service completed successfully"},
    {0x02, "Connection Manager - No resources (Wait 1 Minute)"},
    {0x03, "Invalid connection number specified"},
    {0x07, "Connection has been lost"},
    {0x08, "Connection Manager - Unsupported Service"},
    {0x0C, "Bad Object State"},
    {0x0F, "Permission Denied - Edit Resource Not Held (Wait 1 Minute)"},
    {0x10, "Bad Device State"},
    {0x11, "Response data too large"},
    {0x13, "Not enough data was received"},
    {0x14, "Connection Manager - FIND service Attribute Not supported"},
    {0x15, "Too much data was received"},
    {0x26, "Invalid path size"},
};

template <std::size_t N>
std::string_view Lookup(const TextRow (&rows)[N], uint16_t code, std::string_view otherwise) {
  for (const auto& row : rows)
    if (row.code == code) return row.body;
  return otherwise;
}

std::string Format(const char* pattern, unsigned value) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, pattern, value);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string ExtendedLine(uint16_t extended) {
  return Format("Extended Status %04x\r\n\"", extended);
}

}  // namespace

std::string CipStatusText(uint32_t status, uint16_t extended) {
  const auto general = static_cast<uint8_t>(status & 0xFF);
  std::string text = Format("General Status %02x\r\n", general);

  switch (general) {
    case 0x01:
      text += ExtendedLine(extended);
      text += Lookup(kConnectionFailure, extended, kUnknownExtended);
      break;
    case 0x04: text += Format("Segment Type in path is invalid at ofs %u", extended); break;
    case 0x05: text += Format("Destination in path is invalid at ofs %u", extended); break;
    case 0x06:
      text += ExtendedLine(extended);
      text += Format("Vendor Specific Error %04x", extended);
      break;
    case 0x09: text += Format("Error in Data Segment at ofs %u", extended); break;
    case 0x25:
      text += ExtendedLine(extended);
      text += Lookup(kKeyFailure, extended, kUnknownExtended);
      break;
    case 0xD0:
      text += ExtendedLine(extended);
      text += Lookup(kConnectionState, extended, kUnknownExtended);
      break;
    default: {
      const std::string_view plain = Lookup(kPlainGeneral, general, {});
      if (plain.empty()) {
        text += ExtendedLine(extended);
        text += "Unknown General Status";
      } else {
        text += plain;
      }
      break;
    }
  }
  text += '"';
  return text;
}

}  // namespace krn
