#include "config/document.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/configfile.h"
#include "config/messages.h"
#include "sample_config.h"
#include "support/recording_ui.h"
#include "temp_dir.h"

namespace krn {
namespace {

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.disableExportTags = [this] { ++disabled; };
    doc.enableExportTags = [this] { ++enabled; };
    doc.closeModuleLink = [this] { ++linkClosed; };
  }

  // A document holding the sample configuration, modified, not yet saved.
  void Edit(const ConfigImage& image = test::SampleImage(MonitorVariant())) {
    doc.Image() = image;
    doc.SetModified();
  }

  void ExpectOneMessage(const std::string& text) {
    ASSERT_EQ(ui.messages.size(), 1u) << (ui.messages.empty() ? "" : ui.messages.back().text);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
    ui.messages.clear();
  }

  test::TempDir dir;
  test::RecordingUi ui;
  ConfigDocument doc{MonitorVariant(), ui};
  int disabled = 0;
  int enabled = 0;
  int linkClosed = 0;
};

TEST_F(DocumentTest, NewIsTheEmptyUntitledConfiguration) {
  Edit();
  ASSERT_TRUE(doc.SaveConfiguration(dir.Path("a.lkw")));
  EXPECT_TRUE(doc.NewConfiguration());
  ConfigImage empty;
  ClearImage(empty, MonitorVariant());
  EXPECT_EQ(doc.Image(), empty);
  EXPECT_EQ(doc.Image().CfgId, 0u);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.Title(), "Untitled");
  EXPECT_EQ(doc.FilePath(), "");
  EXPECT_EQ(disabled, 1);
}

TEST_F(DocumentTest, SaveAndOpenKeepTheConfigurationAndItsSignature) {
  Edit();
  const std::string path = dir.Path("line7.lkw");
  ASSERT_TRUE(doc.SaveConfiguration(path));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.Title(), "line7.lkw");
  EXPECT_EQ(test::FileText(path), ConfigFileText(test::SampleImage(MonitorVariant())));

  // Whatever was open before, the file gives the same image.
  test::RecordingUi ui2;
  ConfigDocument other(MonitorVariant(), ui2);
  int enabled2 = 0;
  other.enableExportTags = [&] { ++enabled2; };
  std::mt19937 rng(5);
  other.Image() = test::RandomImage(MonitorVariant(), rng);
  other.SetModified();
  ASSERT_TRUE(other.OpenConfiguration(path));
  EXPECT_EQ(other.Image(), test::SampleImage(MonitorVariant()));
  EXPECT_FALSE(other.IsModified());
  EXPECT_FALSE(other.LastFormatError());
  EXPECT_EQ(other.FilePath(), path);
  EXPECT_EQ(enabled2, 1);  // every slot has a direction and an address
  EXPECT_TRUE(ui2.messages.empty());

  // Export Tags stays as it was for a configuration without addresses.
  ConfigImage noAddresses = test::SampleImage(MonitorVariant());
  noAddresses.Racks[0].Tables = {};
  UpdateCfgId(noAddresses);
  test::WriteText(path, ConfigFileText(noAddresses));
  ASSERT_TRUE(doc.OpenConfiguration(path));
  EXPECT_EQ(enabled, 0);
  EXPECT_EQ(linkClosed, 1);
  EXPECT_EQ(doc.Image(), noAddresses);
}

TEST_F(DocumentTest, EmptyFileOpensAsTheEmptyConfiguration) {
  Edit();
  test::WriteText(dir.Path("empty.lkw"), "");
  ASSERT_TRUE(doc.OpenConfiguration(dir.Path("empty.lkw")));
  EXPECT_EQ(doc.Image().NumRacks, 0u);
  EXPECT_EQ(doc.Image().CfgId, 0u);
  EXPECT_EQ(doc.Title(), "empty.lkw");
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DocumentTest, FileThatCannotBeOpenedLeavesTheDocumentAsItWas) {
  test::WriteText(dir.Path("plain"), "x");
  std::filesystem::create_directory(dir.Path("folder.lkw"));
  const std::pair<std::string, std::string> cases[] = {
      {dir.Path("missing.lkw"), dir.Path("missing.lkw") + " was not found."},
      {dir.Path("folder.lkw"), "Access to " + dir.Path("folder.lkw") + " was denied."},
      {dir.Path("plain/x.lkw"), dir.Path("plain/x.lkw") + " contains an invalid path."},
  };
  Edit();
  for (const auto& [path, text] : cases) {
    EXPECT_FALSE(doc.OpenConfiguration(path));
    ExpectOneMessage(text);
    EXPECT_EQ(doc.Image(), test::SampleImage(MonitorVariant()));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.Title(), "Untitled");
  }
  EXPECT_EQ(linkClosed, 0);
}

TEST_F(DocumentTest, ReadFailingPartWayLeavesTheEmptyUntitledConfiguration) {
  // Reading a process's memory at address 0 fails with an I/O error.
  const std::string path = "/proc/self/mem";
  if (::access(path.c_str(), R_OK) != 0) GTEST_SKIP() << "no " << path;
  Edit();
  ASSERT_TRUE(doc.SaveConfiguration(dir.Path("a.lkw")));
  Edit();
  EXPECT_FALSE(doc.OpenConfiguration(path));
  ExpectOneMessage("A hardware I/O error was reported while accessing /proc/self/mem.");
  ConfigImage empty;
  ClearImage(empty, MonitorVariant());
  EXPECT_EQ(doc.Image(), empty);
  EXPECT_EQ(doc.Title(), "Untitled");
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, FormatErrorIsReportedAndTheOpenKeepsWhatWasRead) {
  std::string text = ConfigFileText(test::SampleImage(MonitorVariant()));
  text.resize(text.find("Byte Address: 250") + 40);  // the second rack cut short
  test::WriteText(dir.Path("cut.lkw"), text);
  ASSERT_TRUE(doc.OpenConfiguration(dir.Path("cut.lkw")));
  ExpectOneMessage(std::string(msg::kFileFormatError));
  EXPECT_TRUE(doc.LastFormatError());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.Title(), "cut.lkw");
  EXPECT_EQ(doc.Image().NumRacks, 2u);
  EXPECT_EQ(doc.Image().Racks[0], test::SampleImage(MonitorVariant()).Racks[0]);
  EXPECT_EQ(doc.Image().Racks[1].ByteAddress, 250);
  ConfigImage recomputed = doc.Image();
  EXPECT_EQ(UpdateCfgId(recomputed), doc.Image().CfgId);
}

TEST_F(DocumentTest, FailedSaveIsReportedAndLeavesNoFileBehind) {
  std::filesystem::create_directory(dir.Path("folder.lkw"));
  const std::pair<std::string, std::string> cases[] = {
      {dir.Path("folder.lkw"), "Access to " + dir.Path("folder.lkw") + " was denied."},
      {dir.Path("no/such/dir.lkw"), dir.Path("no/such/dir.lkw") + " contains an invalid path."},
      {"", "Invalid filename."},
  };
  Edit();
  for (const auto& [path, text] : cases) {
    EXPECT_FALSE(doc.SaveConfiguration(path, true));
    ExpectOneMessage(text);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.FilePath(), "");
  }
  EXPECT_EQ(dir.Listing(), "folder.lkw;");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path("folder.lkw")));
}

// A write that fails part way (here: the file size limit) leaves the old
// file byte for byte and no temporary file.
TEST_F(DocumentTest, WriteFailingPartWayLeavesTheOldFileExactly) {
  const std::string path = dir.Path("old.lkw");
  const std::string old = ConfigFileText(test::SampleImage(ScannerVariant()));
  test::WriteText(path, old);
  Edit();

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved1 = doc.SaveConfiguration(path, false);
  const bool saved2 = doc.SaveConfiguration(dir.Path("new.lkw"), true);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved1);
  EXPECT_FALSE(saved2);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Failed to save document.");
  EXPECT_EQ(test::FileText(path), old);
  EXPECT_EQ(dir.Listing(), "old.lkw;");
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentTest, SaveKeepsPermissionsAndFollowsLinks) {
  const std::string real = dir.Path("real.lkw");
  test::WriteText(real, "old");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  std::filesystem::create_symlink(real, dir.Path("link.lkw"));
  Edit();
  ASSERT_TRUE(doc.SaveConfiguration(dir.Path("link.lkw")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.lkw")));
  EXPECT_EQ(test::FileText(real), ConfigFileText(doc.Image()));
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(dir.Listing(), "link.lkw;real.lkw;");
}

TEST_F(DocumentTest, ReadOnlyFileOrFolderRefusesTheSave) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const std::string file = dir.Path("ro.lkw");
  test::WriteText(file, "old");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  Edit();
  EXPECT_FALSE(doc.SaveConfiguration(file));
  ExpectOneMessage("Access to " + file + " was denied.");
  EXPECT_EQ(test::FileText(file), "old");

  const std::string path = dir.Path("ro/a.lkw");
  std::filesystem::create_directory(dir.Path("ro"));
  test::WriteText(path, "old");
  ASSERT_EQ(::chmod(dir.Path("ro").c_str(), 0555), 0);
  Edit();
  EXPECT_FALSE(doc.SaveConfiguration(path));
  ExpectOneMessage("Access to " + path + " was denied.");
  EXPECT_EQ(test::FileText(path), "old");
}

TEST_F(DocumentTest, SerializeReadsAndWritesStreams) {
  Edit();
  std::stringstream archive;
  doc.SerializeConfiguration(archive, ArchiveMode::Store);
  test::RecordingUi ui2;
  ConfigDocument other(MonitorVariant(), ui2);
  other.SerializeConfiguration(archive, ArchiveMode::Load);
  EXPECT_EQ(other.Image(), doc.Image());
  EXPECT_TRUE(ui2.messages.empty());

  std::stringstream junk("not a configuration\n");
  other.SerializeConfiguration(junk, ArchiveMode::Load);
  ASSERT_EQ(ui2.messages.size(), 1u);
  EXPECT_EQ(ui2.messages[0].text, msg::kFileFormatError);
  EXPECT_TRUE(other.LastFormatError());
}

}  // namespace
}  // namespace krn
