#include "link/modulelink.h"

#include <gtest/gtest.h>

#include <numeric>

#include "config/image_layout.h"
#include "fake_dtl.h"
#include "link/cipstatus.h"
#include "link/image_checksum.h"
#include "support/recording_ui.h"

namespace krn {
namespace {

using test::FakeDtl;
using test::RecordingUi;
using test::SentRequest;

const std::string kPath = "ENET\\127.0.0.1\\Backplane\\3";

// An image as the module stores it: some content, the variant's pattern and
// a checksum word that makes the words add up to 0.
ImageBytes ModuleImageBytes(const ModuleVariant& variant) {
  ConfigImage image{};
  image.NumRacks = 2;
  image.CfgId = 0x12345678;
  image.CheckPattern = variant.checkPattern;
  image.Racks[1].ByteAddress = 40;
  image.Racks[1].DSlotLen[11] = 4;
  image.Racks[15].Tables[kAnalogOutput][11].Length = 0xBEEF;
  ImageBytes bytes = EncodeImage(image);
  SealImageChecksum(bytes.data());
  return bytes;
}

class ModuleLinkTest : public ::testing::Test {
 protected:
  explicit ModuleLinkTest(const ModuleVariant& v = MonitorVariant()) : variant(v), dtl(v) {}

  ModuleLink& Link() {
    if (!link)
      link =
          std::make_unique<ModuleLink>(dtl, variant, ui, [this](int ms) { sleeps.push_back(ms); });
    return *link;
  }
  bool Open(const std::string& path = kPath) {
    ui.paths.push_back(path);
    return Link().EnsureOpen();
  }

  const ModuleVariant& variant;
  FakeDtl dtl;
  RecordingUi ui;
  std::vector<int> sleeps;
  std::unique_ptr<ModuleLink> link;
};

class ScannerLinkTest : public ModuleLinkTest {
 protected:
  ScannerLinkTest() : ModuleLinkTest(ScannerVariant()) {}
};

// --- Status rule --------------------------------------------------------

TEST_F(ModuleLinkTest, StatusRuleDecidesSuccessCipTextOrDriverText) {
  ASSERT_TRUE(Open());
  struct Case {
    uint32_t status;
    std::string expected;  // empty: success
  } cases[] = {
      {0, ""},
      {0x400, ""},
      {0x500, ""},
      {0x600, ""},
      {0x700, ""},
      {0x401, CipStatusText(0x401, 0x0107)},
      {0x4FF, CipStatusText(0x4FF, 0x0107)},
      {0x4D0, CipStatusText(0x4D0, 0x0107)},
      {0x501, "Dtl error 1281"},
      {0x300, "Dtl error 768"},
      {0x7FF, "Dtl error 2047"},
      {0x800, "Dtl error 2048"},
  };
  for (const auto& c : cases) {
    dtl.forced[dtl.requests.size()] = DtlReply{c.status, 0x0107, 0};
    const LinkResult r = Link().StartEdits();
    EXPECT_EQ(r.Ok(), c.expected.empty()) << std::hex << c.status;
    if (!c.expected.empty()) {
      EXPECT_EQ(r.Error(), c.expected) << std::hex << c.status;
    }
  }
}

TEST_F(ModuleLinkTest, CommandsUseTheirServicePathAndTimeOut) {
  ASSERT_TRUE(Open());
  dtl.requests.clear();
  EXPECT_TRUE(Link().StartEdits().Ok());
  EXPECT_TRUE(Link().StartAutoScan().Ok());
  EXPECT_TRUE(Link().ClearConfig().Ok());
  EXPECT_TRUE(Link().EndConfig().Ok());
  ASSERT_EQ(dtl.requests.size(), 4u);
  const uint8_t services[] = {0x32, 0x34, 0x35, 0x36};
  const uint32_t timeouts[] = {5000, 5000, 5000, 20000};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(dtl.requests[i].service, services[i]);
    EXPECT_EQ(dtl.requests[i].path, (std::vector<uint8_t>{0x01, 0x20, 0xC6}));
    EXPECT_TRUE(dtl.requests[i].data.empty());
    EXPECT_EQ(dtl.requests[i].timeoutMs, timeouts[i]);
    EXPECT_EQ(dtl.requests[i].driverId, 1u);  // "ENET" is the second listed driver
  }
}

// --- Opening -------------------------------------------------------------

TEST_F(ModuleLinkTest, OpeningStartsOpensChecksIdentityAndKeepsThePath) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(dtl.events, (std::vector<std::string>{"StartLibrary", "DriverList 5000",
                                                  "OpenDriver 1 ENET 5000"}));
  ASSERT_EQ(dtl.requests.size(), 1u);
  EXPECT_EQ(dtl.requests[0].service, 0x01);
  EXPECT_EQ(dtl.requests[0].path, (std::vector<uint8_t>{0x02, 0x20, 0x01, 0x24, 0x01}));
  EXPECT_EQ(dtl.requests[0].replyCapacity, 504u);
  EXPECT_TRUE(Link().isOpen());
  EXPECT_TRUE(Link().pathChosen());
  EXPECT_FALSE(Link().identityPending());
  EXPECT_EQ(Link().routeText(), kPath);
  EXPECT_EQ(Link().driverName(), "ENET");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(ui.maxBusyDepth, 1);

  // Open already: no dialog, nothing sent.
  EXPECT_TRUE(Link().EnsureOpen());
  EXPECT_EQ(ui.pathRequests, 1);
  EXPECT_EQ(dtl.requests.size(), 1u);
  EXPECT_EQ(dtl.events.size(), 3u);
}

TEST_F(ModuleLinkTest, LongerProductNameWithTheExpectedStartIsAccepted) {
  dtl.SetIdentity(1733, 1021, "CLX-KRN735-MON rev B");
  EXPECT_TRUE(Open());
}

// Every way an opening fails: the reason in a stop box under the program's
// title, shown after the wait cursor ended, and nothing left started or open.
TEST_F(ModuleLinkTest, FailedOpeningShowsWhyAndReleasesAtOnce) {
  struct Case {
    const char* name;
    std::function<void(FakeDtl&)> setUp;
    std::optional<std::string> path;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"cancelled", [](FakeDtl&) {}, std::nullopt, "Operation Canceled"},
      {"not a path", [](FakeDtl&) {}, std::string("nonsense"),
       "RSLinx Path 'nonsense' names no module; expected DRIVER\\ADDRESS\\Backplane\\SLOT"},
      {"library", [](FakeDtl& d) { d.startCode = 7; }, kPath, "Dtl error 7"},
      {"driver list", [](FakeDtl& d) { d.listCode = 8; }, kPath, "Dtl error 8"},
      {"driver missing",
       [](FakeDtl& d) {
         d.drivers = {"enet", "SIM"};
       },
       kPath, "Drvr Not Found"},
      {"open driver", [](FakeDtl& d) { d.openCode = 9; }, kPath, "Dtl error 9"},
      {"other product", [](FakeDtl& d) { d.SetIdentity(1733, 1020, "CLX-KRN735-MON"); }, kPath,
       "Sentry Module NOT Found at RSLinx Path '" + kPath + "'"},
      {"other vendor", [](FakeDtl& d) { d.SetIdentity(1, 1021, "CLX-KRN735-MON"); }, kPath,
       "Sentry Module NOT Found at RSLinx Path '" + kPath + "'"},
      {"other mode", [](FakeDtl& d) { d.SetIdentity(1733, 1021, "CLX-KRN735-MAS"); }, kPath,
       "Sentry Module is NOT in Monitor Mode"},
      {"short name", [](FakeDtl& d) { d.SetIdentity(1733, 1021, "CLX-KRN735"); }, kPath,
       "Sentry Module is NOT in Monitor Mode"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDtl fresh(variant);
    c.setUp(fresh);
    RecordingUi user;
    user.paths.push_back(c.path);
    {
      ModuleLink l(fresh, variant, user, [](int) {});
      EXPECT_FALSE(l.EnsureOpen());
      EXPECT_FALSE(l.isOpen());
      EXPECT_FALSE(l.pathChosen());
      EXPECT_TRUE(l.routeText().empty());
      ASSERT_EQ(user.messages.size(), 1u);
      EXPECT_EQ(user.messages[0].text, c.expected);
      EXPECT_EQ(user.messages[0].title, "");
      EXPECT_EQ(user.messages[0].buttons, MsgButtons::Ok);
      EXPECT_EQ(user.messages[0].icon, MsgIcon::Stop);
      EXPECT_FALSE(user.busyDuringMessage);
      EXPECT_EQ(user.busyDepth, 0);
      // Released before the link goes away.
      EXPECT_EQ(fresh.libraryStops, fresh.libraryStarts);
      EXPECT_EQ(fresh.driverCloses, fresh.driverOpens);
    }
  }
}

TEST_F(ScannerLinkTest, MonitorProductCodeIsNotFoundWithTheRouteInQuotes) {
  dtl.SetIdentity(1733, 1021, "CLX-KRN735-MON");
  EXPECT_FALSE(Open());
  EXPECT_EQ(ui.Texts(),
            std::vector<std::string>{"Pacer Module NOT Found at RSLinx Path '" + kPath + "'"});
}

TEST_F(ScannerLinkTest, MonitorNameWithScannerCodeIsTheWrongMode) {
  dtl.SetIdentity(1733, 1020, "CLX-KRN735-MON");
  EXPECT_FALSE(Open());
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Pacer Module is NOT in Scanner Mode"});
}

TEST_F(ModuleLinkTest, FailedOpeningAsksForAPathAgainNextTime) {
  ui.paths.push_back(std::nullopt);
  EXPECT_FALSE(Link().EnsureOpen());
  EXPECT_TRUE(Open());
  EXPECT_EQ(ui.pathRequests, 2);
}

// --- Identity ------------------------------------------------------------

TEST_F(ModuleLinkTest, SilentDeviceCostsTwoAttemptsAndTwoWaits) {
  dtl.override = [](const SentRequest&, uint8_t*, std::size_t) {
    return DtlReply{0x1001, 0, 0};  // a transport time-out
  };
  EXPECT_FALSE(Open());
  ASSERT_EQ(dtl.requests.size(), 2u);
  for (const auto& r : dtl.requests) {
    EXPECT_EQ(r.service, 0x01);
    EXPECT_EQ(r.timeoutMs, 5000u);
  }
  EXPECT_EQ(sleeps, (std::vector<int>{1000, 1000}));
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Dtl error 4097"});
}

TEST_F(ModuleLinkTest, SecondIdentityAttemptMaySucceed) {
  dtl.forced[0] = DtlReply{0x401, 0x0204, 0};
  EXPECT_TRUE(Open());
  EXPECT_EQ(dtl.requests.size(), 2u);
  EXPECT_EQ(sleeps, std::vector<int>{1000});
}

TEST_F(ModuleLinkTest, SecondAttemptsTextIsTheOneShown) {
  dtl.forced[0] = DtlReply{0x401, 0x0204, 0};
  dtl.forced[1] = DtlReply{0x408, 0, 0};
  EXPECT_FALSE(Open());
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{CipStatusText(0x408, 0)});
}

TEST_F(ModuleLinkTest, WrongIdentityIsNotRetried) {
  dtl.SetIdentity(1733, 999, "CLX-KRN735-MON");
  EXPECT_FALSE(Open());
  EXPECT_EQ(dtl.requests.size(), 1u);
  EXPECT_TRUE(sleeps.empty());
}

// --- Closing -------------------------------------------------------------

TEST_F(ModuleLinkTest, CloseReleasesForgetsThePathAndChecksTheNextDevice) {
  ASSERT_TRUE(Open());
  Link().Close();
  EXPECT_FALSE(Link().isOpen());
  EXPECT_FALSE(Link().pathChosen());
  EXPECT_TRUE(Link().identityPending());
  EXPECT_TRUE(Link().routeText().empty());
  EXPECT_EQ(dtl.driverCloses, 1);
  EXPECT_EQ(dtl.libraryStops, 1);
  EXPECT_EQ(dtl.events.at(3), "CloseDriver 1 5000");

  // The next opening asks for a path and checks that device too.
  dtl.SetIdentity(1733, 1020, "CLX-KRN735-MAS");
  EXPECT_FALSE(Open());
  EXPECT_EQ(ui.pathRequests, 2);
  EXPECT_EQ(dtl.RequestsOf(0x01).size(), 2u);
}

TEST_F(ModuleLinkTest, CloseOfAClosedLinkTouchesNothing) {
  Link().Close();
  EXPECT_TRUE(dtl.events.empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ModuleLinkTest, FailedDriverCloseIsShownAndTheLinkClosedAnyway) {
  ASSERT_TRUE(Open());
  dtl.closeCode = 12;
  Link().Close();
  EXPECT_FALSE(Link().isOpen());
  EXPECT_EQ(dtl.libraryStops, 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Dtl error 12");
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::Stop);
  Link().Close();
  EXPECT_EQ(dtl.driverCloses, 1);
}

TEST_F(ModuleLinkTest, DestroyingTheLinkReleasesIt) {
  ASSERT_TRUE(Open());
  link.reset();
  EXPECT_EQ(dtl.driverCloses, 1);
  EXPECT_EQ(dtl.libraryStops, 1);
}

// --- Module slot ---------------------------------------------------------

TEST_F(ModuleLinkTest, ModuleSlotReadsTheWholeTrailingNumber) {
  const std::pair<std::string, int> cases[] = {
      {"ENET\\10.0.0.1\\Backplane\\3", 3},   {"ENET\\10.0.0.1\\Backplane\\0", 0},
      {"ENET\\10.0.0.1\\Backplane\\16", 16}, {"ENET\\10.0.0.1\\Backplane\\12", 12},
      {"ENET\\10.0.0.1\\Backplane\\", -1},   {"ENET\\10.0.0.1\\Backplane\\99999999999", -1},
  };
  for (const auto& [path, slot] : cases) {
    SCOPED_TRACE(path);
    Link().Close();
    ui.messages.clear();
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(Link().ModuleSlot(), slot);
    EXPECT_EQ(ui.messages.size(), slot < 0 ? 1u : 0u);
  }
}

TEST_F(ModuleLinkTest, ModuleSlotIsMinusOneWhenTheOpeningFails) {
  ui.paths.push_back(std::nullopt);
  EXPECT_EQ(Link().ModuleSlot(), -1);
}

// --- Writing the image ---------------------------------------------------

TEST_F(ModuleLinkTest, WriteSendsTwentySevenChunksWhoseWordsAddUpToZero) {
  ASSERT_TRUE(Open());
  dtl.requests.clear();
  ConfigImage image = DecodeImage(ModuleImageBytes(variant).data());
  image.CheckPattern = 0;
  image.Checksum = 0x1111;
  const ConfigImage before = image;
  ASSERT_TRUE(Link().WriteConfig(image).Ok());

  ASSERT_EQ(dtl.requests.size(), 27u);
  std::vector<uint8_t> sent;
  for (std::size_t i = 0; i < 27; ++i) {
    const auto& r = dtl.requests[i];
    const std::size_t length = i < 26 ? 256 : 168;
    EXPECT_EQ(r.service, 0x37);
    EXPECT_EQ(r.timeoutMs, 5000u);
    EXPECT_EQ(r.replyCapacity, 480u);
    ASSERT_EQ(r.data.size(), length + 4);
    EXPECT_EQ(GetLe32(r.data.data()), i * 256);
    sent.insert(sent.end(), r.data.begin() + 4, r.data.end());
  }
  ASSERT_EQ(sent.size(), kImageSize);
  EXPECT_EQ(ImageWordSum(sent.data()), 0u);
  EXPECT_EQ(GetLe32(sent.data() + layout::kCheckPattern), variant.checkPattern);
  EXPECT_NE(GetLe32(sent.data() + layout::kChecksum), 0u);

  // The caller's image: the pattern set, the checksum 0, nothing else changed.
  ConfigImage expected = before;
  expected.CheckPattern = variant.checkPattern;
  expected.Checksum = 0;
  EXPECT_EQ(image, expected);
  ASSERT_FALSE(ui.progress.empty());
  EXPECT_EQ(ui.progress.back().done, 27);
  EXPECT_EQ(ui.progress.back().total, 27);
}

TEST_F(ModuleLinkTest, WriteStopsAtTheFailingChunk) {
  ASSERT_TRUE(Open());
  for (std::size_t k : {0u, 13u, 26u}) {
    SCOPED_TRACE(k);
    dtl.requests.clear();
    dtl.forced.clear();
    dtl.forced[k] = DtlReply{0x40C, 0, 0};
    ConfigImage image{};
    const LinkResult r = Link().WriteConfig(image);
    EXPECT_EQ(r.Error(), CipStatusText(0x0C, 0));
    EXPECT_EQ(dtl.requests.size(), k + 1);
    EXPECT_EQ(image.Checksum, 0u);
    EXPECT_EQ(image.CheckPattern, variant.checkPattern);
  }
}

// --- Reading the image ---------------------------------------------------

TEST_F(ModuleLinkTest, ReadAsksForTwentySevenChunksAndClearsTheChecksum) {
  ASSERT_TRUE(Open());
  dtl.requests.clear();
  dtl.moduleImage = ModuleImageBytes(variant);
  ConfigImage image{};
  image.NumRacks = 9;
  ASSERT_TRUE(Link().ReadConfig(image).Ok());

  ASSERT_EQ(dtl.requests.size(), 27u);
  for (std::size_t i = 0; i < 27; ++i) {
    const auto& r = dtl.requests[i];
    const std::size_t length = i < 26 ? 256 : 168;
    EXPECT_EQ(r.service, 0x38);
    ASSERT_EQ(r.data.size(), 8u);
    EXPECT_EQ(GetLe32(r.data.data()), i * 256);
    EXPECT_EQ(GetLe32(r.data.data() + 4), length);
    EXPECT_EQ(r.replyCapacity, length);
  }
  ConfigImage expected = DecodeImage(dtl.moduleImage.data());
  expected.Checksum = 0;
  EXPECT_EQ(image, expected);
}

TEST_F(ModuleLinkTest, ReadFollowsShortRepliesByTheBytesReceived) {
  ASSERT_TRUE(Open());
  dtl.requests.clear();
  dtl.moduleImage = ModuleImageBytes(variant);
  dtl.readChunkLimit = 100;
  ConfigImage image{};
  ASSERT_TRUE(Link().ReadConfig(image).Ok());
  EXPECT_EQ(dtl.requests.size(), 69u);  // ceil(6824 / 100)
  EXPECT_EQ(GetLe32(dtl.requests[1].data.data()), 100u);
  EXPECT_EQ(GetLe32(dtl.requests[1].data.data() + 4), 256u);
  EXPECT_EQ(GetLe32(dtl.requests[68].data.data()), 6800u);
  EXPECT_EQ(GetLe32(dtl.requests[68].data.data() + 4), 24u);
  EXPECT_EQ(image.Racks[15].Tables[kAnalogOutput][11].Length, 0xBEEF);
}

// Every failing read leaves the caller's image all zeros.
TEST_F(ModuleLinkTest, FailedReadReportsAndLeavesTheImageEmpty) {
  struct Case {
    const char* name;
    std::function<void(FakeDtl&)> setUp;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"checksum", [](FakeDtl& d) { d.moduleImage[100] ^= 1; },
       "Lookwell Invalid, CheckSum Invalid"},
      {"other build's pattern",
       [](FakeDtl& d) { d.moduleImage = ModuleImageBytes(ScannerVariant()); },
       "Configuration is empty, Check Pattern Not Found"},
      {"blank module", [](FakeDtl& d) { d.moduleImage.fill(0); },
       "Configuration is empty, Check Pattern Not Found"},
      {"CIP error at chunk 5",
       [](FakeDtl& d) {
         d.forced[d.requests.size() + 5] = DtlReply{0x405, 2, 0};
       },
       CipStatusText(0x05, 2)},
      {"transport error at chunk 0",
       [](FakeDtl& d) {
         d.forced[d.requests.size()] = DtlReply{0x2002, 0, 0};
       },
       "Dtl error 8194"},
      {"empty chunk",
       [](FakeDtl& d) {
         d.forced[d.requests.size() + 3] = DtlReply{0, 0, 0};
       },
       "The module answered the read of configuration bytes 768 to 1023 with 0 bytes; the "
       "configuration was not read"},
      {"oversized chunk",
       [](FakeDtl& d) {
         d.forced[d.requests.size() + 26] = DtlReply{0, 0, 300};
       },
       "The module answered the read of configuration bytes 6656 to 6823 with 300 bytes; the "
       "configuration was not read"},
  };
  ASSERT_TRUE(Open());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dtl.forced.clear();
    dtl.moduleImage = ModuleImageBytes(variant);
    c.setUp(dtl);
    ConfigImage image = DecodeImage(ModuleImageBytes(variant).data());
    const LinkResult r = Link().ReadConfig(image);
    EXPECT_EQ(r.Error(), c.expected);
    EXPECT_EQ(image, ConfigImage{});
  }
}

TEST_F(ScannerLinkTest, ScannerChecksumTextNamesItsOwnProduct) {
  ASSERT_TRUE(Open());
  dtl.moduleImage = ModuleImageBytes(variant);
  dtl.moduleImage[6000] ^= 0x80;
  ConfigImage image{};
  EXPECT_EQ(Link().ReadConfig(image).Error(), "Fernhall Invalid, CheckSum Invalid");
}

TEST_F(ModuleLinkTest, WrittenImageReadsBackUnchanged) {
  ASSERT_TRUE(Open());
  ConfigImage image = DecodeImage(ModuleImageBytes(variant).data());
  image.Checksum = 0;
  StoreModuleName(image, "Line 4");
  const ConfigImage written = image;
  ASSERT_TRUE(Link().WriteConfig(image).Ok());
  ConfigImage back{};
  ASSERT_TRUE(Link().ReadConfig(back).Ok());
  EXPECT_EQ(back, written);
}

// --- Heard configuration -------------------------------------------------

TEST_F(ModuleLinkTest, HeardReadAsksForAttributeTwoAndZeroFillsAShortReply) {
  ASSERT_TRUE(Open());
  dtl.requests.clear();
  dtl.heard = {0x01, 0x00, 0x01, 0x00, 40, 8, 0x31};  // complete, one rack, cut short
  HeardConfig heard{};
  ASSERT_TRUE(Link().ReadHeardConfig(heard).Ok());
  ASSERT_EQ(dtl.requests.size(), 1u);
  EXPECT_EQ(dtl.requests[0].service, 0x0E);
  EXPECT_EQ(dtl.requests[0].path, (std::vector<uint8_t>{0x03, 0x20, 0xC6, 0x24, 0x01, 0x30, 0x02}));
  EXPECT_EQ(dtl.requests[0].replyCapacity, 228u);
  EXPECT_EQ(dtl.requests[0].timeoutMs, 5000u);
  EXPECT_EQ(heard.Status, 1);
  EXPECT_EQ(heard.RackCount, 1);
  EXPECT_EQ(heard.Racks[0].ByteAddress, 40);
  EXPECT_EQ(heard.Racks[0].DLen, 8);
  EXPECT_EQ(heard.Racks[0].SlotCodes[0], 0x31);
  EXPECT_EQ(heard.Racks[0].SlotCodes[1], 0);
  EXPECT_EQ(heard.Racks[15].ByteAddress, 0);
}

TEST_F(ModuleLinkTest, FailedHeardReadReturnsTheStatusText) {
  ASSERT_TRUE(Open());
  dtl.forced[dtl.requests.size()] = DtlReply{0x414, 0, 0};
  HeardConfig heard{};
  EXPECT_EQ(Link().ReadHeardConfig(heard).Error(), CipStatusText(0x14, 0));
}

}  // namespace
}  // namespace krn
