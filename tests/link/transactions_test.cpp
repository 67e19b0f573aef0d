#include "link/transactions.h"

#include <gtest/gtest.h>

#include "config/messages.h"
#include "fake_dtl.h"
#include "link/cipstatus.h"
#include "link/image_checksum.h"
#include "support/recording_ui.h"

namespace krn {
namespace {

using test::FakeDtl;
using test::RecordingUi;

const std::string kPath = "ENET\\127.0.0.1\\Backplane\\3";

class FakeHost : public TransactionHost {
 public:
  explicit FakeHost(ConfigDocument& document) : document_(document) {}
  int newFiles = 0, treeRebuilds = 0, exportEnables = 0;
  bool allowNewFile = true;

  bool NewFileKeepingLink() override {
    ++newFiles;
    if (!allowNewFile) return false;
    ClearImage(document_.Image(), document_.Variant());
    document_.SetModified(false);
    return true;
  }
  void RebuildTree() override { ++treeRebuilds; }
  void EnableExportTags() override { ++exportEnables; }

 private:
  ConfigDocument& document_;
};

// One rack with a digital input in slot A and an analog output in slot C,
// both with a direction and a ControlLogix address.
ConfigImage CompleteImage(const ModuleVariant& variant) {
  ConfigImage image{};
  ClearImage(image, variant);
  image.NumRacks = 1;
  RackRecord& rack = image.Racks[0];
  rack.ByteAddress = 10;
  rack.DLen = 3;
  rack.ALen = 16;
  rack.DSlotLen[0] = 1;
  rack.IOTypeArray[0] = kDirInput;
  rack.DSlotLen[2] = 2;
  rack.ASlotLen[2] = 16;
  rack.IOTypeArray[2] = kDirOutput;
  rack.DigitalInputTable()[0] = {kAreaInput, 0, 2, 0, 1};
  rack.AnalogOutputTable()[0] = {variant.outputArea, 0, 0, 1, 16};
  for (int s = 0; s < kSlotsPerRack; ++s)
    if (rack.DSlotLen[s] == 0) rack.IOTypeArray[s] = kDirUndefined;
  StoreModuleName(image, "Press line");
  UpdateCfgId(image);
  return image;
}

HeardConfig HeardTwoRacks(bool complete) {
  HeardConfig heard{};
  heard.Status = complete ? 1 : 0;
  heard.RackCount = 2;
  heard.Racks[0].ByteAddress = 0;
  heard.Racks[0].DLen = 3;
  heard.Racks[0].SlotCodes = {0x31, 0x00, 0, 0, 0, 0};  // A: 1 byte, B: 2 bytes
  heard.Racks[1].ByteAddress = 16;
  heard.Racks[1].DLen = 2;
  heard.Racks[1].SlotCodes = {0x03, 0, 0, 0, 0, 0};  // A: analog, 2 bytes
  heard.Racks[1].SlotAnalog = {0x01, 0, 0, 0, 0, 0};
  return heard;
}

std::vector<uint8_t> HeardBytes(const HeardConfig& heard) {
  std::vector<uint8_t> bytes(kHeardConfigSize);
  EncodeHeardConfig(heard, bytes.data());
  return bytes;
}

class TransactionsTest : public ::testing::Test {
 protected:
  explicit TransactionsTest(const ModuleVariant& v = MonitorVariant())
      : variant(v),
        dtl(v),
        document(v, ui),
        host(document),
        link(dtl, v, ui, [this](int ms) { sleeps.push_back(ms); }),
        transactions(link, document, host, heard, [this](int ms) { sleeps.push_back(ms); }) {
    ui.paths.push_back(kPath);
  }

  // Opens the link beforehand, so that a test sees only its own requests.
  void OpenLink() {
    ASSERT_TRUE(link.EnsureOpen());
    dtl.requests.clear();
    sleeps.clear();
  }
  std::vector<uint8_t> Services() const {
    std::vector<uint8_t> s;
    for (const auto& r : dtl.requests) s.push_back(r.service);
    return s;
  }

  const ModuleVariant& variant;
  FakeDtl dtl;
  RecordingUi ui;
  ConfigDocument document;
  FakeHost host;
  HeardConfig heard{};
  std::vector<int> sleeps;
  ModuleLink link;
  ModuleTransactions transactions;
};

class ScannerTransactionsTest : public TransactionsTest {
 protected:
  ScannerTransactionsTest() : TransactionsTest(ScannerVariant()) {}
};

// --- Upload --------------------------------------------------------------

TEST_F(TransactionsTest, UploadReplacesTheDocumentWithTheModulesImage) {
  ConfigImage moduleImage = CompleteImage(variant);
  dtl.moduleImage = EncodeImage(moduleImage);
  SealImageChecksum(dtl.moduleImage.data());

  EXPECT_EQ(transactions.UploadConfig(), TransactionOutcome::Done);
  EXPECT_EQ(document.Image(), moduleImage);
  EXPECT_TRUE(document.IsModified());
  EXPECT_EQ(host.treeRebuilds, 1);
  EXPECT_EQ(host.exportEnables, 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(TransactionsTest, UploadOfAnIncompleteConfigurationLeavesExportTagsAlone) {
  ConfigImage moduleImage = CompleteImage(variant);
  moduleImage.Racks[0].IOTypeArray[0] = kDirUndefined;
  dtl.moduleImage = EncodeImage(moduleImage);
  SealImageChecksum(dtl.moduleImage.data());
  EXPECT_EQ(transactions.UploadConfig(), TransactionOutcome::Done);
  EXPECT_EQ(host.exportEnables, 0);
}

TEST_F(TransactionsTest, CancelledOpeningLeavesTheDocumentAndItsViewAsTheyWere) {
  ui.paths = {std::nullopt};
  document.Image() = CompleteImage(variant);
  const ConfigImage before = document.Image();
  EXPECT_EQ(transactions.UploadConfig(), TransactionOutcome::Cancelled);
  EXPECT_EQ(document.Image(), before);
  EXPECT_FALSE(document.IsModified());
  EXPECT_EQ(host.treeRebuilds, 0);
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Operation Canceled"});
}

TEST_F(TransactionsTest, FailedUploadReportsAndLeavesAnEmptyModifiedDocument) {
  dtl.moduleImage = EncodeImage(CompleteImage(variant));  // no checksum word
  document.Image() = CompleteImage(variant);
  EXPECT_EQ(transactions.UploadConfig(), TransactionOutcome::Failed);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Lookwell Invalid, CheckSum Invalid");
  EXPECT_EQ(ui.messages[0].title, "Read Module Configuration");
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
  EXPECT_FALSE(ui.busyDuringMessage);
  ConfigImage empty{};
  empty.CfgId = 0xFFFFFFFF;
  EXPECT_EQ(document.Image(), empty);
  EXPECT_TRUE(document.IsModified());
  EXPECT_EQ(host.treeRebuilds, 1);
  EXPECT_EQ(host.exportEnables, 0);
  EXPECT_EQ(ui.busyDepth, 0);
}

// --- Download ------------------------------------------------------------

TEST_F(TransactionsTest, DownloadRefusesIncompleteConfigurationsBeforeOpening) {
  struct Case {
    const char* name;
    std::function<void(ConfigImage&)> change;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"new configuration", [](ConfigImage& i) { i = ConfigImage{}; },
       std::string(msg::kConfigurationEmpty)},
      {"last rack deleted",
       [](ConfigImage& i) {
         i.NumRacks = 0;
         i.CfgId = 0xFFFFFFFF;
       },
       std::string(msg::kDirectionsMissing)},
      {"direction missing, address too",
       [](ConfigImage& i) {
         i.Racks[0].IOTypeArray[2] = kDirUndefined;
         i.Racks[0].AnalogOutputTable()[0] = {};
       },
       std::string(msg::kDirectionsMissing)},
      {"address missing", [](ConfigImage& i) { i.Racks[0].DigitalInputTable()[0] = {}; },
       msg::AddressesMissing(variant)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    document.Image() = CompleteImage(variant);
    c.change(document.Image());
    EXPECT_EQ(transactions.DownloadConfig(), TransactionOutcome::Refused);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, c.expected);
    EXPECT_EQ(ui.messages[0].title, "");
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
  }
  EXPECT_EQ(ui.pathRequests, 0);
  EXPECT_TRUE(dtl.events.empty());
}

TEST_F(TransactionsTest, DownloadAsksFirstAndSendsNothingOnCancel) {
  document.Image() = CompleteImage(variant);
  ui.answers.push_back(MsgResult::Cancel);
  EXPECT_EQ(transactions.DownloadConfig(), TransactionOutcome::Cancelled);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, msg::ClearModuleQuestion(variant));
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(ui.pathRequests, 0);
  EXPECT_TRUE(dtl.requests.empty());
}

TEST_F(TransactionsTest, DownloadSendsEditsClearImageAndEndIntoTheModule) {
  document.Image() = CompleteImage(variant);
  const ConfigImage before = document.Image();
  OpenLink();
  EXPECT_EQ(transactions.DownloadConfig(), TransactionOutcome::Done);
  std::vector<uint8_t> expected = {0x32, 0x35};
  expected.insert(expected.end(), 27, 0x37);
  expected.push_back(0x36);
  EXPECT_EQ(Services(), expected);
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{msg::ClearModuleQuestion(variant)});
  ConfigImage stored = DecodeImage(dtl.moduleImage.data());
  EXPECT_EQ(ImageWordSum(dtl.moduleImage.data()), 0u);
  stored.Checksum = 0;
  EXPECT_EQ(stored, before);
  EXPECT_FALSE(document.IsModified());
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(ScannerTransactionsTest, DownloadReportsTheFailingStepUnderItsTitle) {
  struct Case {
    std::size_t failingRequest;  // 0 StartEdits, 1 Clear, 2.. chunks, 29 End
    std::string title;
    MsgIcon icon;
  };
  const Case cases[] = {
      {0, "Start Edits", MsgIcon::Stop},
      {1, "Clear Pacer Configuration", MsgIcon::None},
      {2, "Write Pacer Configuration", MsgIcon::Stop},
      {9, "Write Pacer Configuration", MsgIcon::Stop},
      {28, "Write Pacer Configuration", MsgIcon::Stop},
      {29, "End Pacer Configuration", MsgIcon::Stop},
  };
  document.Image() = CompleteImage(variant);
  OpenLink();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failingRequest);
    dtl.requests.clear();
    dtl.forced.clear();
    ui.messages.clear();
    dtl.forced[c.failingRequest] = DtlReply{0x40F, 0, 0};
    EXPECT_EQ(transactions.DownloadConfig(), TransactionOutcome::Failed);
    EXPECT_EQ(dtl.requests.size(), c.failingRequest + 1);  // nothing after the failure
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, CipStatusText(0x0F, 0));
    EXPECT_EQ(ui.messages[1].title, c.title);
    EXPECT_EQ(ui.messages[1].buttons, MsgButtons::Ok);
    EXPECT_EQ(ui.messages[1].icon, c.icon);
    EXPECT_FALSE(ui.busyDuringMessage);
    EXPECT_EQ(ui.busyDepth, 0);
  }
  EXPECT_TRUE(link.isOpen());  // the link stays open after a failed command
}

// --- Auto configuration --------------------------------------------------

TEST_F(TransactionsTest, AutoConfigurationBuildsTheHeardRacks) {
  dtl.heard = HeardBytes(HeardTwoRacks(true));
  document.Image() = CompleteImage(variant);
  EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Done);
  EXPECT_EQ(host.newFiles, 1);
  EXPECT_EQ(Services(), (std::vector<uint8_t>{0x01, 0x35, 0x34, 0x0E}));
  EXPECT_EQ(sleeps, std::vector<int>{200});  // complete at the first read: no poll wait
  const ConfigImage& image = document.Image();
  EXPECT_EQ(image.NumRacks, 2u);
  EXPECT_EQ(ImageName(image), "Auto_Scan");
  EXPECT_EQ(image.Racks[0].DSlotLen[1], 2);
  EXPECT_EQ(image.Racks[1].ASlotLen[0], 16);
  EXPECT_EQ(image.Racks[1].ByteAddress, 16);
  EXPECT_EQ(heard, HeardTwoRacks(true));
  EXPECT_EQ(host.treeRebuilds, 1);
  EXPECT_TRUE(document.IsModified());
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{msg::ClearModuleQuestion(variant)});
}

TEST_F(TransactionsTest, AutoConfigurationPollsUntilTheScanCompletes) {
  OpenLink();
  int reads = 0;
  dtl.override = [&](const test::SentRequest& r, uint8_t* reply, std::size_t cap) {
    if (r.service != 0x0E) return DtlReply{};
    const auto bytes = HeardBytes(HeardTwoRacks(++reads == 4));
    std::copy_n(bytes.begin(), cap, reply);
    return DtlReply{0, 0, cap};
  };
  EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Done);
  EXPECT_EQ(reads, 4);
  EXPECT_EQ(sleeps, (std::vector<int>{200, 300, 300, 300}));
  ASSERT_EQ(ui.progress.size(), 3u);
  EXPECT_TRUE(ui.progress[0].cancellable);
  EXPECT_EQ(ui.progress[0].text, "Waiting for the Sentry's auto-scan, 60 s left");
  EXPECT_EQ(document.Image().NumRacks, 2u);
}

TEST_F(ScannerTransactionsTest, ScanThatNeverCompletesTimesOutAfterTwoHundredReads) {
  dtl.heard = HeardBytes(HeardTwoRacks(false));
  OpenLink();
  EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Failed);
  EXPECT_EQ(dtl.RequestsOf(0x0E).size(), 200u);
  std::vector<int> expected = {200};
  expected.insert(expected.end(), 200, 100);
  EXPECT_EQ(sleeps, expected);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, "Timeout Waiting for Auto-Scan");
  EXPECT_EQ(ui.messages[1].title, "KRN Master AutoScan");
  EXPECT_EQ(ui.messages[1].icon, MsgIcon::Stop);
  EXPECT_FALSE(ui.busyDuringMessage);
  EXPECT_EQ(document.Image().NumRacks, 0u);
  EXPECT_EQ(host.treeRebuilds, 0);
}

TEST_F(TransactionsTest, CancelledWaitStopsPolling) {
  dtl.heard = HeardBytes(HeardTwoRacks(false));
  ui.cancelProgressAfter = 5;
  OpenLink();
  EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Cancelled);
  EXPECT_EQ(dtl.RequestsOf(0x0E).size(), 6u);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, "Operation Canceled");
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(TransactionsTest, AutoConfigurationReportsTheFailingStep) {
  struct Case {
    std::size_t failingRequest;  // 0 Clear, 1 StartAutoScan, 2 first heard read
    std::string title;
    MsgIcon icon;
  };
  const Case cases[] = {
      {0, "Clear Sentry Configuration", MsgIcon::None},
      {1, "Sentry Auto-Scan network", MsgIcon::None},
      {2, "Read Heard Sentry Configuration", MsgIcon::Stop},
  };
  OpenLink();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failingRequest);
    dtl.requests.clear();
    dtl.forced.clear();
    ui.messages.clear();
    dtl.forced[c.failingRequest] = DtlReply{0x410, 0, 0};
    EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Failed);
    EXPECT_EQ(dtl.requests.size(), c.failingRequest + 1);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, CipStatusText(0x10, 0));
    EXPECT_EQ(ui.messages[1].title, c.title);
    EXPECT_EQ(ui.messages[1].icon, c.icon);
    EXPECT_FALSE(ui.busyDuringMessage);
  }
}

TEST_F(TransactionsTest, CancelledQuestionOrNewFileLeaveTheDocumentUntouched) {
  document.Image() = CompleteImage(variant);
  document.SetModified();
  const ConfigImage before = document.Image();
  ui.answers.push_back(MsgResult::Cancel);
  EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Cancelled);
  EXPECT_EQ(host.newFiles, 0);

  host.allowNewFile = false;
  EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Cancelled);
  EXPECT_EQ(host.newFiles, 1);
  EXPECT_EQ(document.Image(), before);
  EXPECT_TRUE(document.IsModified());
  EXPECT_EQ(ui.pathRequests, 0);
  EXPECT_TRUE(dtl.requests.empty());
}

TEST_F(TransactionsTest, HeardRecordWithOverlapLeavesTheNewEmptyConfiguration) {
  HeardConfig overlapping = HeardTwoRacks(true);
  overlapping.Racks[1].ByteAddress = 2;
  dtl.heard = HeardBytes(overlapping);
  OpenLink();
  EXPECT_EQ(transactions.StartAutoConfiguration(), TransactionOutcome::Done);
  EXPECT_EQ(document.Image().NumRacks, 0u);
  EXPECT_EQ(host.treeRebuilds, 0);
  EXPECT_TRUE(document.IsModified());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, msg::CardFileOverlaps(16));
  EXPECT_FALSE(ui.busyDuringMessage);
}

}  // namespace
}  // namespace krn
