#include "link/cipstatus.h"

#include <gtest/gtest.h>

#include <string>

namespace krn {
namespace {

struct Case {
  uint32_t status;
  uint16_t extended;
  const char* expected;
};

// The general line, the extended line where the row has one, the body and
// the closing double quote.
const Case kCases[] = {
    {0x00, 0, "General Status 00\r\nService completed successfully\""},
    {0x02, 0, "General Status 02\r\nConnection Manager - No resources (Wait 1 Minute)\""},
    {0x03, 0, "General Status 03\r\nInvalid connection number specified\""},
    {0x04, 3, "General Status 04\r\nSegment Type in path is invalid at ofs 3\""},
    {0x05, 0x1234, "General Status 05\r\nDestination in path is invalid at ofs 4660\""},
    {0x06, 0x1234, "General Status 06\r\nExtended Status 1234\r\n\"Vendor Specific Error 1234\""},
    {0x06, 0xABCD, "General Status 06\r\nExtended Status abcd\r\n\"Vendor Specific Error abcd\""},
    {0x07, 0, "General Status 07\r\nConnection has been lost\""},
    {0x08, 9, "General Status 08\r\nConnection Manager - Unsupported Service\""},
    {0x09, 65535, "General Status 09\r\nError in Data Segment at ofs 65535\""},
    {0x0C, 0, "General Status 0c\r\nBad Object State\""},
    {0x0F, 0, "General Status 0f\r\nPermission Denied - Edit Resource Not Held (Wait 1 Minute)\""},
    {0x10, 0, "General Status 10\r\nBad Device State\""},
    {0x11, 0, "General Status 11\r\nResponse data too large\""},
    {0x13, 0, "General Status 13\r\nNot enough data was received\""},
    {0x14, 0, "General Status 14\r\nConnection Manager - FIND service Attribute Not supported\""},
    {0x15, 0, "General Status 15\r\nToo much data was received\""},
    {0x25, 0x0114,
     "General Status 25\r\nExtended Status 0114\r\n\"Key segment Vendor Id or Product Code "
     "Mismatch\""},
    {0x25, 0x0115,
     "General Status 25\r\nExtended Status 0115\r\n\"Key segment Product Type Mismatch\""},
    {0x25, 0x0116,
     "General Status 25\r\nExtended Status 0116\r\n\"Key segment Major or Minor Rev Mismatch\""},
    {0x25, 0x0100, "General Status 25\r\nExtended Status 0100\r\n\"Unknown Extended Status\""},
    {0x26, 0, "General Status 26\r\nInvalid path size\""},
    {0xD0, 1, "General Status d0\r\nExtended Status 0001\r\n\"Connection Closed\""},
    {0xD0, 2, "General Status d0\r\nExtended Status 0002\r\n\"Connection Open Pending\""},
    {0xD0, 3, "General Status d0\r\nExtended Status 0003\r\n\"Connection Close Pending\""},
    {0xD0, 4, "General Status d0\r\nExtended Status 0004\r\n\"Unknown Extended Status\""},
    // Rows that no table names.
    {0x0A, 7, "General Status 0a\r\nExtended Status 0007\r\n\"Unknown General Status\""},
    {0xFF, 0, "General Status ff\r\nExtended Status 0000\r\n\"Unknown General Status\""},
    // Only the low byte of the status word counts.
    {0x4D0, 1, "General Status d0\r\nExtended Status 0001\r\n\"Connection Closed\""},
    {0x12345608, 0, "General Status 08\r\nConnection Manager - Unsupported Service\""},
};

TEST(CipStatusText, ComposesEveryGeneralStatusRow) {
  for (const auto& c : kCases)
    EXPECT_EQ(CipStatusText(c.status, c.extended), c.expected)
        << std::hex << c.status << " " << c.extended;
}

// Every row of the connection-failure table under general status 01.
TEST(CipStatusText, ConnectionFailureTableUnderGeneral01) {
  const std::pair<uint16_t, const char*> rows[] = {
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
      {0x0112, "Unknown Extended Status"},
      {0x0104, "Unknown Extended Status"},
      {0x0313, "Unknown Extended Status"},
  };
  for (const auto& [extended, body] : rows) {
    char line[32];
    std::snprintf(line, sizeof line, "%04x", extended);
    EXPECT_EQ(CipStatusText(0x401, extended),
              std::string("General Status 01\r\nExtended Status ") + line + "\r\n\"" + body + "\"");
  }
}

TEST(CipStatusText, LongestTextFitsTheStatedBound) {
  EXPECT_EQ(CipStatusText(0x01, 0x0203).size(), 97u);
}

}  // namespace
}  // namespace krn
