// The krnsim program itself: its options, its files and FLASH kept across
// runs, driven through EnipDtl over loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "config/byte_order.h"
#include "config/image.h"
#include "link/enip_dtl.h"
#include "support/krnsim_process.h"

namespace krn {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

const Bytes kConfigPath = {0x01, 0x20, 0xC6};

class Link {
 public:
  explicit Link(const std::string& path) {
    dtl_.StartLibrary();
    dtl_.OpenDriver(0, "ENET", 5000);
    DtlTarget target;
    EXPECT_TRUE(dtl_.CreateTargetFromPath(path, target));
    record_.route = target.route;
  }
  DtlReply Send(uint8_t service, const Bytes& path, const Bytes& data, Bytes& reply) {
    reply.assign(510, 0);
    DtlReply r = dtl_.CipMessageSend(record_, service, path, data.data(), data.size(), reply.data(),
                                     reply.size(), 5000);
    reply.resize(r.size);
    return r;
  }
  std::string Text(uint32_t code) { return dtl_.ErrorText(code); }

 private:
  EnipDtl dtl_;
  DtlTargetRecord record_;
};

class TempDir {
 public:
  TempDir() : path_(fs::temp_directory_path() / ("krnsim-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name, const std::string& content = {}) const {
    const fs::path p = path_ / name;
    if (!content.empty()) std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }

 private:
  fs::path path_;
};

// Runs krnsim with options that must be refused: exit status 2 and a message.
std::pair<int, std::string> RunRefused(const std::string& options) {
  const std::string command =
      test::KrnsimProcess::Binary() + " --listen 127.0.0.1:0 " + options + " 2>&1 </dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(Krnsim, RefusesBadOptionsAndFilesWithAMessage) {
  TempDir dir;
  const std::string shortHeard = dir.File("short.bin", std::string(100, '\0'));
  const std::string badNetwork = dir.File("bad.txt", "cardfile 0 8\ncardfile 9 64\n");
  const std::string badFlash = dir.File("flash.bin", "xyz");
  const std::pair<std::string, std::string> cases[] = {
      {"--fail 0x37:1", "is not SERVICE:N:GENERAL[:EXTENDED]"},
      {"--silent 0x37:0", "is not a request number"},
      {"--heard " + shortHeard, "holds 100 bytes; a heard record has 228"},
      {"--network " + badNetwork, "line 2: unknown slot \"64\""},
      {"--flash " + badFlash, "is not a 6824-byte configuration image"},
      {"--slot 17", "--slot"},
      {"--variant other", "--variant"},
  };
  for (const auto& [options, message] : cases) {
    const auto [status, output] = RunRefused(options);
    EXPECT_NE(status, 0) << options;
    EXPECT_NE(output.find(message), std::string::npos) << options << ": " << output;
  }
}

TEST(Krnsim, FlashIsKeptAcrossRuns) {
  TempDir dir;
  const std::string flash = dir.File("flash.bin");
  ImageBytes image{};
  ConfigImage config;
  ClearImage(config, ScannerVariant());
  config.NumRacks = 3;
  EncodeImage(config, image.data());
  uint32_t sum = 0;
  for (std::size_t i = 0; i < kImageSize; i += 4) sum += GetLe32(image.data() + i);
  PutLe32(image.data() + 6820, 0u - sum);

  {
    test::KrnsimProcess sim({"--variant", "scanner", "--flash", flash});
    ASSERT_TRUE(sim.Start()) << sim.error();
    Link link(sim.Path(3));
    Bytes reply;
    ASSERT_EQ(link.Send(0x32, kConfigPath, {}, reply).status, 0u);
    for (uint32_t at = 0; at < kImageSize; at += 256) {
      Bytes data(4);
      PutLe32(data.data(), at);
      data.insert(data.end(), image.begin() + at,
                  image.begin() + std::min<std::size_t>(at + 256, kImageSize));
      ASSERT_EQ(link.Send(0x37, kConfigPath, data, reply).status, 0u);
    }
    const DtlReply end = link.Send(0x36, kConfigPath, {}, reply);
    ASSERT_EQ(end.status, 0u) << link.Text(end.status);
  }
  ASSERT_EQ(fs::file_size(flash), kImageSize);

  test::KrnsimProcess again({"--variant", "scanner", "--flash", flash});
  ASSERT_TRUE(again.Start()) << again.error();
  Link link(again.Path(3));
  Bytes request(8), reply;
  PutLe32(request.data(), 0);
  PutLe32(request.data() + 4, 16);
  ASSERT_EQ(link.Send(0x38, kConfigPath, request, reply).status, 0u);
  EXPECT_EQ(reply, Bytes(image.begin(), image.begin() + 16));
}

TEST(Krnsim, NetworkFileIdentityAndSlotOptions) {
  TempDir dir;
  const std::string network =
      dir.File("net.txt", "# two card files\ncardfile 4 32 A16\ncardfile 100 8 8 dlen=2\n");
  test::KrnsimProcess sim({"--slot", "12", "--network", network, "--scan-polls", "1",
                           "--product-code", "77", "--product-name", "OTHER-MODULE"});
  ASSERT_TRUE(sim.Start()) << sim.error();
  Link link(sim.Path(12));
  Bytes reply;
  ASSERT_EQ(link.Send(0x01, {0x02, 0x20, 0x01, 0x24, 0x01}, {}, reply).status, 0u);
  EXPECT_EQ(GetLe16(reply.data() + 4), 77);
  EXPECT_EQ(std::string(reply.begin() + 15, reply.end()), "OTHER-MODULE");

  ASSERT_EQ(link.Send(0x34, kConfigPath, {}, reply).status, 0u);
  ASSERT_EQ(link.Send(0x0E, {0x03, 0x20, 0xC6, 0x24, 0x01, 0x30, 0x02}, {}, reply).status, 0u);
  ASSERT_EQ(reply.size(), 228u);
  const Bytes expected = {1,   0, 2,    0,                                    // done, 2 racks
                          4,   6, 0x3F, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0,   // rack at 4
                          100, 2, 0x11, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0};  // rack at 100
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 32), expected);
}

}  // namespace
}  // namespace krn
