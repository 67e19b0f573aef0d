#include "sim/sim_connection.h"

#include "link/enip/byte_writer.h"
#include "link/enip/identity.h"
#include "link/enip/register_session.h"
#include "link/enip/send_rr_data.h"

namespace krn::sim {

using namespace krn::enip;

namespace {

constexpr uint16_t kItemServices = 0x0100;
constexpr uint16_t kCapabilityCipTcp = 0x0020;

std::vector<uint8_t> ListServicesReply() {
  ByteWriter w;
  w.U16(1);
  w.U16(kItemServices);
  w.U16(20);
  w.U16(kProtocolVersion);
  w.U16(kCapabilityCipTcp);
  w.Text("Communications");
  w.Zeros(2);
  return w.Take();
}

}  // namespace

void SimConnection::Feed(std::span<const uint8_t> bytes, std::vector<SimOutput>& out) {
  if (closed_) return;
  assembler_.Feed(bytes);
  std::vector<uint8_t> frame;
  while (!closed_ && assembler_.Next(frame)) {
    ++handled_;
    Handle(frame, out);
  }
}

std::vector<uint8_t> SimConnection::Reply(const EncapHeader& request, uint32_t status,
                                          std::span<const uint8_t> data, uint32_t session) const {
  EncapHeader h;
  h.command = request.command;
  h.session = session;
  h.status = status;
  h.context = request.context;
  return EncodeEncap(h, data);
}

void SimConnection::Handle(const std::vector<uint8_t>& frame, std::vector<SimOutput>& out) {
  const EncapHeader h = *DecodeEncapHeader(frame);
  const std::span<const uint8_t> data = std::span<const uint8_t>(frame).subspan(kEncapHeaderSize);
  auto send = [&](uint32_t status, std::span<const uint8_t> body, uint32_t session) {
    out.push_back({SimOutput::Kind::Send, Reply(h, status, body, session)});
  };
  // Messages with options set are discarded unanswered, as the protocol asks.
  if (h.options != 0) return;

  switch (h.command) {
    case kCmdNop: return;
    case kCmdListIdentity: {
      IdentityInfo identity = chassis_.bridgeIdentity();
      if (localPort_ != 0) {
        identity.ipv4 = localIpv4_;
        identity.port = localPort_;
      }
      send(kEncapSuccess, EncodeListIdentityReply(identity), h.session);
      return;
    }
    case kCmdListServices: send(kEncapSuccess, ListServicesReply(), h.session); return;
    case kCmdListInterfaces: {
      const uint8_t none[2] = {0, 0};
      send(kEncapSuccess, none, h.session);
      return;
    }
    case kCmdRegisterSession: {
      auto request = DecodeRegisterSession(data);
      const auto supported = EncodeRegisterSession({});
      if (!request) {
        send(kEncapInvalidLength, {}, 0);
      } else if (request->protocolVersion != kProtocolVersion || request->options != 0) {
        send(kEncapUnsupportedProtocol, supported, 0);
      } else if (session_ != 0) {
        send(kEncapInvalidCommand, supported, 0);
      } else {
        session_ = chassis_.NewSessionHandle();
        send(kEncapSuccess, supported, session_);
      }
      return;
    }
    case kCmdUnRegisterSession:
      if (session_ != 0 && h.session == session_) {
        closed_ = true;
        out.push_back({SimOutput::Kind::Close, {}});
      } else {
        send(kEncapInvalidSession, {}, h.session);
      }
      return;
    case kCmdSendRRData: {
      if (session_ == 0 || h.session != session_) {
        send(kEncapInvalidSession, {}, h.session);
        return;
      }
      auto rr = DecodeSendRRData(data);
      if (!rr) {
        send(kEncapIncorrectData, {}, h.session);
        return;
      }
      RouterOutcome outcome = chassis_.BridgeRequest(rr->message);
      if (outcome.kind == CipOutcome::Kind::Silent) return;
      if (outcome.kind == CipOutcome::Kind::Drop) {
        closed_ = true;
        out.push_back({SimOutput::Kind::Close, {}});
        return;
      }
      send(kEncapSuccess, EncodeSendRRData(0, outcome.message), h.session);
      return;
    }
    default: send(kEncapInvalidCommand, {}, h.session); return;
  }
}

}  // namespace krn::sim
