// The simulated chassis and module, driven through the bridge's message
// router with the same codec the client uses.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "config/byte_order.h"
#include "config/image.h"
#include "link/enip/cip_message.h"
#include "link/enip/cip_path.h"
#include "link/enip/identity.h"
#include "link/enip/unconnected_send.h"
#include "sim/fault_plan.h"
#include "sim/heard_network.h"
#include "sim/sim_chassis.h"

namespace krn::sim {
namespace {

using namespace krn::enip;
using Bytes = std::vector<uint8_t>;

struct Reply {
  CipOutcome::Kind kind = CipOutcome::Kind::Reply;
  uint8_t service = 0;
  uint8_t general = 0;
  uint16_t extended = 0;
  Bytes data;
};

const Bytes kConfigClass = {0x20, 0xC6};
const Bytes kHeardAttribute = {0x20, 0xC6, 0x24, 0x01, 0x30, 0x02};
const Bytes kIdentity = {0x20, 0x01, 0x24, 0x01};

Bytes Le32(uint32_t a, uint32_t b) {
  Bytes d(8);
  PutLe32(d.data(), a);
  PutLe32(d.data() + 4, b);
  return d;
}

class ChassisTest : public testing::Test {
 protected:
  void Insert(ModuleSettings settings, int slot = 3) {
    auto m = std::make_unique<SimModule>(settings);
    module = m.get();
    chassis.Insert(slot, std::move(m));
  }

  Reply Send(int slot, uint8_t service, const Bytes& path, const Bytes& data = {}) {
    const Bytes request = EncodeMrRequest(service, path, data);
    const PortHop hop = PortHop::Slot(kPortBackplane, static_cast<uint8_t>(slot));
    RouterOutcome out =
        chassis.BridgeRequest(EncodeUnconnectedSend(5000, request, EncodeRoute({&hop, 1})));
    Reply r;
    r.kind = out.kind;
    if (out.kind != CipOutcome::Kind::Reply) return r;
    auto mr = DecodeMrReply(out.message);
    EXPECT_TRUE(mr);
    if (!mr) return r;
    r.service = mr->service;
    r.general = mr->generalStatus;
    r.extended = mr->extended.empty() ? 0 : mr->extended[0];
    r.data.assign(mr->data.begin(), mr->data.end());
    return r;
  }

  // Writes a whole image in 256-byte chunks inside an edit and ends it.
  Reply Download(const ImageBytes& image) {
    EXPECT_EQ(Send(3, 0x32, kConfigClass).general, 0);
    for (std::size_t at = 0; at < kImageSize; at += 256) {
      const std::size_t n = std::min<std::size_t>(256, kImageSize - at);
      Bytes data(4);
      PutLe32(data.data(), static_cast<uint32_t>(at));
      data.insert(data.end(), image.begin() + static_cast<std::ptrdiff_t>(at),
                  image.begin() + static_cast<std::ptrdiff_t>(at + n));
      EXPECT_EQ(Send(3, 0x37, kConfigClass, data).general, 0);
    }
    return Send(3, 0x36, kConfigClass);
  }

  static ImageBytes ValidImage(uint32_t checkPattern) {
    ImageBytes b{};
    PutLe32(b.data(), 2);
    PutLe32(b.data() + 12, checkPattern);
    b[100] = 0x5A;
    uint32_t sum = 0;
    for (std::size_t i = 0; i < kImageSize; i += 4) sum += GetLe32(b.data() + i);
    PutLe32(b.data() + 6820, 0u - sum);
    return b;
  }

  SimChassis chassis;
  SimModule* module = nullptr;
};

TEST_F(ChassisTest, IdentityOfModuleAndBridgeAndEmptySlots) {
  ModuleSettings s;
  s.kind = ModuleKind::Scanner;
  Insert(s, 4);
  Reply r = Send(4, 0x01, kIdentity);
  ASSERT_EQ(r.general, 0);
  EXPECT_EQ(r.service, 0x81);
  auto id = DecodeIdentityAttributes(r.data);
  ASSERT_TRUE(id);
  EXPECT_EQ(id->vendorId, 1733);
  EXPECT_EQ(id->productCode, 1020);
  EXPECT_EQ(id->productName, "CLX-KRN735-MAS");

  // Slot 0 is the bridge itself.
  r = Send(0, 0x01, kIdentity);
  ASSERT_EQ(r.general, 0);
  EXPECT_EQ(DecodeIdentityAttributes(r.data)->productName, "KRNSIM Ethernet Bridge");

  // An empty slot and a slot beyond the chassis: the router's routing error.
  for (int slot : {3, 200}) {
    r = Send(slot, 0x01, kIdentity);
    EXPECT_EQ(r.service, 0xD2);
    EXPECT_EQ(r.general, 0x01);
    EXPECT_EQ(r.extended, 0x0312);
  }
}

TEST_F(ChassisTest, BadRoutesAndPathsGetCipErrors) {
  Insert({});
  auto routed = [&](const Bytes& data) {
    const Bytes req = EncodeMrRequest(0x52, Bytes{0x20, 0x06, 0x24, 0x01}, data);
    return DecodeMrReply(chassis.BridgeRequest(req).message);
  };
  // Unconnected_Send data that lies about its sizes or routes elsewhere.
  struct Case {
    Bytes data;
    uint16_t extended;
  };
  for (const Case& c : {Case{{0x05, 0x9D, 0x40, 0x00, 0x01}, 0x0205},  // size beyond data
                        Case{{0x05, 0x9D, 0x02, 0x00, 0x01, 0x00, 0x09, 0}, 0x0205},  // route words
                        Case{{0x05, 0x9D, 0x02, 0x00, 0x01, 0x00, 0x01, 0, 0x03, 0x03}, 0x0311},
                        Case{{0x05, 0x9D, 0x02, 0x00, 0x01, 0x00, 0x01, 0, 0x41, 0x03}, 0x0315}}) {
    auto r = routed(c.data);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->service, 0xD2);
    EXPECT_EQ(r->generalStatus, 1);
    EXPECT_EQ(r->extended.at(0), c.extended) << testing::PrintToString(c.data);
  }
  EXPECT_EQ(Send(3, 0x01, {0x20, 0x99, 0x24, 0x01}).general, kCipPathDestinationUnknown);
  Reply r = Send(3, 0x01, {0x20, 0x01, 0x91, 0x01});
  EXPECT_EQ(r.general, kCipPathSegmentError);
  EXPECT_EQ(r.extended, 2);
  EXPECT_EQ(Send(3, 0x4C, kConfigClass).general, kCipServiceNotSupported);
  EXPECT_EQ(Send(3, 0x0E, {0x20, 0xC6, 0x24, 0x01, 0x30, 0x07}).general, kCipAttributeNotSupported);
}

TEST_F(ChassisTest, DownloadReachesFlashOnlyWhenChecksumAndPatternHold) {
  Insert({});
  const ImageBytes good = ValidImage(MonitorVariant().checkPattern);
  EXPECT_EQ(Download(good).general, 0);
  EXPECT_EQ(module->flash(), good);

  ImageBytes badSum = good;
  badSum[200] ^= 1;
  Reply r = Download(badSum);
  EXPECT_EQ(r.general, kCipInvalidAttributeValue);
  EXPECT_EQ(r.extended, 6820);
  EXPECT_EQ(module->flash(), good);

  r = Download(ValidImage(ScannerVariant().checkPattern));
  EXPECT_EQ(r.general, kCipInvalidAttributeValue);
  EXPECT_EQ(r.extended, 12);
  EXPECT_EQ(module->flash(), good);

  // Reading back in chunks gives FLASH.
  Bytes back;
  for (uint32_t at = 0; at < kImageSize; at += 256) {
    r = Send(3, 0x38, kConfigClass, Le32(at, std::min<uint32_t>(256, uint32_t(kImageSize) - at)));
    ASSERT_EQ(r.general, 0);
    back.insert(back.end(), r.data.begin(), r.data.end());
  }
  EXPECT_EQ(back, Bytes(good.begin(), good.end()));

  EXPECT_EQ(Send(3, 0x35, kConfigClass).general, 0);
  EXPECT_EQ(module->flash(), ImageBytes{});
}

TEST_F(ChassisTest, EditStateAndChunkBounds) {
  Insert({});
  Bytes chunk = Le32(0, 0);
  chunk.resize(5);
  struct Case {
    uint8_t service;
    Bytes data;
    uint8_t general;
    uint16_t extended;
  };
  // Outside an edit: no writes and no end.
  for (const Case& c : {Case{0x37, chunk, kCipObjectStateConflict, 0},
                        Case{0x36, {}, kCipObjectStateConflict, 0}}) {
    Reply r = Send(3, c.service, kConfigClass, c.data);
    EXPECT_EQ(r.general, c.general);
  }
  ASSERT_EQ(Send(3, 0x32, kConfigClass).general, 0);
  Bytes tooLong(4 + 257, 0);
  Bytes beyond(4 + 10, 0);
  PutLe32(beyond.data(), 6820);
  for (const Case& c :
       {Case{0x37, {0, 0, 0, 0}, kCipNotEnoughData, 0}, Case{0x37, tooLong, kCipTooMuchData, 0},
        Case{0x37, beyond, kCipInvalidAttributeValue, 0},
        Case{0x38, Le32(0, 0), kCipInvalidAttributeValue, 4},
        Case{0x38, Le32(0, 257), kCipInvalidAttributeValue, 4},
        Case{0x38, Le32(6800, 100), kCipInvalidAttributeValue, 0},
        Case{0x38, Le32(0xFFFFFFFF, 1), kCipInvalidAttributeValue, 0},
        Case{0x38, {0, 0, 0, 0}, kCipNotEnoughData, 0}, Case{0x32, {1}, kCipTooMuchData, 0}}) {
    Reply r = Send(3, c.service, kConfigClass, c.data);
    EXPECT_EQ(r.general, c.general) << int(c.service) << " " << c.data.size();
    EXPECT_EQ(r.extended, c.extended) << int(c.service) << " " << c.data.size();
  }
  // Abandoning the edit leaves FLASH as it was and ends the edit.
  EXPECT_EQ(Send(3, 0x33, kConfigClass).general, 0);
  EXPECT_EQ(Send(3, 0x36, kConfigClass).general, kCipObjectStateConflict);
}

TEST_F(ChassisTest, AutoScanCompletesAfterTheGivenHeardReads) {
  std::vector<HeardCardFile> network;
  std::string error;
  ASSERT_TRUE(ParseNetworkText("cardfile 8 16 A16 - 32 # two racks\n\ncardfile 40 8 dlen=3\n",
                               network, error))
      << error;
  ModuleSettings s;
  s.heard = EncodeHeardRecord(network);
  s.scanPolls = 3;
  Insert(s);
  auto status = [&] { return Send(3, 0x0E, kHeardAttribute).data.at(0) & 1; };
  EXPECT_EQ(status(), 0);  // no scan yet
  ASSERT_EQ(Send(3, 0x34, kConfigClass).general, 0);
  EXPECT_EQ(status(), 0);
  EXPECT_EQ(status(), 0);
  Reply r = Send(3, 0x0E, kHeardAttribute);
  ASSERT_EQ(r.data.size(), 228u);
  EXPECT_EQ(r.data[0] & 1, 1);
  EXPECT_EQ(r.data[2], 2);  // RackCount
  const Bytes rack0 = {8, 8, 0x33, 0xF0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(r.data.begin() + 4, r.data.begin() + 18), rack0);
  EXPECT_EQ(r.data[18], 40);
  EXPECT_EQ(r.data[19], 3);
  EXPECT_EQ(status(), 1);  // stays complete

  // A new scan starts over.
  ASSERT_EQ(Send(3, 0x34, kConfigClass).general, 0);
  EXPECT_EQ(status(), 0);
}

TEST_F(ChassisTest, ScanThatNeverCompletes) {
  ModuleSettings s;
  s.scanPolls = 0;
  Insert(s);
  ASSERT_EQ(Send(3, 0x34, kConfigClass).general, 0);
  for (int i = 0; i < 250; ++i) ASSERT_EQ(Send(3, 0x0E, kHeardAttribute).data.at(0) & 1, 0);
}

TEST_F(ChassisTest, FaultsCountRequestsOfTheirService) {
  Insert({});
  FaultRule rule;
  std::string error;
  ASSERT_TRUE(ParseFaultRule(FaultKind::Fail, "0x01:2:0x1F:0x1234", rule, error)) << error;
  module->faults().Add(rule);
  ASSERT_TRUE(ParseFaultRule(FaultKind::Silent, "0x0E:2+", rule, error)) << error;
  module->faults().Add(rule);
  ASSERT_TRUE(ParseFaultRule(FaultKind::Drop, "53:1", rule, error)) << error;
  module->faults().Add(rule);

  EXPECT_EQ(Send(3, 0x01, kIdentity).general, 0);
  Reply r = Send(3, 0x01, kIdentity);
  EXPECT_EQ(r.general, 0x1F);
  EXPECT_EQ(r.extended, 0x1234);
  EXPECT_EQ(Send(3, 0x01, kIdentity).general, 0);
  EXPECT_EQ(Send(3, 0x0E, kHeardAttribute).kind, CipOutcome::Kind::Reply);
  EXPECT_EQ(Send(3, 0x0E, kHeardAttribute).kind, CipOutcome::Kind::Silent);
  EXPECT_EQ(Send(3, 0x0E, kHeardAttribute).kind, CipOutcome::Kind::Silent);
  EXPECT_EQ(Send(3, 0x35, kConfigClass).kind, CipOutcome::Kind::Drop);
  EXPECT_EQ(Send(3, 0x35, kConfigClass).kind, CipOutcome::Kind::Reply);

  for (const auto& [kind, text] :
       {std::pair{FaultKind::Fail, "0x37:1"}, std::pair{FaultKind::Fail, "0x37:0:1"},
        std::pair{FaultKind::Silent, "0x100:1"}, std::pair{FaultKind::Drop, "1:x"},
        std::pair{FaultKind::Fail, "1:1:0"}}) {
    EXPECT_FALSE(ParseFaultRule(kind, text, rule, error)) << text;
  }
}

TEST(HeardNetwork, TextErrorsNameTheLine) {
  std::vector<HeardCardFile> files;
  std::string error;
  for (const auto& [text, message] :
       {std::pair{"cardfile 0 8\nrack 1", "line 2: expected \"cardfile\""},
        std::pair{"cardfile 256", "line 1: the byte address"},
        std::pair{"cardfile 1 12", "line 1: unknown slot \"12\""},
        std::pair{"cardfile 1 8 8 8 8 8 8 8 8 8 8 8 8 8", "line 1: more than 12 slots"}}) {
    EXPECT_FALSE(ParseNetworkText(text, files, error));
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
}

TEST(SimModuleFlash, KeptInItsFileAcrossRuns) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("krnsim-flash-" + std::to_string(::getpid()) + ".bin");
  std::filesystem::remove(path);
  ModuleSettings s;
  s.flashPath = path.string();
  ImageBytes image{};
  image[7] = 0x77;
  {
    SimModule m(s);
    std::string error;
    ASSERT_TRUE(m.LoadFlash(error)) << error;  // no file yet: empty FLASH
    EXPECT_EQ(m.flash(), ImageBytes{});
    m.SetFlash(image);
    EXPECT_EQ(m.Request({0x35, kConfigClass, {}}).general, 0);  // clear stores
  }
  EXPECT_EQ(std::filesystem::file_size(path), kImageSize);
  {
    std::FILE* f = std::fopen(path.string().c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fwrite(image.data(), 1, image.size(), f);
    std::fclose(f);
    SimModule m(s);
    std::string error;
    ASSERT_TRUE(m.LoadFlash(error)) << error;
    EXPECT_EQ(m.flash(), image);
  }
  std::filesystem::resize_file(path, 100);
  SimModule m(s);
  std::string error;
  EXPECT_FALSE(m.LoadFlash(error));
  EXPECT_NE(error.find("not a 6824-byte"), std::string::npos);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace krn::sim
