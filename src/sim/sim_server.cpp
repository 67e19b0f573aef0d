#include "sim/sim_server.h"

#include <asio.hpp>
#include <atomic>
#include <list>
#include <mutex>
#include <thread>

#ifndef _WIN32
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#endif

#include "link/enip/encapsulation.h"
#include "link/enip/identity.h"
#include "sim/sim_connection.h"

namespace krn::sim {

using asio::ip::tcp;
using asio::ip::udp;

namespace {

#ifdef _WIN32
int PollOne(pollfd* p, int timeoutMs) {
  return WSAPoll(p, 1, timeoutMs);
}
#else
int PollOne(pollfd* p, int timeoutMs) {
  return ::poll(p, 1, timeoutMs);
}
#endif

// One client connection, served by its own thread with plain blocking
// calls: one receive per request and one send per reply. The chassis is
// shared, so every message is handled under the chassis lock.
class Client {
 public:
  Client(tcp::socket socket, SimChassis& chassis, std::mutex& chassisMutex,
         std::chrono::milliseconds stallTimeout)
      : socket_(std::move(socket)),
        connection_(chassis),
        chassisMutex_(chassisMutex),
        stallTimeout_(stallTimeout) {}

  void Serve() {
    asio::error_code ec;
    const tcp::endpoint local = socket_.local_endpoint(ec);
    if (!ec && local.address().is_v4()) {
      connection_.SetLocalAddress(local.address().to_v4().to_uint(), local.port());
    }
    socket_.set_option(tcp::no_delay(true), ec);
    while (ReceiveAndAnswer()) {
    }
    Close();
    done_ = true;
  }

  // From another thread: ends a Serve blocked in a receive or a send.
  void Shutdown() {
    std::lock_guard<std::mutex> lock(closeMutex_);
    if (!closed_) ::shutdown(socket_.native_handle(), kShutdownBoth);
  }
  bool done() const { return done_; }

 private:
#ifdef _WIN32
  static constexpr int kShutdownBoth = SD_BOTH;
#else
  static constexpr int kShutdownBoth = SHUT_RDWR;
#endif

  bool ReceiveAndAnswer() {
    // The deadline runs from the first byte of an incomplete message, so a
    // client cannot hold the connection by sending one byte at a time.
    if (connection_.MidMessage()) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(stallDeadline_ - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{};
      p.fd = socket_.native_handle();
      p.events = POLLIN;
      if (PollOne(&p, static_cast<int>(left)) == 0) return false;
    }
    asio::error_code ec;
    const std::size_t n = socket_.receive(asio::buffer(buffer_), 0, ec);
    if (ec || n == 0) return false;

    const bool wasMidMessage = connection_.MidMessage();
    const uint64_t handledBefore = connection_.messagesHandled();
    std::vector<SimOutput> outputs;
    {
      std::lock_guard<std::mutex> lock(chassisMutex_);
      connection_.Feed(std::span<const uint8_t>(buffer_.data(), n), outputs);
    }
    if (connection_.MidMessage() &&
        (!wasMidMessage || connection_.messagesHandled() != handledBefore)) {
      stallDeadline_ = Clock::now() + stallTimeout_;
    }
    for (const SimOutput& out : outputs) {
      if (out.kind == SimOutput::Kind::Close) return false;
      asio::write(socket_, asio::buffer(out.bytes), ec);
      if (ec) return false;
    }
    return true;
  }

  void Close() {
    std::lock_guard<std::mutex> lock(closeMutex_);
    if (closed_) return;
    closed_ = true;
    asio::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

  using Clock = std::chrono::steady_clock;

  tcp::socket socket_;
  SimConnection connection_;
  std::mutex& chassisMutex_;
  std::chrono::milliseconds stallTimeout_;
  Clock::time_point stallDeadline_{};
  std::array<uint8_t, 4096> buffer_{};
  std::mutex closeMutex_;
  bool closed_ = false;
  std::atomic<bool> done_{false};
};

struct ClientThread {
  std::unique_ptr<Client> client;
  std::thread thread;
};

}  // namespace

struct SimServer::Impl {
  Impl(SimChassis& c, ServerSettings s)
      : chassis(c), settings(std::move(s)), acceptor(io), datagrams(io) {}

  void Accept() {
    acceptor.async_accept([this](asio::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted) return;
      if (!ec) {
        ++accepted;
        std::lock_guard<std::mutex> lock(clientsMutex);
        ReapFinished();
        if (stopping || clients.size() >= settings.maxConnections) {
          asio::error_code ignored;
          socket.close(ignored);
        } else {
          // A client that does not read its replies cannot hold a send forever.
          SetSendTimeout(socket);
          auto client = std::make_unique<Client>(std::move(socket), chassis, chassisMutex,
                                                 settings.stallTimeout);
          Client* raw = client.get();
          clients.push_back({std::move(client), std::thread([raw] { raw->Serve(); })});
        }
      }
      Accept();
    });
  }

  void SetSendTimeout(tcp::socket& socket) {
#ifdef _WIN32
    const DWORD ms = static_cast<DWORD>(settings.stallTimeout.count());
    ::setsockopt(socket.native_handle(), SOL_SOCKET, SO_SNDTIMEO,
                 reinterpret_cast<const char*>(&ms), sizeof ms);
#else
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(settings.stallTimeout.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((settings.stallTimeout.count() % 1000) * 1000);
    ::setsockopt(socket.native_handle(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
#endif
  }

  // Joins the threads of connections that have ended (lock held).
  void ReapFinished() {
    for (auto it = clients.begin(); it != clients.end();) {
      if (it->client->done()) {
        it->thread.join();
        it = clients.erase(it);
      } else {
        ++it;
      }
    }
  }

  void StopClients() {
    std::lock_guard<std::mutex> lock(clientsMutex);
    stopping = true;
    for (ClientThread& c : clients) c.client->Shutdown();
    for (ClientThread& c : clients) c.thread.join();
    clients.clear();
  }

  // ListIdentity over UDP, as tools that browse a network send it.
  void ReceiveDatagram() {
    datagrams.async_receive_from(
        asio::buffer(datagram), peer, [this](asio::error_code ec, std::size_t n) {
          if (ec == asio::error::operation_aborted) return;
          if (!ec) {
            auto header = enip::DecodeEncapHeader(std::span<const uint8_t>(datagram.data(), n));
            if (header && header->command == enip::kCmdListIdentity && header->options == 0) {
              enip::EncapHeader reply;
              reply.command = enip::kCmdListIdentity;
              reply.context = header->context;
              std::vector<uint8_t> identity;
              {
                std::lock_guard<std::mutex> lock(chassisMutex);
                identity = enip::EncodeListIdentityReply(chassis.bridgeIdentity());
              }
              auto bytes = enip::EncodeEncap(reply, identity);
              asio::error_code ignored;
              datagrams.send_to(asio::buffer(bytes), peer, 0, ignored);
            }
          }
          ReceiveDatagram();
        });
  }

  SimChassis& chassis;
  ServerSettings settings;
  asio::io_context io;
  tcp::acceptor acceptor;
  udp::socket datagrams;
  udp::endpoint peer;
  std::array<uint8_t, 1024> datagram{};
  std::mutex chassisMutex;
  std::mutex clientsMutex;
  std::list<ClientThread> clients;
  bool stopping = false;
  std::atomic<int> accepted{0};
};

SimServer::SimServer(SimChassis& chassis, ServerSettings settings)
    : impl_(std::make_unique<Impl>(chassis, std::move(settings))) {}

SimServer::~SimServer() {
  Stop();
}

bool SimServer::Start(std::string& error) {
  asio::error_code ec;
  const auto address = asio::ip::make_address(impl_->settings.host, ec);
  if (ec) {
    error = "\"" + impl_->settings.host + "\" is not an IP address";
    return false;
  }
  const tcp::endpoint endpoint(address, impl_->settings.port);
  auto& acceptor = impl_->acceptor;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "cannot listen on " + impl_->settings.host + ":" +
            std::to_string(impl_->settings.port) + ": " + ec.message();
    return false;
  }
  const uint16_t bound = acceptor.local_endpoint().port();
  asio::error_code udpError;
  const udp::endpoint datagramEndpoint(address, bound);
  impl_->datagrams.open(datagramEndpoint.protocol(), udpError);
  if (!udpError) impl_->datagrams.bind(datagramEndpoint, udpError);
  if (!udpError) {
    impl_->ReceiveDatagram();
  } else {
    impl_->datagrams.close(udpError);
  }

  auto& identity = impl_->chassis.bridgeIdentity();
  identity.ipv4 = address.is_v4() ? address.to_v4().to_uint() : 0;
  identity.port = bound;
  impl_->Accept();
  return true;
}

std::string SimServer::host() const {
  return impl_->settings.host;
}

uint16_t SimServer::port() const {
  asio::error_code ec;
  auto endpoint = impl_->acceptor.local_endpoint(ec);
  return ec ? 0 : endpoint.port();
}

void SimServer::Run() {
  impl_->io.run();
}

void SimServer::Stop() {
  impl_->io.stop();
  impl_->StopClients();
}

asio::io_context& SimServer::io() {
  return impl_->io;
}

int SimServer::connectionsAccepted() const {
  return impl_->accepted.load();
}

}  // namespace krn::sim
