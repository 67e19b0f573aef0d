#include "sim/sim_server.h"

#include <asio.hpp>
#include <atomic>
#include <deque>
#include <set>

#include "link/enip/encapsulation.h"
#include "link/enip/identity.h"
#include "sim/sim_connection.h"

namespace krn::sim {

using asio::ip::tcp;
using asio::ip::udp;

namespace {

// Replies a client leaves unread beyond this are a misbehaving client.
constexpr std::size_t kMaxQueuedBytes = 1 << 20;

class Client : public std::enable_shared_from_this<Client> {
 public:
  Client(tcp::socket socket, SimChassis& chassis, std::chrono::milliseconds stallTimeout,
         std::set<std::shared_ptr<Client>>& clients)
      : socket_(std::move(socket)),
        stallTimer_(socket_.get_executor()),
        connection_(chassis),
        stallTimeout_(stallTimeout),
        clients_(clients) {}

  void Start() {
    asio::error_code ec;
    const tcp::endpoint local = socket_.local_endpoint(ec);
    if (!ec && local.address().is_v4()) {
      connection_.SetLocalAddress(local.address().to_v4().to_uint(), local.port());
    }
    socket_.non_blocking(true, ec);
    Read();
  }

  void Close() {
    if (closed_) return;
    closed_ = true;
    asio::error_code ec;
    stallTimer_.cancel();
    socket_.shutdown(tcp::socket::shutdown_both, ec);
    socket_.close(ec);
    clients_.erase(shared_from_this());
  }

 private:
  // Waits until bytes are there, then takes all of them with one read: no
  // read is tried before the client has sent anything.
  void Read() {
    auto self = shared_from_this();
    socket_.async_wait(tcp::socket::wait_read, [this, self](asio::error_code ec) {
      if (closed_) return;
      std::size_t n = 0;
      if (!ec) {
        n = socket_.read_some(asio::buffer(buffer_), ec);
        if (ec == asio::error::would_block || ec == asio::error::try_again) {
          Read();
          return;
        }
      }
      if (ec) {
        Close();
        return;
      }
      std::vector<SimOutput> outputs;
      connection_.Feed(std::span<const uint8_t>(buffer_.data(), n), outputs);
      for (SimOutput& out : outputs) {
        if (out.kind == SimOutput::Kind::Close) {
          closeAfterWrites_ = true;
          break;
        }
        Queue(std::move(out.bytes));
      }
      if (closed_) return;
      if (closeAfterWrites_) {
        if (queue_.empty()) Close();
        return;
      }
      WatchStall();
      Read();
    });
  }

  // The deadline runs from the first byte of an incomplete message, so a
  // client cannot hold the connection by sending one byte at a time.
  void WatchStall() {
    if (!connection_.MidMessage()) {
      stallArmed_ = false;
      stallTimer_.cancel();
      return;
    }
    if (stallArmed_) return;
    stallArmed_ = true;
    stallTimer_.expires_after(stallTimeout_);
    auto self = shared_from_this();
    stallTimer_.async_wait([this, self](asio::error_code ec) {
      if (!ec && !closed_ && stallArmed_) Close();
    });
  }

  void Queue(std::vector<uint8_t> bytes) {
    queuedBytes_ += bytes.size();
    queue_.push_back(std::move(bytes));
    if (queuedBytes_ > kMaxQueuedBytes) {
      Close();
      return;
    }
    if (queue_.size() == 1) Write();
  }

  void Write() {
    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(queue_.front()),
                      [this, self](asio::error_code ec, std::size_t) {
                        if (closed_) return;
                        if (ec) {
                          Close();
                          return;
                        }
                        queuedBytes_ -= queue_.front().size();
                        queue_.pop_front();
                        if (!queue_.empty()) {
                          Write();
                        } else if (closeAfterWrites_) {
                          Close();
                        }
                      });
  }

  tcp::socket socket_;
  asio::steady_timer stallTimer_;
  SimConnection connection_;
  std::chrono::milliseconds stallTimeout_;
  std::set<std::shared_ptr<Client>>& clients_;
  std::array<uint8_t, 4096> buffer_{};
  std::deque<std::vector<uint8_t>> queue_;
  std::size_t queuedBytes_ = 0;
  bool stallArmed_ = false;
  bool closeAfterWrites_ = false;
  bool closed_ = false;
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
        if (clients.size() >= settings.maxConnections) {
          asio::error_code ignored;
          socket.close(ignored);
        } else {
          asio::error_code ignored;
          socket.set_option(tcp::no_delay(true), ignored);
          auto client =
              std::make_shared<Client>(std::move(socket), chassis, settings.stallTimeout, clients);
          clients.insert(client);
          client->Start();
        }
      }
      Accept();
    });
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
              auto bytes =
                  enip::EncodeEncap(reply, enip::EncodeListIdentityReply(chassis.bridgeIdentity()));
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
  std::set<std::shared_ptr<Client>> clients;
  std::atomic<int> accepted{0};
};

SimServer::SimServer(SimChassis& chassis, ServerSettings settings)
    : impl_(std::make_unique<Impl>(chassis, std::move(settings))) {}

SimServer::~SimServer() {
  Stop();
  // Connections hold the io_context's handlers; close them before it goes.
  auto clients = impl_->clients;
  for (const auto& client : clients) client->Close();
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
}

asio::io_context& SimServer::io() {
  return impl_->io;
}

int SimServer::connectionsAccepted() const {
  return impl_->accepted.load();
}

}  // namespace krn::sim
