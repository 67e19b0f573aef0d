// EnipDtl end to end: against a real krnsim process on loopback, and against
// the embedded SIM chassis.
#include <gtest/gtest.h>

#include <chrono>

#include "config/byte_order.h"
#include "config/image.h"
#include "link/enip/link_codes.h"
#include "link/enip_dtl.h"
#include "support/krnsim_process.h"

namespace krn {
namespace {

using namespace krn::enip;
using Bytes = std::vector<uint8_t>;

const Bytes kIdentityPath = {0x02, 0x20, 0x01, 0x24, 0x01};
const Bytes kConfigPath = {0x01, 0x20, 0xC6};
const Bytes kHeardPath = {0x03, 0x20, 0xC6, 0x24, 0x01, 0x30, 0x02};

struct Call {
  DtlReply reply;
  Bytes data;
};

class DtlSession {
 public:
  explicit DtlSession(const std::string& pathText) {
    EXPECT_EQ(dtl.StartLibrary(), 0u);
    std::vector<std::string> drivers;
    EXPECT_EQ(dtl.DriverList(drivers, 5000), 0u);
    DtlTarget target;
    EXPECT_TRUE(dtl.CreateTargetFromPath(pathText, target)) << pathText;
    const auto it = std::find(drivers.begin(), drivers.end(), target.driverName);
    record.driverId = static_cast<uint32_t>(it - drivers.begin());
    record.route = target.route;
    EXPECT_EQ(dtl.OpenDriver(record.driverId, target.driverName, 5000), 0u);
  }

  Call Send(uint8_t service, const Bytes& path, const Bytes& data = {}, std::size_t capacity = 510,
            uint32_t timeoutMs = 5000) {
    Call c;
    c.data.resize(capacity);
    c.reply = dtl.CipMessageSend(record, service, path, data.data(), data.size(), c.data.data(),
                                 capacity, timeoutMs);
    c.data.resize(c.reply.size);
    return c;
  }

  EnipDtl dtl;
  DtlTargetRecord record;
};

std::string ProductName(const Call& c) {
  if (c.data.size() < 15 || c.data.size() < 15u + c.data[14]) return {};
  return std::string(c.data.begin() + 15, c.data.begin() + 15 + c.data[14]);
}

TEST(EnipDtlPaths, PathTextsToTargets) {
  EnipDtl dtl;
  DtlTarget t;
  ASSERT_TRUE(dtl.CreateTargetFromPath("ENET\\127.0.0.1:44818\\Backplane\\3", t));
  EXPECT_EQ(t.driverName, "ENET");
  Bytes expected = {0x12, 15};
  for (char ch : std::string("127.0.0.1:44818")) expected.push_back(static_cast<uint8_t>(ch));
  expected.insert(expected.end(), {0x00, 0x01, 0x03});
  EXPECT_EQ(t.route, expected);
  ASSERT_TRUE(dtl.CreateTargetFromPath("SIM\\local\\Backplane\\16", t));
  EXPECT_EQ(t.route, (Bytes{0x12, 5, 'l', 'o', 'c', 'a', 'l', 0x00, 0x01, 16}));
  ASSERT_TRUE(dtl.CreateTargetFromPath("ENET\\10.1.2.3", t));  // the device itself
  EXPECT_EQ(t.route.size(), 10u);

  for (const char* bad :
       {"", "ENET", "ENET\\\\Backplane\\3", "ENET\\h:0\\Backplane\\3",
        "ENET\\h:70000\\Backplane\\3", "ENET\\h\\Chassis\\3", "ENET\\h\\Backplane\\256",
        "ENET\\h\\Backplane\\", "ENET\\h\\Backplane\\3x", "ENET\\h\\Backplane\\3\\1"}) {
    EXPECT_FALSE(dtl.CreateTargetFromPath(bad, t)) << bad;
    EXPECT_TRUE(t.route.empty());
  }
}

TEST(EnipDtlKrnsim, ModuleRequestsOverOneSession) {
  test::KrnsimProcess sim({"--variant", "scanner", "--slot", "5", "--scan-polls", "2"});
  ASSERT_TRUE(sim.Start()) << sim.error();
  DtlSession s(sim.Path(5));

  Call id = s.Send(0x01, kIdentityPath, {}, 504);
  ASSERT_EQ(id.reply.status, 0u) << s.dtl.ErrorText(id.reply.status);
  EXPECT_EQ(GetLe16(id.data.data()), 1733);
  EXPECT_EQ(GetLe16(id.data.data() + 4), 1020);
  EXPECT_EQ(ProductName(id), "CLX-KRN735-MAS");

  // Download an image, read it back chunk by chunk.
  ConfigImage image;
  ClearImage(image, ScannerVariant());
  image.NumRacks = 1;
  image.Racks[0].DLen = 4;
  ImageBytes bytes = EncodeImage(image);
  uint32_t sum = 0;
  for (std::size_t i = 0; i < kImageSize; i += 4) sum += GetLe32(bytes.data() + i);
  PutLe32(bytes.data() + 6820, 0u - sum);
  ASSERT_EQ(s.Send(0x32, kConfigPath).reply.status, 0u);
  ASSERT_EQ(s.Send(0x35, kConfigPath).reply.status, 0u);
  for (uint32_t at = 0; at < kImageSize; at += 256) {
    Bytes data(4);
    PutLe32(data.data(), at);
    data.insert(data.end(), bytes.begin() + at,
                bytes.begin() + std::min<std::size_t>(at + 256, kImageSize));
    ASSERT_EQ(s.Send(0x37, kConfigPath, data, 480).reply.status, 0u);
  }
  ASSERT_EQ(s.Send(0x36, kConfigPath, {}, 510, 20000).reply.status, 0u);
  Bytes back;
  for (uint32_t at = 0; at < kImageSize; at += 256) {
    const uint32_t n = std::min<uint32_t>(256, static_cast<uint32_t>(kImageSize) - at);
    Bytes data(8);
    PutLe32(data.data(), at);
    PutLe32(data.data() + 4, n);
    Call c = s.Send(0x38, kConfigPath, data, n);
    ASSERT_EQ(c.reply.status, 0u) << s.dtl.ErrorText(c.reply.status);
    back.insert(back.end(), c.data.begin(), c.data.end());
  }
  EXPECT_EQ(back, Bytes(bytes.begin(), bytes.end()));

  // Auto-scan with the default demonstration network, complete on the 2nd read.
  ASSERT_EQ(s.Send(0x34, kConfigPath).reply.status, 0u);
  EXPECT_EQ(s.Send(0x0E, kHeardPath, {}, 228).data.at(0) & 1, 0);
  Call heard = s.Send(0x0E, kHeardPath, {}, 228);
  ASSERT_EQ(heard.data.size(), 228u);
  EXPECT_EQ(heard.data[0] & 1, 1);
  EXPECT_EQ(heard.data[2], 3);

  // A module error is a CIP status with its extended word.
  Call end = s.Send(0x36, kConfigPath);
  EXPECT_EQ(end.reply.status, 0x40Cu);

  const SessionStats stats = s.dtl.Stats();
  EXPECT_EQ(stats.connects, 1);
  EXPECT_EQ(stats.registrations, 1);
  EXPECT_EQ(stats.requests, 2 + 2 * 27 + 1 + 3 + 1 + 1);

  // Closing the driver unregisters; a new opening connects anew.
  EXPECT_EQ(s.dtl.CloseDriver(s.record.driverId, 5000), 0u);
  EXPECT_EQ(s.Send(0x01, kIdentityPath).reply.status, kLinkDriverNotOpen);
  ASSERT_EQ(s.dtl.OpenDriver(s.record.driverId, "ENET", 5000), 0u);
  EXPECT_EQ(s.Send(0x01, kIdentityPath).reply.status, 0u);
  EXPECT_EQ(s.dtl.Stats().connects, 2);
}

TEST(EnipDtlKrnsim, RoutingErrorsAndTooLargeReplies) {
  test::KrnsimProcess sim;
  ASSERT_TRUE(sim.Start()) << sim.error();
  DtlSession s(sim.Path(7));  // the module is in slot 3
  Call c = s.Send(0x01, kIdentityPath);
  EXPECT_EQ(c.reply.status, 0x401u);
  EXPECT_EQ(c.reply.extended, 0x0312);

  DtlSession module(sim.Path(3));
  c = module.Send(0x01, kIdentityPath, {}, 10);  // the reply has 29 bytes
  EXPECT_EQ(c.reply.status, kLinkReplyTooLarge);
  EXPECT_EQ(module.dtl.ErrorText(c.reply.status),
            "The reply from 127.0.0.1:" + std::to_string(sim.Port()) +
                " to service 0x01 carried 29 bytes, more than the 10 expected");
}

TEST(EnipDtlKrnsim, DroppedConnectionIsReportedThenReopened) {
  test::KrnsimProcess sim({"--drop", "0x01:2"});
  ASSERT_TRUE(sim.Start()) << sim.error();
  DtlSession s(sim.Path(3));
  ASSERT_EQ(s.Send(0x01, kIdentityPath).reply.status, 0u);
  Call dropped = s.Send(0x01, kIdentityPath);
  ASSERT_EQ(dropped.reply.status, kLinkConnectionLost);
  EXPECT_EQ(s.dtl.ErrorText(dropped.reply.status),
            "127.0.0.1:" + std::to_string(sim.Port()) +
                " closed the connection during the reply (End of file)");
  // The request is not sent twice; the next one connects anew.
  EXPECT_EQ(s.Send(0x01, kIdentityPath).reply.status, 0u);
  EXPECT_EQ(s.dtl.Stats().connects, 2);
  EXPECT_EQ(s.dtl.Stats().registrations, 2);
}

TEST(EnipDtlKrnsim, SilentModuleTimesOutWithinTheTimeout) {
  test::KrnsimProcess sim({"--silent", "0x0E:1"});
  ASSERT_TRUE(sim.Start()) << sim.error();
  DtlSession s(sim.Path(3));
  const auto start = std::chrono::steady_clock::now();
  Call c = s.Send(0x0E, kHeardPath, {}, 228, 300);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(c.reply.status, kLinkTimeout);
  EXPECT_EQ(s.dtl.ErrorText(c.reply.status),
            "No reply from 127.0.0.1:" + std::to_string(sim.Port()) + " within 300 ms");
  EXPECT_LT(elapsed, std::chrono::seconds(3));  // bounded by the time-out, not hung
  // The late reply can never be mistaken for a later one: a fresh connection.
  Call next = s.Send(0x0E, kHeardPath, {}, 228);
  EXPECT_EQ(next.reply.status, 0u);
  EXPECT_EQ(next.data.size(), 228u);
}

TEST(EnipDtlKrnsim, StoppedSimulatorRefuses) {
  test::KrnsimProcess sim;
  ASSERT_TRUE(sim.Start()) << sim.error();
  DtlSession s(sim.Path(3));
  ASSERT_EQ(s.Send(0x01, kIdentityPath).reply.status, 0u);
  const uint16_t port = sim.Port();
  sim.Stop();
  Call c = s.Send(0x01, kIdentityPath);
  EXPECT_EQ(c.reply.status, kLinkRefused);
  EXPECT_EQ(s.dtl.ErrorText(c.reply.status),
            "127.0.0.1:" + std::to_string(port) +
                " refused the connection; is the address and port right?");
}

TEST(EnipDtlSim, EmbeddedChassisWithoutHardware) {
  DtlSession monitor("SIM\\local\\Backplane\\3");
  Call c = monitor.Send(0x01, kIdentityPath, {}, 504);
  ASSERT_EQ(c.reply.status, 0u) << monitor.dtl.ErrorText(c.reply.status);
  EXPECT_EQ(ProductName(c), "CLX-KRN735-MON");
  DtlSession scanner("SIM\\local\\Backplane\\4");
  EXPECT_EQ(ProductName(scanner.Send(0x01, kIdentityPath, {}, 504)), "CLX-KRN735-MAS");
  EXPECT_EQ(scanner.Send(0x0E, kHeardPath, {}, 228).data.size(), 228u);
  DtlSession empty("SIM\\local\\Backplane\\9");
  EXPECT_EQ(empty.Send(0x01, kIdentityPath).reply.status, 0x401u);
  DtlSession elsewhere("SIM\\plant7\\Backplane\\3");
  c = elsewhere.Send(0x01, kIdentityPath);
  EXPECT_EQ(c.reply.status, kLinkNoDevice);
  EXPECT_EQ(elsewhere.dtl.ErrorText(c.reply.status),
            "No simulated chassis at SIM\\plant7; the SIM driver has one, SIM\\local");
}

TEST(EnipDtlStates, CallsOutOfOrderGiveCodesWithTexts) {
  EnipDtl dtl;
  std::vector<std::string> names;
  EXPECT_EQ(dtl.DriverList(names, 5000), kLinkNotStarted);
  ASSERT_EQ(dtl.StartLibrary(), 0u);
  ASSERT_EQ(dtl.DriverList(names, 5000), 0u);
  EXPECT_EQ(names, (std::vector<std::string>{"ENET", "SIM"}));
  EXPECT_EQ(dtl.OpenDriver(0, "SIM", 5000), kLinkUnknownDriver);
  EXPECT_EQ(dtl.ErrorText(kLinkUnknownDriver),
            "No driver \"SIM\" at position 0; the drivers are ENET and SIM");
  EXPECT_EQ(dtl.CloseDriver(1, 5000), kLinkDriverNotOpen);
  ASSERT_EQ(dtl.OpenDriver(1, "SIM", 5000), 0u);
  DtlTargetRecord record;
  record.driverId = 1;
  DtlTarget target;
  ASSERT_TRUE(dtl.CreateTargetFromPath("SIM\\local\\Backplane\\3", target));
  record.route = target.route;
  uint8_t buffer[8];
  const Bytes badPath = {0x02, 0x20, 0x01};  // says two words, holds one
  EXPECT_EQ(dtl.CipMessageSend(record, 1, badPath, nullptr, 0, buffer, 8, 5000).status,
            kLinkBadRequestPath);
  record.route = {0x01, 0x03};  // no device hop
  EXPECT_EQ(dtl.CipMessageSend(record, 1, kIdentityPath, nullptr, 0, buffer, 8, 5000).status,
            kLinkBadTarget);
  for (uint32_t code : {0x401u, 0x4FFu, 0x501u, 0x300u, uint32_t{kLinkTimeout}}) {
    EXPECT_FALSE(dtl.ErrorText(code).empty()) << code;
  }
}

}  // namespace
}  // namespace krn
