// Runs the real krnsim binary for an end-to-end test: on a free loopback
// port, with the given options, stopped (SIGTERM, then SIGKILL) when the
// object goes. Start() waits until it listens and learns the port from its
// first line, "listening on HOST:PORT".
//
//   krn::test::KrnsimProcess sim({"--variant", "scanner", "--slot", "4"});
//   ASSERT_TRUE(sim.Start()) << sim.error();
//   std::string path = sim.Path(4);  // "ENET\127.0.0.1:PORT\Backplane\4"
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace krn::test {

class KrnsimProcess {
 public:
  explicit KrnsimProcess(std::vector<std::string> options = {}) : options_(std::move(options)) {}
  ~KrnsimProcess() { Stop(); }
  KrnsimProcess(const KrnsimProcess&) = delete;
  KrnsimProcess& operator=(const KrnsimProcess&) = delete;

  // Starts krnsim and waits (at most 10 s) until it listens.
  bool Start() {
    Stop();
    int out[2];
    if (pipe(out) != 0) return Failed("pipe failed");
    std::vector<std::string> args = {Binary(), "--listen", "127.0.0.1:0"};
    args.insert(args.end(), options_.begin(), options_.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
      close(out[0]);
      pid_ = -1;
      return Failed("cannot start " + args[0]);
    }
    const bool ok = ReadPort(out[0]);
    close(out[0]);
    if (!ok) Stop();
    return ok;
  }

  // SIGTERM, then SIGKILL when it has not ended within 5 s.
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 500; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  uint16_t Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  // The ENET path text of a slot of this chassis.
  std::string Path(int slot) const {
    return "ENET\\" + Address() + "\\Backplane\\" + std::to_string(slot);
  }
  const std::string& error() const { return error_; }

  static std::string Binary() { return std::string(KRN_BIN_DIR) + "/krnsim"; }

 private:
  bool Failed(const std::string& message) {
    error_ = message;
    return false;
  }

  bool ReadPort(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return Failed("krnsim did not report its port within 10 s");
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buffer[256];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) return Failed("krnsim ended before listening (bad options?)");
      line.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) != 0) return Failed("unexpected first line: " + line);
    port_ = static_cast<uint16_t>(std::stoul(line.substr(prefix.size())));
    return port_ != 0 || Failed("no port in: " + line);
  }

  std::vector<std::string> options_;
  pid_t pid_ = -1;
  uint16_t port_ = 0;
  std::string error_;
};

}  // namespace krn::test
