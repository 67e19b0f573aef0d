// The module link and its transactions against a real krnsim over loopback
// TCP, through the real EtherNet/IP client.
#include <gtest/gtest.h>

#include <cstdio>

#include "config/messages.h"
#include "link/cipstatus.h"
#include "link/image_checksum.h"
#include "link_harness.h"

namespace krn::test {
namespace {

#define START_SIM(sim)                           \
  do {                                           \
    ASSERT_TRUE((sim).Start()) << (sim).error(); \
  } while (0)

const MsgIcon kStop = MsgIcon::Stop;

TEST(ModuleLinkE2e, DownloadThenUploadReturnsTheSameImageInBothBuilds) {
  for (const ModuleVariant* variant : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(variant->programName);
    KrnsimProcess sim({"--variant", variant->IsMonitor() ? "monitor" : "scanner", "--slot", "5"});
    START_SIM(sim);
    const ConfigImage sample = SampleImage(*variant);

    ModuleSession down(*variant, sim.Path(5));
    down.document.Image() = sample;
    EXPECT_EQ(down.transactions.DownloadConfig(), TransactionOutcome::Done);
    EXPECT_EQ(down.ui.messages.size(), 1u);  // the clearing question only
    EXPECT_EQ(down.dtl.sent[0x37], 27);

    ModuleSession up(*variant, sim.Path(5));
    EXPECT_EQ(up.transactions.UploadConfig(), TransactionOutcome::Done);
    EXPECT_TRUE(up.ui.messages.empty());
    EXPECT_EQ(up.document.Image(), sample);
    EXPECT_EQ(up.dtl.sent[0x38], 27);
    EXPECT_TRUE(up.document.IsModified());
  }
}

TEST(ModuleLinkE2e, FlashKeepsTheDownloadAcrossARestart) {
  const std::string flash = TempPath("flash.bin");
  std::remove(flash.c_str());
  const ConfigImage sample = SampleImage(MonitorVariant());
  {
    KrnsimProcess sim({"--flash", flash});
    START_SIM(sim);
    ModuleSession down(MonitorVariant(), sim.Path(3));
    down.document.Image() = sample;
    ASSERT_EQ(down.transactions.DownloadConfig(), TransactionOutcome::Done);
  }
  KrnsimProcess sim({"--flash", flash});
  START_SIM(sim);
  ModuleSession up(MonitorVariant(), sim.Path(3));
  EXPECT_EQ(up.transactions.UploadConfig(), TransactionOutcome::Done);
  EXPECT_EQ(up.document.Image(), sample);
  std::remove(flash.c_str());
}

TEST(ModuleLinkE2e, AutoConfigurationBuildsTheRacksOfTheHeardFile) {
  HeardConfig heard{};
  heard.Status = 1;
  heard.RackCount = 2;
  heard.Racks[0] = {8, 5, {0x31, 0x0F, 0, 0, 0, 0}, {}};                    // A 8 bits, B 16, C 32
  heard.Racks[1] = {100, 4, {0x33, 0, 0, 0, 0, 0}, {0x10, 0, 0, 0, 0, 0}};  // A 16, B analog 16
  const std::string file = TempPath("heard.bin");
  uint8_t bytes[kHeardConfigSize];
  EncodeHeardConfig(heard, bytes);
  WriteBytes(file, bytes, sizeof bytes);

  KrnsimProcess sim({"--variant", "scanner", "--slot", "4", "--heard", file, "--scan-polls", "3"});
  START_SIM(sim);
  ModuleSession s(ScannerVariant(), sim.Path(4));
  s.document.Image() = SampleImage(ScannerVariant());
  EXPECT_EQ(s.transactions.StartAutoConfiguration(), TransactionOutcome::Done);
  EXPECT_EQ(s.dtl.sent[0x0E], 3);
  EXPECT_EQ(s.heard, heard);

  const ConfigImage& image = s.document.Image();
  ASSERT_EQ(image.NumRacks, 2u);
  EXPECT_EQ(ImageName(image), "Auto_Scan");
  EXPECT_EQ(image.Racks[0].ByteAddress, 8);
  EXPECT_EQ(image.Racks[0].DLen, 5);
  EXPECT_EQ(std::vector<int>(image.Racks[0].DSlotLen.begin(), image.Racks[0].DSlotLen.begin() + 4),
            (std::vector<int>{1, 2, 4, 0}));
  EXPECT_EQ(image.Racks[1].ByteAddress, 100);
  EXPECT_EQ(image.Racks[1].DSlotLen[1], 2);
  EXPECT_EQ(image.Racks[1].ASlotLen[1], 16);
  EXPECT_EQ(image.Racks[1].ASlotLen[0], 0);
  EXPECT_EQ(image.Racks[1].ALen, 16);
  EXPECT_EQ(image.Racks[1].IOTypeArray[0], kDirUndefined);
  EXPECT_TRUE(s.document.IsModified());
  EXPECT_EQ(s.host.treeRebuilds, 1);
  std::remove(file.c_str());
}

TEST(ModuleLinkE2e, IdentityCheckRefusesAnotherProductAndTheOtherMode) {
  struct Case {
    std::vector<std::string> options;
    std::string expected;  // %s: the path
  };
  const Case cases[] = {
      {{"--product-code", "999"}, "Sentry Module NOT Found at RSLinx Path '%s'"},
      {{"--variant", "scanner"}, "Sentry Module NOT Found at RSLinx Path '%s'"},
      {{"--product-name", "CLX-KRN735-MAS"}, "Sentry Module is NOT in Monitor Mode"},
  };
  for (const auto& c : cases) {
    KrnsimProcess sim(c.options);
    START_SIM(sim);
    ModuleSession s(MonitorVariant(), sim.Path(3));
    s.document.Image() = SampleImage(MonitorVariant());
    const ConfigImage before = s.document.Image();
    EXPECT_EQ(s.transactions.UploadConfig(), TransactionOutcome::Cancelled);
    std::string expected = c.expected;
    if (auto at = expected.find("%s"); at != std::string::npos)
      expected.replace(at, 2, sim.Path(3));
    EXPECT_EQ(s.ui.Texts(), std::vector<std::string>{expected});
    EXPECT_EQ(s.ui.messages[0].icon, kStop);
    EXPECT_FALSE(s.link.isOpen());
    EXPECT_EQ(s.document.Image(), before);
    EXPECT_EQ(s.dtl.sent[0x01], 1);  // an answer is not retried
  }
}

TEST(ModuleLinkE2e, EmptySlotIsReportedByTheBackplane) {
  KrnsimProcess sim({"--slot", "3"});
  START_SIM(sim);
  ModuleSession s(MonitorVariant(), sim.Path(7));
  EXPECT_FALSE(s.link.EnsureOpen());
  ASSERT_EQ(s.ui.messages.size(), 1u);
  EXPECT_EQ(s.dtl.sent[0x01], 2);
  EXPECT_NE(s.ui.messages[0].text.find("General Status"), std::string::npos)
      << s.ui.messages[0].text;
}

TEST(ModuleLinkE2e, CipErrorAtAWriteChunkStopsTheDownload) {
  KrnsimProcess sim({"--fail", "0x37:5:0x09:12"});
  START_SIM(sim);
  ModuleSession s(MonitorVariant(), sim.Path(3));
  s.document.Image() = SampleImage(MonitorVariant());
  EXPECT_EQ(s.transactions.DownloadConfig(), TransactionOutcome::Failed);
  EXPECT_EQ(s.dtl.sent[0x37], 5);
  EXPECT_EQ(s.dtl.sent[0x36], 0);
  ASSERT_EQ(s.ui.messages.size(), 2u);
  EXPECT_EQ(s.ui.messages[1].text, CipStatusText(0x409, 12));
  EXPECT_EQ(s.ui.messages[1].title, "Write Sentry Configuration");
  EXPECT_EQ(s.ui.messages[1].icon, kStop);
  EXPECT_EQ(s.document.Image(), SampleImage(MonitorVariant()));
}

// A dropped connection and a module that never answers: a clear report
// within the time-outs, the document intact, and the link usable afterwards.
TEST(ModuleLinkE2e, DroppedConnectionFailsTheStepAndTheLinkRecovers) {
  KrnsimProcess sim({"--drop", "0x37:3"});
  START_SIM(sim);
  ModuleSession s(MonitorVariant(), sim.Path(3));
  s.document.Image() = SampleImage(MonitorVariant());
  EXPECT_EQ(s.transactions.DownloadConfig(), TransactionOutcome::Failed);
  ASSERT_EQ(s.ui.messages.size(), 2u);
  EXPECT_EQ(s.ui.messages[1].title, "Write Sentry Configuration");
  EXPECT_NE(s.ui.messages[1].text.find(sim.Address()), std::string::npos) << s.ui.messages[1].text;
  EXPECT_EQ(s.document.Image(), SampleImage(MonitorVariant()));
  EXPECT_EQ(s.dtl.sent[0x36], 0);

  // The next command on the same link goes through; the module had been
  // cleared and never received its End, so it holds no configuration.
  EXPECT_TRUE(s.link.isOpen());
  EXPECT_EQ(s.transactions.UploadConfig(), TransactionOutcome::Failed);
  EXPECT_EQ(s.ui.messages.back().text, "Configuration is empty, Check Pattern Not Found");
  s.document.Image() = SampleImage(MonitorVariant());
  EXPECT_EQ(s.transactions.DownloadConfig(), TransactionOutcome::Done);
  EXPECT_EQ(s.transactions.UploadConfig(), TransactionOutcome::Done);
  EXPECT_EQ(s.document.Image(), SampleImage(MonitorVariant()));
}

TEST(ModuleLinkE2e, SilentModuleTimesOutWithAClearErrorAndNothingStale) {
  const std::string flash = TempPath("silent_flash.bin");
  ImageBytes stored = EncodeImage(SampleImage(MonitorVariant()));
  SealImageChecksum(stored.data());
  WriteBytes(flash, stored.data(), stored.size());

  KrnsimProcess sim({"--silent", "0x38:2", "--flash", flash});
  START_SIM(sim);
  ModuleSession s(MonitorVariant(), sim.Path(3));
  EXPECT_EQ(s.transactions.UploadConfig(), TransactionOutcome::Failed);
  ASSERT_EQ(s.ui.messages.size(), 1u);
  EXPECT_EQ(s.ui.messages[0].title, "Read Module Configuration");
  EXPECT_NE(s.ui.messages[0].text.find(sim.Address()), std::string::npos) << s.ui.messages[0].text;
  EXPECT_EQ(s.dtl.sent[0x38], 2);
  EXPECT_EQ(s.document.Image().NumRacks, 0u);

  // A second upload reads the whole image, with no reply of the first mixed in.
  EXPECT_EQ(s.transactions.UploadConfig(), TransactionOutcome::Done);
  EXPECT_EQ(s.document.Image(), SampleImage(MonitorVariant()));
  std::remove(flash.c_str());
}

TEST(ModuleLinkE2e, ScanThatNeverCompletesTimesOutAfterExactlyTwoHundredReads) {
  KrnsimProcess sim({"--scan-polls", "0"});
  START_SIM(sim);
  ModuleSession s(MonitorVariant(), sim.Path(3));
  EXPECT_EQ(s.transactions.StartAutoConfiguration(), TransactionOutcome::Failed);
  EXPECT_EQ(s.dtl.sent[0x0E], 200);
  ASSERT_EQ(s.ui.messages.size(), 2u);
  EXPECT_EQ(s.ui.messages[1].text, "Timeout Waiting for Auto-Scan");
  EXPECT_EQ(s.ui.messages[1].title, "KRN Monitor AutoScan");
  EXPECT_EQ(s.ui.messages[1].icon, kStop);
  EXPECT_EQ(s.document.Image().NumRacks, 0u);
}

TEST(ModuleLinkE2e, UploadRefusesABadChecksumAndTheOtherBuildsPattern) {
  struct Case {
    const char* name;
    ImageBytes flash;
    std::string expected;
  };
  ImageBytes badSum = EncodeImage(SampleImage(MonitorVariant()));
  SealImageChecksum(badSum.data());
  badSum[500] ^= 0x10;
  ImageBytes scannerImage = EncodeImage(SampleImage(ScannerVariant()));
  SealImageChecksum(scannerImage.data());
  const Case cases[] = {
      {"checksum", badSum, "Lookwell Invalid, CheckSum Invalid"},
      {"pattern", scannerImage, "Configuration is empty, Check Pattern Not Found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string flash = TempPath(std::string(c.name) + ".bin");
    WriteBytes(flash, c.flash.data(), c.flash.size());
    KrnsimProcess sim({"--flash", flash});
    START_SIM(sim);
    ModuleSession s(MonitorVariant(), sim.Path(3));
    s.document.Image() = SampleImage(MonitorVariant());
    EXPECT_EQ(s.transactions.UploadConfig(), TransactionOutcome::Failed);
    ASSERT_EQ(s.ui.messages.size(), 1u);
    EXPECT_EQ(s.ui.messages[0].text, c.expected);
    EXPECT_EQ(s.ui.messages[0].title, "Read Module Configuration");
    EXPECT_EQ(s.ui.messages[0].icon, MsgIcon::None);
    ConfigImage empty{};
    empty.CfgId = 0xFFFFFFFF;
    EXPECT_EQ(s.document.Image(), empty);
    EXPECT_TRUE(s.document.IsModified());
    std::remove(flash.c_str());
  }
}

TEST(ModuleLinkE2e, OneConnectionAndOneSessionServeEveryRequestOfAnOpenLink) {
  KrnsimProcess sim;
  START_SIM(sim);
  ModuleSession s(MonitorVariant(), sim.Path(3));
  s.document.Image() = SampleImage(MonitorVariant());
  ASSERT_EQ(s.transactions.DownloadConfig(), TransactionOutcome::Done);
  ASSERT_EQ(s.transactions.UploadConfig(), TransactionOutcome::Done);
  EXPECT_EQ(s.link.ModuleSlot(), 3);
  const auto stats = s.dtl.real.Stats();
  EXPECT_EQ(stats.connects, 1);
  EXPECT_EQ(stats.registrations, 1);
  EXPECT_EQ(stats.requests, 1 + 30 + 27);
}

}  // namespace
}  // namespace krn::test
