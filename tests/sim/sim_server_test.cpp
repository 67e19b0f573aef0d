// The simulator on the network: real loopback TCP (and UDP) against the
// server library, with raw sockets that send what a well-behaved client
// never would.
#include "sim/sim_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <thread>

#include "config/byte_order.h"
#include "link/enip/encapsulation.h"
#include "link/enip/identity.h"
#include "link/enip/register_session.h"
#include "link/enip/send_rr_data.h"
#include "link/enip_dtl.h"

namespace krn::sim {
namespace {

using namespace krn::enip;
using Bytes = std::vector<uint8_t>;

class RunningServer {
 public:
  explicit RunningServer(std::chrono::milliseconds stall = std::chrono::milliseconds(10000)) {
    ModuleSettings settings;
    chassis.Insert(3, std::make_unique<SimModule>(settings));
    ServerSettings s;
    s.port = 0;
    s.stallTimeout = stall;
    server = std::make_unique<SimServer>(chassis, s);
    std::string error;
    EXPECT_TRUE(server->Start(error)) << error;
    thread = std::thread([this] { server->Run(); });
  }
  ~RunningServer() { Stop(); }
  void Stop() {
    if (!thread.joinable()) return;
    server->Stop();
    thread.join();
  }
  std::string Path(int slot) const {
    return "ENET\\127.0.0.1:" + std::to_string(server->port()) + "\\Backplane\\" +
           std::to_string(slot);
  }

  SimChassis chassis;
  std::unique_ptr<SimServer> server;
  std::thread thread;
};

// A plain socket that sends anything and reads with a time limit.
class RawClient {
 public:
  RawClient(uint16_t port, int type = SOCK_STREAM) : fd_(socket(AF_INET, type, 0)) {
    addr_.sin_family = AF_INET;
    addr_.sin_port = htons(port);
    addr_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (type == SOCK_STREAM) {
      EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&addr_), sizeof addr_), 0);
    }
  }
  ~RawClient() { close(fd_); }
  void Send(const Bytes& b) {
    EXPECT_EQ(sendto(fd_, b.data(), b.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr_),
                     sizeof addr_),
              static_cast<ssize_t>(b.size()));
  }
  // Reads one encapsulation message; empty when the peer closed or nothing
  // came within the time.
  Bytes Receive(int timeoutMs = 2000) {
    Bytes got;
    while (got.size() < kEncapHeaderSize || got.size() < kEncapHeaderSize + GetLe16(&got[2])) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) return {};
      uint8_t buffer[2048];
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return {};
      got.insert(got.end(), buffer, buffer + n);
    }
    return got;
  }
  // True when the peer closed the connection within the time.
  bool ClosedByPeer(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    uint8_t b[256];
    return recv(fd_, b, sizeof b, 0) <= 0;
  }

 private:
  int fd_;
  sockaddr_in addr_{};
};

Bytes Message(uint16_t command, uint32_t session, const Bytes& data) {
  EncapHeader h;
  h.command = command;
  h.session = session;
  return EncodeEncap(h, data);
}

uint32_t Register(RawClient& c) {
  c.Send(Message(kCmdRegisterSession, 0, EncodeRegisterSession({})));
  const Bytes r = c.Receive();
  EXPECT_GE(r.size(), kEncapHeaderSize);
  return r.size() >= kEncapHeaderSize ? DecodeEncapHeader(r)->session : 0;
}

TEST(SimServer, OneConnectionAndOneSessionPerOpenLink) {
  RunningServer s;
  EnipDtl dtl;
  dtl.StartLibrary();
  ASSERT_EQ(dtl.OpenDriver(0, "ENET", 5000), 0u);
  DtlTarget target;
  ASSERT_TRUE(dtl.CreateTargetFromPath(s.Path(3), target));
  const DtlTargetRecord record{110, 0, target.route};
  const Bytes path = {0x02, 0x20, 0x01, 0x24, 0x01};
  uint8_t reply[504];
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(dtl.CipMessageSend(record, 0x01, path, nullptr, 0, reply, 504, 5000).status, 0u);
  }
  dtl.StopLibrary();
  s.Stop();
  EXPECT_EQ(s.server->connectionsAccepted(), 1);
  EXPECT_EQ(s.chassis.sessionsRegistered(), 1);
}

TEST(SimServer, SessionIsBoundToItsConnection) {
  RunningServer s;
  RawClient a(s.server->port());
  RawClient b(s.server->port());
  const uint32_t session = Register(a);
  ASSERT_NE(session, 0u);

  const Bytes rr = EncodeSendRRData(5, Bytes{0x01, 0x02, 0x20, 0x01, 0x24, 0x01});
  b.Send(Message(kCmdSendRRData, session, rr));  // another connection's session
  Bytes r = b.Receive();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(DecodeEncapHeader(r)->status, kEncapInvalidSession);

  a.Send(Message(kCmdRegisterSession, 0, EncodeRegisterSession({})));  // a second one
  r = a.Receive();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(DecodeEncapHeader(r)->status, kEncapInvalidCommand);

  a.Send(Message(kCmdSendRRData, session, rr));  // its own session: the bridge answers
  r = a.Receive();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(DecodeEncapHeader(r)->status, kEncapSuccess);

  a.Send(Message(kCmdUnRegisterSession, session, {}));
  EXPECT_TRUE(a.ClosedByPeer(2000));
}

TEST(SimServer, SurvivesAnyBytesAndKeepsServingOthers) {
  RunningServer s(std::chrono::milliseconds(300));
  std::mt19937 random(735);
  for (int round = 0; round < 40; ++round) {
    RawClient junk(s.server->port());
    if (round % 2 == 1) Register(junk);
    // Valid headers with random commands and data, and plain noise.
    Bytes noise(static_cast<std::size_t>(random() % 600));
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
    if (round % 3 == 0 && noise.size() >= 24) {
      PutLe16(noise.data(), static_cast<uint16_t>(kCmdSendRRData));
      PutLe16(noise.data() + 2, static_cast<uint16_t>(noise.size() - 24));
      PutLe32(noise.data() + 20, 0);
    }
    junk.Send(noise);
  }
  EnipDtl dtl;
  dtl.StartLibrary();
  dtl.OpenDriver(0, "ENET", 5000);
  DtlTarget target;
  ASSERT_TRUE(dtl.CreateTargetFromPath(s.Path(3), target));
  uint8_t reply[504];
  const DtlReply r = dtl.CipMessageSend(
      {110, 0, target.route}, 0x01, {0x02, 0x20, 0x01, 0x24, 0x01}, nullptr, 0, reply, 504, 5000);
  EXPECT_EQ(r.status, 0u) << dtl.ErrorText(r.status);
}

TEST(SimServer, ClientStallingMidMessageIsDropped) {
  RunningServer s(std::chrono::milliseconds(200));
  RawClient idle(s.server->port());
  RawClient stalled(s.server->port());
  Bytes half = Message(kCmdRegisterSession, 0, EncodeRegisterSession({}));
  half.resize(10);
  stalled.Send(half);
  EXPECT_TRUE(stalled.ClosedByPeer(5000));
  // A connection idle between messages is not stalled.
  EXPECT_NE(Register(idle), 0u);
}

TEST(SimServer, ListIdentityOverTcpAndUdp) {
  RunningServer s;
  for (int type : {SOCK_STREAM, SOCK_DGRAM}) {
    RawClient c(s.server->port(), type);
    c.Send(Message(kCmdListIdentity, 0, {}));
    const Bytes r = c.Receive();
    ASSERT_GE(r.size(), kEncapHeaderSize) << type;
    auto id = DecodeListIdentityReply(std::span<const uint8_t>(r).subspan(kEncapHeaderSize));
    ASSERT_TRUE(id) << type;
    EXPECT_EQ(id->productName, "KRNSIM Ethernet Bridge");
    EXPECT_EQ(id->port, s.server->port());
    EXPECT_EQ(id->ipv4, 0x7F000001u);
  }
}

}  // namespace
}  // namespace krn::sim
