#include "link/enip/tcp_channel.h"

#include <asio.hpp>

#include "config/byte_order.h"
#include "link/enip/encapsulation.h"

namespace krn::enip {

using asio::ip::tcp;

struct TcpChannel::Impl {
  Impl(std::string h, uint16_t p) : host(std::move(h)), port(p), socket(io), resolver(io) {}

  // Runs the started operation until its handler set `done` or the deadline
  // passed; on time-out the socket is closed and the aborted handlers drained.
  bool RunUntil(const bool& done, Clock::time_point deadline) {
    io.restart();
    while (!done) {
      if (io.run_one_until(deadline) == 0) break;
    }
    if (done) return true;
    asio::error_code ignored;
    resolver.cancel();
    socket.close(ignored);
    io.restart();
    io.run();
    return false;
  }

  ChannelResult Failure(const asio::error_code& ec) {
    asio::error_code ignored;
    socket.close(ignored);
    if (ec == asio::error::eof || ec == asio::error::connection_reset ||
        ec == asio::error::broken_pipe || ec == asio::error::connection_aborted) {
      return {ChannelStatus::Lost, ec.message()};
    }
    if (ec == asio::error::connection_refused) return {ChannelStatus::Refused, ec.message()};
    if (ec == asio::error::host_not_found || ec == asio::error::host_not_found_try_again ||
        ec == asio::error::no_data) {
      return {ChannelStatus::NoDevice, ec.message()};
    }
    return {ChannelStatus::Error, ec.message()};
  }

  ChannelResult ReadExactly(std::vector<uint8_t>& into, std::size_t offset, std::size_t size,
                            Clock::time_point deadline) {
    bool done = false;
    asio::error_code result;
    asio::async_read(socket, asio::buffer(into.data() + offset, size),
                     [&](asio::error_code ec, std::size_t) {
                       result = ec;
                       done = true;
                     });
    if (!RunUntil(done, deadline)) return {ChannelStatus::Timeout, {}};
    if (result) return Failure(result);
    return {};
  }

  std::string host;
  uint16_t port;
  asio::io_context io;
  tcp::socket socket;
  tcp::resolver resolver;
};

TcpChannel::TcpChannel(std::string host, uint16_t port)
    : impl_(std::make_unique<Impl>(std::move(host), port)) {}

TcpChannel::~TcpChannel() {
  Close();
}

ChannelResult TcpChannel::Connect(Clock::time_point deadline) {
  Close();
  bool done = false;
  asio::error_code result;
  tcp::resolver::results_type endpoints;
  impl_->resolver.async_resolve(impl_->host, std::to_string(impl_->port),
                                tcp::resolver::numeric_service,
                                [&](asio::error_code ec, tcp::resolver::results_type found) {
                                  result = ec;
                                  endpoints = std::move(found);
                                  done = true;
                                });
  if (!impl_->RunUntil(done, deadline)) return {ChannelStatus::Timeout, {}};
  if (result) return impl_->Failure(result);

  done = false;
  asio::async_connect(impl_->socket, endpoints, [&](asio::error_code ec, const tcp::endpoint&) {
    result = ec;
    done = true;
  });
  if (!impl_->RunUntil(done, deadline)) return {ChannelStatus::Timeout, {}};
  if (result) return impl_->Failure(result);
  asio::error_code ignored;
  impl_->socket.set_option(tcp::no_delay(true), ignored);
  return {};
}

bool TcpChannel::IsOpen() const {
  return impl_->socket.is_open();
}

bool TcpChannel::PeerDropped() {
  if (!impl_->socket.is_open()) return true;
  asio::error_code ec;
  impl_->socket.non_blocking(true, ec);
  uint8_t byte = 0;
  const std::size_t n = impl_->socket.read_some(asio::buffer(&byte, 1), ec);
  asio::error_code ignored;
  impl_->socket.non_blocking(false, ignored);
  const bool alive = n == 0 && ec == asio::error::would_block;
  if (!alive) Close();
  return !alive;
}

ChannelResult TcpChannel::Send(std::span<const uint8_t> bytes, Clock::time_point deadline) {
  if (!IsOpen()) return {ChannelStatus::Lost, "not connected"};
  bool done = false;
  asio::error_code result;
  asio::async_write(impl_->socket, asio::buffer(bytes.data(), bytes.size()),
                    [&](asio::error_code ec, std::size_t) {
                      result = ec;
                      done = true;
                    });
  if (!impl_->RunUntil(done, deadline)) return {ChannelStatus::Timeout, {}};
  if (result) return impl_->Failure(result);
  return {};
}

ChannelResult TcpChannel::Receive(std::vector<uint8_t>& message, Clock::time_point deadline) {
  if (!IsOpen()) return {ChannelStatus::Lost, "not connected"};
  message.assign(kEncapHeaderSize, 0);
  ChannelResult r = impl_->ReadExactly(message, 0, kEncapHeaderSize, deadline);
  if (!r.ok()) return r;
  const std::size_t length = GetLe16(message.data() + 2);
  message.resize(kEncapHeaderSize + length);
  if (length == 0) return {};
  return impl_->ReadExactly(message, kEncapHeaderSize, length, deadline);
}

void TcpChannel::Close() {
  asio::error_code ignored;
  if (impl_->socket.is_open()) {
    impl_->socket.shutdown(tcp::socket::shutdown_both, ignored);
    impl_->socket.close(ignored);
  }
}

}  // namespace krn::enip
