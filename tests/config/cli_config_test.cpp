// The configuration commands of lookwell-cli and pacewell-cli, run as real
// programs on real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "cli_runner.h"
#include "config/configfile.h"
#include "config/heard_config.h"
#include "config/messages.h"
#include "config/racks.h"
#include "sample_config.h"
#include "support/recording_ui.h"
#include "temp_dir.h"

namespace krn {
namespace {

std::string Hex8(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x\n", static_cast<unsigned>(v));
  return text;
}

class CliConfigTest : public ::testing::Test {
 protected:
  test::CliRun Lookwell(const std::vector<std::string>& args) {
    return test::RunCli("lookwell-cli", args, dir);
  }
  test::CliRun Pacewell(const std::vector<std::string>& args) {
    return test::RunCli("pacewell-cli", args, dir);
  }
  std::string Save(const std::string& name, const ConfigImage& image) {
    test::WriteText(dir.Path(name), ConfigFileText(image));
    return dir.Path(name);
  }
  ConfigImage Load(const std::string& path, const ModuleVariant& variant = MonitorVariant()) {
    ConfigImage img;
    EXPECT_FALSE(ReadConfigFile(test::FileText(path), img, variant).formatError) << path;
    return img;
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir.Path(name)); }

  test::TempDir dir;
};

TEST_F(CliConfigTest, NewWritesTheEmptyConfigurationThatSignatureReads) {
  const auto run = Lookwell({"new", "-o", dir.Path("a.lkw")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(test::FileText(dir.Path("a.lkw")),
            "Number of Racks: 0 Name:  Options: 00000000 Cfg Id: 00000000\r\n");
  const auto sig = Pacewell({"signature", dir.Path("a.lkw")});
  EXPECT_EQ(sig.exitCode, 0);
  EXPECT_EQ(sig.out, "ffffffff\n");
  EXPECT_EQ(Lookwell({"new"}).exitCode, 2);
  EXPECT_EQ(Lookwell({"frobnicate"}).exitCode, 2);
}

TEST_F(CliConfigTest, SignatureRefusesFilesThatCannotBeReadWhole) {
  const std::string sample = Save("s.lkw", test::SampleImage(MonitorVariant()));
  EXPECT_EQ(Lookwell({"signature", sample}).out, Hex8(test::SampleImage(MonitorVariant()).CfgId));

  std::string cut = test::FileText(sample);
  test::WriteText(dir.Path("cut.lkw"), cut.substr(0, cut.size() / 2));
  auto run = Lookwell({"signature", dir.Path("cut.lkw")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, std::string(msg::kFileFormatError) + "\n");
  EXPECT_EQ(run.out, "");

  run = Lookwell({"signature", dir.Path("missing.lkw")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, dir.Path("missing.lkw") + " was not found.\n");
}

HeardConfig SampleHeard() {
  HeardConfig h;
  h.Status = 1;
  h.RackCount = 2;
  h.Racks[0].ByteAddress = 8;
  h.Racks[0].DLen = 6;
  h.Racks[0].SlotCodes = {0x31, 0x0F, 0, 0, 0, 0};
  h.Racks[0].SlotAnalog = {0x10, 0, 0, 0, 0, 0};
  h.Racks[1].ByteAddress = 100;
  h.Racks[1].DLen = 1;
  h.Racks[1].SlotCodes[0] = 1;
  return h;
}

std::string HeardBytes(const HeardConfig& h) {
  std::string bytes(kHeardConfigSize, '\0');
  EncodeHeardConfig(h, reinterpret_cast<uint8_t*>(bytes.data()));
  return bytes;
}

TEST_F(CliConfigTest, FromHeardBuildsWhatAutoConfigurationBuilds) {
  test::WriteText(dir.Path("heard.bin"), HeardBytes(SampleHeard()));
  const auto run = Pacewell({"from-heard", dir.Path("heard.bin"), "-o", dir.Path("auto.pcw")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ConfigImage expected;
  test::RecordingUi ui;
  ASSERT_TRUE(BuildFromHeard(expected, SampleHeard(), ScannerVariant(), ui));
  EXPECT_EQ(test::FileText(dir.Path("auto.pcw")), ConfigFileText(expected));
}

TEST_F(CliConfigTest, FromHeardRefusesRecordsThatCannotBecomeAConfiguration) {
  HeardConfig overlap = SampleHeard();
  overlap.Racks[1].ByteAddress = 10;
  HeardConfig overflow = SampleHeard();
  overflow.Racks[1].ByteAddress = 250;
  overflow.Racks[1].DLen = 6;
  HeardConfig none = SampleHeard();
  none.RackCount = 0;
  HeardConfig running = SampleHeard();
  running.Status = 0;
  HeardConfig tooMany = SampleHeard();
  tooMany.RackCount = 17;
  const std::pair<std::string, std::string> cases[] = {
      {HeardBytes(overlap), msg::CardFileOverlaps(80)},
      {HeardBytes(overflow), msg::CardFileOverflows(2000)},
      {HeardBytes(none), std::string(msg::kHeardNoRacks)},
      {HeardBytes(running), std::string(msg::kHeardIncomplete)},
      {HeardBytes(tooMany), msg::HeardTooManyRacks(17)},
      {std::string(100, '\1'), dir.Path("heard.bin") + " holds 100 bytes; a heard configuration "
                                                       "record has exactly 228."},
  };
  for (const auto& [bytes, message] : cases) {
    test::WriteText(dir.Path("heard.bin"), bytes);
    const auto run = Lookwell({"from-heard", dir.Path("heard.bin"), "-o", dir.Path("out.lkw")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, message + "\n");
    EXPECT_FALSE(Exists("out.lkw"));
  }
}

TEST_F(CliConfigTest, SetDirectionsStoresAsTheRackPropertiesDialog) {
  ConfigImage image = test::SampleImage(MonitorVariant());
  image.Racks[0].IOTypeArray[2] = 7;  // hand-edited: shown and stored as Undefined
  const std::string file = Save("s.lkw", image);
  auto run = Lookwell({"set-directions", file, "--rack", "0", "OI.U-.......", "--yes"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  image.Racks[0].IOTypeArray[0] = kDirOutput;
  image.Racks[0].IOTypeArray[1] = kDirInput;
  image.Racks[0].IOTypeArray[2] = kDirUndefined;
  UpdateCfgId(image);
  EXPECT_EQ(Load(file), image);

  // A DIRS that starts with '-' follows "--"; -o leaves the input alone.
  const std::string before = test::FileText(file);
  run = Lookwell({"set-directions", file, "--rack", "1", "-o", dir.Path("o.lkw"), "--",
                  "-i"
                  "uu.-......"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(test::FileText(file), before);
  EXPECT_EQ(Load(dir.Path("o.lkw")).Racks[1].IOTypeArray[1], kDirInput);
}

TEST_F(CliConfigTest, SetDirectionsRefusalsWriteNothing) {
  const std::string file = Save("s.lkw", test::SampleImage(MonitorVariant()));
  const std::string before = test::FileText(file);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // empty: not checked
  };
  const Case cases[] = {
      {{"--rack", "0", "IOIOIOIOIOI"}, 2, ""},
      {{"--rack", "0", "IOIOIOIOIOIX"}, 2, ""},
      {{"IOIOIOIOIOIO"}, 2, ""},
      {{"--rack", "2", "............"},
       1,
       "Rack 2 does not exist: the configuration has 2 rack(s), numbered 0 to 1.\n"},
      {{"--rack", "0", "...I........"},
       1,
       "Slot D of rack 0 is empty; its direction cannot be "
       "changed.\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"set-directions", file};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto run = Lookwell(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << args.back();
    if (!c.err.empty()) {
      EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(test::FileText(file), before);
  }
  EXPECT_EQ(dir.Listing(), "s.lkw;");
}

TEST_F(CliConfigTest, SetNameStoresAsTheModulePropertiesDialog) {
  ConfigImage image = test::SampleImage(ScannerVariant());
  image.Options = 0x80000001u;
  const std::string file = Save("s.pcw", image);
  auto run = Pacewell({"set-name", file, "Line 8", "--all-push-pull", "-o", dir.Path("n.pcw")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ConfigImage named = Load(dir.Path("n.pcw"), ScannerVariant());
  EXPECT_EQ(ImageName(named), "Line 8");
  EXPECT_EQ(named.Options, 0x80000000u);
  EXPECT_EQ(Pacewell({"signature", dir.Path("n.pcw")}).out, Hex8(named.CfgId));

  ASSERT_EQ(Pacewell({"set-name", file, "", "--one-push-pull"}).exitCode, 0);
  named = Load(file, ScannerVariant());
  EXPECT_EQ(ImageName(named), "");
  EXPECT_EQ(named.Options, 0x80000001u);

  const std::string before = test::FileText(file);
  run = Pacewell({"set-name", file, "sixteen_chars___"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Please enter no more than 15 characters.\n");
  EXPECT_EQ(Pacewell({"set-name", file, "x", "--one-push-pull", "--all-push-pull"}).exitCode, 2);
  EXPECT_EQ(Lookwell({"set-name", file, "x", "--one-push-pull"}).exitCode, 2);
  EXPECT_EQ(test::FileText(file), before);
}

TEST_F(CliConfigTest, DeleteRackAsksBeforeAddressesAreCleared) {
  const ConfigImage image = test::SampleImage(MonitorVariant());
  const std::string file = Save("s.lkw", image);
  const std::string before = test::FileText(file);

  auto run = Lookwell({"delete-rack", file, "0"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(msg::kClearAddressesQuestion), std::string::npos);
  EXPECT_EQ(test::FileText(file), before);
  EXPECT_EQ(Lookwell({"delete-rack", file, "2", "--yes"}).exitCode, 1);
  run = Pacewell({"delete-rack", file, "0"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err,
            "delete-rack is not available in pacewell-cli: Pacewell has no Delete Rack "
            "command.\n");
  EXPECT_EQ(test::FileText(file), before);

  run = Lookwell({"delete-rack", file, "0", "--yes"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ConfigImage expected = image;
  DeleteRack(expected, 0);
  UpdateCfgId(expected);
  EXPECT_EQ(Load(file), expected);

  // Without complete addresses nothing is asked.
  run = Lookwell({"delete-rack", file, "0"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Load(file).CfgId, 0xFFFFFFFFu);
}

TEST_F(CliConfigTest, FailedWritesAreReportedAndLeaveTheInput) {
  const std::string file = Save("s.lkw", test::SampleImage(MonitorVariant()));
  std::filesystem::create_directory(dir.Path("folder.lkw"));
  const auto run = Lookwell({"set-name", file, "x", "-o", dir.Path("folder.lkw")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Access to " + dir.Path("folder.lkw") + " was denied.\n");
  EXPECT_EQ(dir.Listing(), "folder.lkw;s.lkw;");
}

}  // namespace
}  // namespace krn
