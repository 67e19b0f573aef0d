// The module commands of lookwell-cli and pacewell-cli against a real krnsim:
// files in, files out, exit status, and questions without a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>

#include "config/messages.h"
#include "link_harness.h"

namespace krn::test {
namespace {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a command-line companion with stdin on /dev/null (not a terminal).
CliRun RunCli(const std::string& program, std::vector<std::string> args) {
  const std::string outFile = TempPath("cli.out"), errFile = TempPath("cli.err");
  args.insert(args.begin(), std::string(KRN_BIN_DIR) + "/" + program);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = -1;
  CliRun run;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = ReadText(outFile);
  run.err = ReadText(errFile);
  std::remove(outFile.c_str());
  std::remove(errFile.c_str());
  return run;
}

std::string SaveSample(const ModuleVariant& variant, const ConfigImage& image,
                       const std::string& name) {
  RecordingUi ui;
  ConfigDocument document(variant, ui);
  document.Image() = image;
  const std::string path = TempPath(name);
  EXPECT_TRUE(document.SaveConfiguration(path)) << (ui.messages.empty() ? "" : ui.messages[0].text);
  return path;
}

ConfigImage LoadFile(const ModuleVariant& variant, const std::string& path) {
  RecordingUi ui;
  ConfigDocument document(variant, ui);
  EXPECT_TRUE(document.OpenConfiguration(path));
  return document.Image();
}

bool Exists(const std::string& path) {
  return std::ifstream(path).good();
}

class CliLinkE2e : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& f : files) std::remove(f.c_str());
  }
  std::string Temp(const std::string& name) {
    files.push_back(TempPath(name));
    std::remove(files.back().c_str());
    return files.back();
  }
  std::vector<std::string> files;
};

TEST_F(CliLinkE2e, DownloadThenUploadGivesBackTheSameFile) {
  for (const ModuleVariant* variant : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(variant->programName);
    const std::string program = variant->IsMonitor() ? "lookwell-cli" : "pacewell-cli";
    KrnsimProcess sim({"--variant", variant->IsMonitor() ? "monitor" : "scanner"});
    ASSERT_TRUE(sim.Start()) << sim.error();
    const std::string in =
        SaveSample(*variant, SampleImage(*variant), "in." + variant->fileExtension);
    files.push_back(in);
    const std::string out = Temp("out." + variant->fileExtension);

    const CliRun down = RunCli(program, {"download", "--path", sim.Path(3), in, "--yes"});
    EXPECT_EQ(down.exitCode, 0) << down.err;
    const CliRun up = RunCli(program, {"upload", "--path", sim.Path(3), "-o", out});
    EXPECT_EQ(up.exitCode, 0) << up.err;
    EXPECT_EQ(ReadText(out), ReadText(in));
    EXPECT_EQ(LoadFile(*variant, out), SampleImage(*variant));
  }
}

TEST_F(CliLinkE2e, DownloadWithoutYesAndWithoutATerminalSendsNothing) {
  const std::string flash = Temp("flash.bin");
  KrnsimProcess sim({"--flash", flash});
  ASSERT_TRUE(sim.Start()) << sim.error();
  const std::string in = SaveSample(MonitorVariant(), SampleImage(MonitorVariant()), "q.lkw");
  files.push_back(in);
  const CliRun run = RunCli("lookwell-cli", {"download", "--path", sim.Path(3), in});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(msg::ClearModuleQuestion(MonitorVariant())), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
  EXPECT_FALSE(Exists(flash));  // the module never stored anything
}

TEST_F(CliLinkE2e, DownloadRefusesIncompleteConfigurationsBeforeTheModule) {
  ConfigImage noAddress = SampleImage(MonitorVariant());
  noAddress.Racks[1].AnalogOutputTable()[0] = {};
  ConfigImage noDirection = SampleImage(MonitorVariant());
  noDirection.Racks[0].IOTypeArray[11] = kDirUndefined;
  ConfigImage empty{};
  const std::pair<ConfigImage, std::string> cases[] = {
      {empty, std::string(msg::kDirectionsMissing)},  // a saved empty file has no racks
      {noDirection, std::string(msg::kDirectionsMissing)},
      {noAddress, msg::AddressesMissing(MonitorVariant())},
  };
  for (const auto& [image, expected] : cases) {
    const std::string in = SaveSample(MonitorVariant(), image, "r.lkw");
    files.push_back(in);
    // No module at that path: a refusal must come before any connection.
    const CliRun run = RunCli(
        "lookwell-cli", {"download", "--path", "ENET\\127.0.0.1:1\\Backplane\\3", in, "--yes"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("refused the connection"), std::string::npos) << run.err;
  }
}

TEST_F(CliLinkE2e, AutoconfigSavesTheHeardRacks) {
  const std::string network = Temp("net.txt");
  {
    std::ofstream n(network);
    n << "# two card files\ncardfile 16 A16 A16 16 16 8 8\ncardfile 40 32 8\n";
  }
  KrnsimProcess sim({"--variant", "scanner", "--slot", "4", "--network", network});
  ASSERT_TRUE(sim.Start()) << sim.error();
  const std::string out = Temp("auto.pcw");
  const CliRun run =
      RunCli("pacewell-cli", {"autoconfig", "--path", sim.Path(4), "-o", out, "--yes"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const ConfigImage image = LoadFile(ScannerVariant(), out);
  ASSERT_EQ(image.NumRacks, 2u);
  EXPECT_EQ(ImageName(image), "Auto_Scan");
  EXPECT_EQ(image.Racks[0].ByteAddress, 16);
  EXPECT_EQ(image.Racks[0].ASlotLen[0], 16);
  EXPECT_EQ(image.Racks[0].ALen, 32);
  EXPECT_EQ(image.Racks[1].ByteAddress, 40);
  EXPECT_EQ(image.Racks[1].DSlotLen[0], 4);
  EXPECT_EQ(image.Racks[1].DSlotLen[1], 1);

  // Without --yes and a terminal the module is not cleared.
  const std::string out2 = Temp("auto2.pcw");
  const CliRun refused = RunCli("pacewell-cli", {"autoconfig", "--path", sim.Path(4), "-o", out2});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_FALSE(Exists(out2));
}

TEST_F(CliLinkE2e, FailedUploadWritesNoFile) {
  KrnsimProcess sim;  // a module whose FLASH holds no configuration
  ASSERT_TRUE(sim.Start()) << sim.error();
  const std::string out = Temp("none.lkw");
  const CliRun run = RunCli("lookwell-cli", {"upload", "--path", sim.Path(3), "-o", out});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("Read Module Configuration: Configuration is empty, Check Pattern Not "
                         "Found"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(Exists(out));

  const CliRun wrong = RunCli("lookwell-cli", {"upload", "--path", sim.Path(9), "-o", out});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_FALSE(Exists(out));
}

TEST(CliExplainStatus, PrintsTheStatusText) {
  const CliRun run = RunCli("lookwell-cli", {"explain-status", "0x401", "0x0100"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "General Status 01\nExtended Status 0100\n\"Connection in Use or Duplicate Forward "
            "Open\"\n");
  EXPECT_EQ(RunCli("lookwell-cli", {"explain-status", "1", "70000"}).exitCode, 2);
}

}  // namespace
}  // namespace krn::test
