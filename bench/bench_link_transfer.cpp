// A full configuration download plus upload against krnsim on loopback,
// beside the bare round trips of as many small request/reply exchanges on
// one TCP connection to a trivial echo peer. A third run goes through a
// counting relay to show the TCP connections and RegisterSessions that one
// opened link costs.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "config/byte_order.h"
#include "config/document.h"
#include "link/enip_dtl.h"
#include "link/modulelink.h"
#include "link/transactions.h"
#include "support/krnsim_process.h"

namespace krn {
namespace {

// Requests of one download (start edits, clear, 27 chunks, end) plus one
// upload (27 chunks).
constexpr int kExchangesPerTransfer = 1 + 1 + kConfigChunkCount + 1 + kConfigChunkCount;
constexpr std::size_t kSmallMessage = 64;

using Clock = std::chrono::steady_clock;
// Wall time per transfer of the bare round trips, for the ratio of the link's.
double g_bareSecondsPerTransfer = 0;

class SilentUi : public UserInterface {
 public:
  std::string path;
  // The clearing question is answered OK; anything else is a failure.
  MsgResult Message(const std::string& text, const std::string&, MsgButtons,
                    MsgIcon icon) override {
    if (icon != MsgIcon::Exclamation)
      std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
    return MsgResult::Ok;
  }
  void BeginBusy() override {}
  void EndBusy() override {}
  std::optional<std::string> ChooseModulePath() override { return path; }
};

class NoWindow : public TransactionHost {
 public:
  bool NewFileKeepingLink() override { return true; }
  void RebuildTree() override {}
  void EnableExportTags() override {}
};

// A configuration with every rack in use, so that no chunk is trivial.
ConfigImage FullImage(const ModuleVariant& variant) {
  ConfigImage image{};
  ClearImage(image, variant);
  image.NumRacks = kMaxRacks;
  for (int r = 0; r < kMaxRacks; ++r) {
    RackRecord& rack = image.Racks[r];
    rack.ByteAddress = static_cast<uint8_t>(r * 12);
    rack.DLen = 12;
    for (int s = 0; s < kSlotsPerRack; ++s) {
      rack.DSlotLen[s] = 1;
      rack.IOTypeArray[s] = s % 2 == 0 ? kDirInput : kDirOutput;
    }
    for (int e = 0; e < 6; ++e) {
      rack.DigitalInputTable()[e] = {kAreaInput, 0, static_cast<uint16_t>(r * 12 + e), 0, 1};
      rack.DigitalOutputTable()[e] = {variant.outputArea, 0, static_cast<uint16_t>(r * 12 + e), 0,
                                      1};
    }
  }
  StoreModuleName(image, "Benchmark");
  UpdateCfgId(image);
  return image;
}

int Listen(uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 8) != 0) return -1;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port = ntohs(addr.sin_port);
  return fd;
}

int Connect(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return -1;
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

bool ReadExactly(int fd, uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = read(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// --- The bare round trips --------------------------------------------------

void BM_BareRoundTrips(benchmark::State& state) {
  uint16_t port = 0;
  const int listener = Listen(port);
  std::thread echo([listener] {
    const int peer = accept(listener, nullptr, nullptr);
    const int one = 1;
    setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::array<uint8_t, kSmallMessage> buffer{};
    while (ReadExactly(peer, buffer.data(), buffer.size()) &&
           WriteAll(peer, buffer.data(), buffer.size())) {
    }
    close(peer);
  });
  const int fd = Connect(port);
  std::array<uint8_t, kSmallMessage> message{};
  const auto start = Clock::now();
  for (auto _ : state) {
    for (int i = 0; i < kExchangesPerTransfer; ++i) {
      message[0] = static_cast<uint8_t>(i);
      if (!WriteAll(fd, message.data(), message.size()) ||
          !ReadExactly(fd, message.data(), message.size())) {
        state.SkipWithError("echo peer failed");
        break;
      }
    }
  }
  const std::chrono::duration<double> elapsed = Clock::now() - start;
  close(fd);
  echo.join();
  close(listener);
  if (state.iterations() > 0)
    g_bareSecondsPerTransfer = elapsed.count() / static_cast<double>(state.iterations());
  state.counters["exchanges"] = kExchangesPerTransfer;
}

// --- The link against krnsim -------------------------------------------------

struct LinkRig {
  explicit LinkRig(const std::string& path)
      : document(MonitorVariant(), ui),
        link(dtl, MonitorVariant(), ui),
        transactions(link, document, host, heard) {
    ui.path = path;
  }
  SilentUi ui;
  EnipDtl dtl;
  ConfigDocument document;
  ModuleLink link;
  NoWindow host;
  HeardConfig heard{};
  ModuleTransactions transactions;
};

bool Transfer(LinkRig& rig, const ConfigImage& image) {
  rig.document.Image() = image;
  return rig.transactions.DownloadConfig() == TransactionOutcome::Done &&
         rig.transactions.UploadConfig() == TransactionOutcome::Done &&
         rig.document.Image() == image;
}

void BM_DownloadPlusUpload(benchmark::State& state) {
  test::KrnsimProcess sim;
  if (!sim.Start()) {
    state.SkipWithError(sim.error().c_str());
    return;
  }
  LinkRig rig(sim.Path(3));
  const ConfigImage image = FullImage(MonitorVariant());
  if (!rig.link.EnsureOpen()) {
    state.SkipWithError("the link did not open");
    return;
  }
  const auto start = Clock::now();
  for (auto _ : state) {
    if (!Transfer(rig, image)) {
      state.SkipWithError("transfer failed");
      break;
    }
  }
  const std::chrono::duration<double> elapsed = Clock::now() - start;
  if (state.iterations() > 0 && g_bareSecondsPerTransfer > 0)
    state.counters["ratio_to_bare"] =
        elapsed.count() / static_cast<double>(state.iterations()) / g_bareSecondsPerTransfer;
  const auto stats = rig.dtl.Stats();
  state.counters["exchanges"] = kExchangesPerTransfer;
  state.counters["connections"] = stats.connects;
  state.counters["registrations"] = stats.registrations;
}

// --- Connections and sessions seen on the wire --------------------------------

// Relays every connection to krnsim and counts the connections and the
// RegisterSession commands (encapsulation command 0x0065) that pass.
class CountingRelay {
 public:
  explicit CountingRelay(uint16_t target) : target_(target) {
    listener_ = Listen(port_);
    acceptor_ = std::thread([this] { AcceptLoop(); });
  }
  ~CountingRelay() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    acceptor_.join();
    for (auto& t : pumps_) t.join();
    for (const int fd : fds_) close(fd);
  }
  uint16_t port() const { return port_; }
  int connections() const { return connections_; }
  int registrations() const { return registrations_; }

 private:
  void AcceptLoop() {
    while (!stopping_) {
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      ++connections_;
      const int server = Connect(target_);
      std::lock_guard lock(mutex_);
      fds_.push_back(client);
      fds_.push_back(server);
      pumps_.emplace_back([this, client, server] { Requests(client, server); });
      pumps_.emplace_back([client, server] { Replies(server, client); });
    }
  }
  // Client to krnsim, one encapsulation packet at a time.
  void Requests(int client, int server) {
    std::vector<uint8_t> packet(24);
    while (ReadExactly(client, packet.data(), 24)) {
      const uint16_t command = GetLe16(packet.data());
      const uint16_t length = GetLe16(packet.data() + 2);
      packet.resize(24u + length);
      if (!ReadExactly(client, packet.data() + 24, length)) break;
      if (command == 0x0065) ++registrations_;
      if (!WriteAll(server, packet.data(), packet.size())) break;
      packet.resize(24);
    }
    shutdown(server, SHUT_WR);
  }
  static void Replies(int server, int client) {
    std::array<uint8_t, 4096> buffer{};
    ssize_t n;
    while ((n = read(server, buffer.data(), buffer.size())) > 0)
      if (!WriteAll(client, buffer.data(), static_cast<std::size_t>(n))) break;
    shutdown(client, SHUT_WR);
  }

  uint16_t target_;
  uint16_t port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> registrations_{0};
  std::mutex mutex_;
  std::thread acceptor_;
  std::vector<std::thread> pumps_;
  std::vector<int> fds_;
};

void BM_ConnectionsPerOpenedLink(benchmark::State& state) {
  test::KrnsimProcess sim;
  if (!sim.Start()) {
    state.SkipWithError(sim.error().c_str());
    return;
  }
  const ConfigImage image = FullImage(MonitorVariant());
  int links = 0, connections = 0, registrations = 0;
  for (auto _ : state) {
    CountingRelay relay(sim.Port());
    {
      LinkRig rig("ENET\\127.0.0.1:" + std::to_string(relay.port()) + "\\Backplane\\3");
      if (!Transfer(rig, image) || !Transfer(rig, image)) {
        state.SkipWithError("transfer through the relay failed");
        break;
      }
      rig.link.Close();
    }
    ++links;
    connections = relay.connections();
    registrations = relay.registrations();
  }
  state.counters["connections_per_link"] = links ? connections : 0;
  state.counters["registrations_per_link"] = links ? registrations : 0;
}

BENCHMARK(BM_BareRoundTrips)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DownloadPlusUpload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConnectionsPerOpenedLink)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace krn

BENCHMARK_MAIN();
