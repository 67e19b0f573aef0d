#include "link/enip/tcp_channel.h"

#include <asio.hpp>
#include <cerrno>

#include "link/enip/frame_assembler.h"

#ifndef _WIN32
#include <poll.h>
#endif

namespace krn::enip {

using asio::ip::tcp;

namespace {
int Poll(pollfd* fds, unsigned count, int timeoutMs) {
#ifdef _WIN32
  return WSAPoll(fds, count, timeoutMs);
#else
  return ::poll(fds, count, timeoutMs);
#endif
}
}  // namespace

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

  // Waits until the socket is ready for `events` or the deadline passes.
  // The data path uses plain non-blocking calls and one poll per wait: a
  // request costs one send and, mostly, one receive.
  bool WaitFor(short events, Clock::time_point deadline) {
    for (;;) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{};
      p.fd = socket.native_handle();
      p.events = events;
      const int n = Poll(&p, 1, static_cast<int>(std::min<long long>(left, 60000)));
      if (n > 0) return true;
      if (n < 0 && errno != EINTR) return true;  // the next call reports the error
    }
  }

  ChannelResult TimedOut() {
    asio::error_code ignored;
    socket.close(ignored);
    return {ChannelStatus::Timeout, {}};
  }

  std::string host;
  uint16_t port;
  asio::io_context io;
  tcp::socket socket;
  tcp::resolver resolver;
  FrameAssembler inbound;
  std::array<uint8_t, 4096> buffer{};
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
  impl_->socket.non_blocking(true, result);
  if (result) return impl_->Failure(result);
  impl_->inbound.Clear();
  return {};
}

bool TcpChannel::IsOpen() const {
  return impl_->socket.is_open();
}

bool TcpChannel::PeerDropped() {
  if (!impl_->socket.is_open()) return true;
  asio::error_code ec;
  uint8_t byte = 0;
  const std::size_t n = impl_->socket.read_some(asio::buffer(&byte, 1), ec);
  const bool alive = n == 0 && ec == asio::error::would_block && !impl_->inbound.HasPartial();
  if (!alive) Close();
  return !alive;
}

ChannelResult TcpChannel::Send(std::span<const uint8_t> bytes, Clock::time_point deadline) {
  if (!IsOpen()) return {ChannelStatus::Lost, "not connected"};
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    asio::error_code ec;
    sent += impl_->socket.write_some(asio::buffer(bytes.data() + sent, bytes.size() - sent), ec);
    if (ec == asio::error::would_block || ec == asio::error::try_again) {
      if (!impl_->WaitFor(POLLOUT, deadline)) return impl_->TimedOut();
    } else if (ec) {
      return impl_->Failure(ec);
    }
  }
  return {};
}

ChannelResult TcpChannel::Receive(std::vector<uint8_t>& message, Clock::time_point deadline) {
  if (!IsOpen()) return {ChannelStatus::Lost, "not connected"};
  while (!impl_->inbound.Next(message)) {
    // The answer to a request just sent is not there yet: wait first.
    if (!impl_->WaitFor(POLLIN, deadline)) return impl_->TimedOut();
    asio::error_code ec;
    const std::size_t n = impl_->socket.read_some(asio::buffer(impl_->buffer), ec);
    if (ec == asio::error::would_block || ec == asio::error::try_again) {
      continue;
    } else if (ec) {
      return impl_->Failure(ec);
    } else {
      impl_->inbound.Feed(std::span<const uint8_t>(impl_->buffer.data(), n));
    }
  }
  return {};
}

void TcpChannel::Close() {
  impl_->inbound.Clear();
  asio::error_code ignored;
  if (impl_->socket.is_open()) {
    impl_->socket.shutdown(tcp::socket::shutdown_both, ignored);
    impl_->socket.close(ignored);
  }
}

}  // namespace krn::enip
