#include "link/enip/session.h"

#include "config/byte_order.h"
#include "link/enip/encapsulation.h"
#include "link/enip/link_codes.h"
#include "link/enip/register_session.h"
#include "link/enip/send_rr_data.h"

namespace krn::enip {

namespace {

SenderContext ContextOf(uint64_t value) {
  SenderContext c{};
  for (std::size_t i = 0; i < c.size(); ++i) c[i] = static_cast<uint8_t>(value >> (8 * i));
  return c;
}

// The encapsulation time-out of a SendRRData, in whole seconds.
uint16_t TimeoutSeconds(uint32_t timeoutMs) {
  const uint32_t s = (timeoutMs + 999) / 1000;
  return static_cast<uint16_t>(s > 0xFFFF ? 0xFFFF : (s == 0 ? 1 : s));
}

}  // namespace

EnipSession::EnipSession(std::unique_ptr<Channel> channel, std::string device)
    : channel_(std::move(channel)), device_(std::move(device)) {}

EnipSession::~EnipSession() {
  channel_->Close();
}

void EnipSession::Drop() {
  channel_->Close();
  session_ = 0;
}

SessionResult EnipSession::Malformed(const std::string& what) {
  Drop();
  return {kLinkMalformedReply, "Malformed reply from " + device_ + ": " + what};
}

SessionResult EnipSession::ChannelFailure(const ChannelResult& r, const char* during,
                                          uint32_t timeoutMs) {
  Drop();
  const std::string detail = r.detail.empty() ? "" : " (" + r.detail + ")";
  switch (r.status) {
    case ChannelStatus::NoDevice: return {kLinkNoDevice, "No device found at " + device_ + detail};
    case ChannelStatus::Refused:
      return {kLinkRefused, device_ + " refused the connection; is the address and port right?"};
    case ChannelStatus::Timeout:
      return {kLinkTimeout, "No " + std::string(during) + " from " + device_ + " within " +
                                std::to_string(timeoutMs) + " ms"};
    case ChannelStatus::Lost:
      return {kLinkConnectionLost,
              device_ + " closed the connection during the " + std::string(during) + detail};
    default: return {kLinkNetworkError, "Network error with " + device_ + detail};
  }
}

SessionResult EnipSession::Exchange(uint16_t command, std::span<const uint8_t> data,
                                    std::vector<uint8_t>& replyData, Clock::time_point deadline,
                                    uint32_t timeoutMs, bool& sent) {
  EncapHeader header;
  header.command = command;
  header.session = session_;
  const uint64_t context = nextContext_++;
  header.context = ContextOf(context);
  sent = false;
  ChannelResult r = channel_->Send(EncodeEncap(header, data), deadline);
  if (!r.ok()) return ChannelFailure(r, "request", timeoutMs);
  sent = true;

  std::vector<uint8_t> message;
  for (;;) {
    r = channel_->Receive(message, deadline);
    if (!r.ok()) return ChannelFailure(r, "reply", timeoutMs);
    const EncapHeader reply = *DecodeEncapHeader(message);
    // A reply to an earlier request that was given up is passed over.
    if (reply.context != header.context) continue;
    if (reply.command != command) return Malformed("reply to another command");
    if (reply.status != kEncapSuccess) {
      Drop();
      char code[8];
      std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(reply.status & 0xFFFF));
      return {kLinkRejected, device_ + " rejected the request: encapsulation status " +
                                 std::string(code) + ", " + EncapStatusText(reply.status)};
    }
    if (command != kCmdRegisterSession && reply.session != session_) {
      return Malformed("reply for another session");
    }
    replyData.assign(message.begin() + kEncapHeaderSize, message.end());
    if (command == kCmdRegisterSession) session_ = reply.session;
    return {};
  }
}

SessionResult EnipSession::Open(Clock::time_point deadline, uint32_t timeoutMs) {
  session_ = 0;
  ChannelResult r = channel_->Connect(deadline);
  if (!r.ok()) return ChannelFailure(r, "connection", timeoutMs);
  ++stats_.connects;
  std::vector<uint8_t> reply;
  bool sent = false;
  SessionResult s =
      Exchange(kCmdRegisterSession, EncodeRegisterSession({}), reply, deadline, timeoutMs, sent);
  if (!s.ok()) return s;
  auto data = DecodeRegisterSession(reply);
  if (!data || data->protocolVersion != kProtocolVersion || session_ == 0) {
    return Malformed("bad RegisterSession reply");
  }
  ++stats_.registrations;
  return {};
}

SessionResult EnipSession::Request(std::span<const uint8_t> request, std::vector<uint8_t>& reply,
                                   uint32_t timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  ++stats_.requests;
  const auto data = EncodeSendRRData(TimeoutSeconds(timeoutMs), request);
  // A reused connection may have been closed by the device while idle: then
  // connect once more. A request that may have reached the device is never
  // sent twice.
  bool reused = channel_->IsOpen() && session_ != 0 && !channel_->PeerDropped();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!reused) {
      SessionResult s = Open(deadline, timeoutMs);
      if (!s.ok()) return s;
    }
    std::vector<uint8_t> replyData;
    bool sent = false;
    SessionResult s = Exchange(kCmdSendRRData, data, replyData, deadline, timeoutMs, sent);
    if (!s.ok()) {
      if (reused && !sent && s.code == kLinkConnectionLost) {
        reused = false;
        continue;
      }
      return s;
    }
    auto rr = DecodeSendRRData(replyData);
    if (!rr) return Malformed("bad SendRRData items");
    reply.assign(rr->message.begin(), rr->message.end());
    return {};
  }
  return {kLinkConnectionLost, device_ + " closed the connection"};
}

void EnipSession::Close(uint32_t timeoutMs) {
  if (channel_->IsOpen() && session_ != 0) {
    EncapHeader header;
    header.command = kCmdUnRegisterSession;
    header.session = session_;
    channel_->Send(EncodeEncap(header, {}), Clock::now() + std::chrono::milliseconds(timeoutMs));
  }
  Drop();
}

}  // namespace krn::enip
