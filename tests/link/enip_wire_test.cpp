// What EnipDtl puts on the wire and how it takes replies apart, against a
// scripted peer on loopback that answers each message as a test tells it:
// whole, byte by byte, malformed, or not at all.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <asio.hpp>
#include <functional>
#include <mutex>
#include <thread>

#include "config/byte_order.h"
#include "link/enip/cip_message.h"
#include "link/enip/encapsulation.h"
#include "link/enip/frame_assembler.h"
#include "link/enip/link_codes.h"
#include "link/enip/register_session.h"
#include "link/enip/send_rr_data.h"
#include "link/enip_dtl.h"

namespace krn::enip {
namespace {

using Bytes = std::vector<uint8_t>;
using asio::ip::tcp;

constexpr uint32_t kSession = 0x01020304;

// What the peer does with one received message.
struct Action {
  std::vector<Bytes> writes;  // each written on its own
  int pauseMs = 0;            // between writes
  bool close = false;         // afterwards
  bool stall = false;         // write, then never answer again on this connection
};

class ScriptedPeer {
 public:
  using Script = std::function<Action(const Bytes& message, int index)>;

  explicit ScriptedPeer(Script script) : script_(std::move(script)), acceptor_(io_) {
    acceptor_.open(tcp::v4());
    acceptor_.bind({asio::ip::make_address("127.0.0.1"), 0});
    acceptor_.listen();
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedPeer() {
    stopping_ = true;
    ::shutdown(acceptor_.native_handle(), SHUT_RDWR);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (current_ != nullptr) ::shutdown(current_->native_handle(), SHUT_RDWR);
    }
    thread_.join();
  }

  std::string Path(int slot) const {
    return "ENET\\127.0.0.1:" + std::to_string(acceptor_.local_endpoint().port()) +
           "\\Backplane\\" + std::to_string(slot);
  }
  std::vector<Bytes> received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }
  int connections() {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
  }

 private:
  void Serve() {
    while (!stopping_) {
      tcp::socket socket(io_);
      asio::error_code ec;
      acceptor_.accept(socket, ec);
      if (ec) return;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ++connections_;
        current_ = &socket;
      }
      Talk(socket);
      std::lock_guard<std::mutex> lock(mutex_);
      current_ = nullptr;
    }
  }

  void Talk(tcp::socket& socket) {
    FrameAssembler assembler;
    uint8_t buffer[1024];
    bool stalled = false;
    for (;;) {
      asio::error_code ec;
      const std::size_t n = socket.read_some(asio::buffer(buffer), ec);
      if (ec) return;
      assembler.Feed(std::span<const uint8_t>(buffer, n));
      Bytes message;
      while (assembler.Next(message)) {
        int index = 0;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          received_.push_back(message);
          index = static_cast<int>(received_.size()) - 1;
        }
        if (stalled) continue;
        const Action action = script_(message, index);
        for (const Bytes& w : action.writes) {
          asio::write(socket, asio::buffer(w), ec);
          if (action.pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(action.pauseMs));
        }
        if (action.close) return;
        stalled = action.stall;
      }
    }
  }

  Script script_;
  asio::io_context io_;
  tcp::acceptor acceptor_;
  std::thread thread_;
  std::mutex mutex_;
  tcp::socket* current_ = nullptr;
  std::vector<Bytes> received_;
  int connections_ = 0;
  std::atomic<bool> stopping_{false};
};

EncapHeader HeaderOf(const Bytes& message) {
  return *DecodeEncapHeader(message);
}

Bytes ReplyTo(const Bytes& request, std::span<const uint8_t> data, uint32_t status = 0) {
  EncapHeader h = HeaderOf(request);
  h.status = status;
  if (h.command == kCmdRegisterSession) h.session = kSession;
  return EncodeEncap(h, data);
}

// The usual answers: a session for RegisterSession, `mr` for SendRRData.
Action Answer(const Bytes& request, const Bytes& mr) {
  const EncapHeader h = HeaderOf(request);
  if (h.command == kCmdRegisterSession) return {{ReplyTo(request, EncodeRegisterSession({}))}};
  if (h.command == kCmdSendRRData) return {{ReplyTo(request, EncodeSendRRData(0, mr))}};
  return {};
}

const Bytes kIdentityReply = {0x81, 0, 0, 0, 0xC5, 0x06, 0x0C, 0, 0xFD, 0x03};
const Bytes kIdentityPath = {0x02, 0x20, 0x01, 0x24, 0x01};

struct Client {
  explicit Client(const std::string& path) {
    dtl.StartLibrary();
    DtlTarget target;
    EXPECT_TRUE(dtl.CreateTargetFromPath(path, target));
    record.driverId = 0;
    record.route = target.route;
    dtl.OpenDriver(0, "ENET", 5000);
  }
  DtlReply GetAll(uint32_t timeoutMs = 5000) {
    data.assign(504, 0);
    DtlReply r =
        dtl.CipMessageSend(record, 0x01, kIdentityPath, nullptr, 0, data.data(), 504, timeoutMs);
    data.resize(r.size);
    return r;
  }
  EnipDtl dtl;
  DtlTargetRecord record;
  Bytes data;
};

TEST(EnipWire, RegisterSessionAndRoutedRequestByteForByte) {
  ScriptedPeer peer([](const Bytes& m, int) { return Answer(m, kIdentityReply); });
  Client c(peer.Path(3));
  ASSERT_EQ(c.GetAll().status, 0u) << c.dtl.ErrorText(c.GetAll().status);
  EXPECT_EQ(c.data, Bytes(kIdentityReply.begin() + 4, kIdentityReply.end()));
  c.dtl.CloseDriver(0, 5000);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));

  const auto frames = peer.received();
  ASSERT_EQ(frames.size(), 3u);
  const Bytes reg = {0x65, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0,
                     0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(frames[0], reg);
  const Bytes rr = {
      0x6F, 0,    0x24, 0,    0x04, 0x03, 0x02, 0x01, 0,    0,    0,    0,  // header
      2,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,  // context 2, options
      0,    0,    0,    0,    5,    0,    2,    0,                          // handle, 5 s, 2 items
      0,    0,    0,    0,    0xB2, 0,    0x14, 0,                          // Null Address, data
      0x52, 0x02, 0x20, 0x06, 0x24, 0x01, 0x05, 0x9D, 0x06, 0x00, 0x01, 0x02,
      0x20, 0x01, 0x24, 0x01, 0x01, 0x00, 0x01, 0x03};
  EXPECT_EQ(frames[1], rr);
  const Bytes unreg = {0x66, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0,
                       0,    0, 0, 0, 0,    0,    0,    0,    0, 0, 0, 0};
  EXPECT_EQ(frames[2], unreg);
}

TEST(EnipWire, ReplyArrivingByteByByteIsReassembled) {
  ScriptedPeer peer([](const Bytes& m, int) {
    Action a = Answer(m, kIdentityReply);
    if (a.writes.empty()) return a;
    Bytes whole = a.writes[0];
    a.writes.clear();
    for (uint8_t b : whole) a.writes.push_back({b});
    a.pauseMs = 1;
    return a;
  });
  Client c(peer.Path(3));
  ASSERT_EQ(c.GetAll().status, 0u);
  EXPECT_EQ(c.data.size(), kIdentityReply.size() - 4);
}

TEST(EnipWire, MalformedRepliesAreRefusedWithClearTexts) {
  struct Case {
    const char* name;
    std::function<Action(const Bytes& request)> reply;
    uint32_t code;
    std::string text;
  };
  auto rr = [](const Bytes& request, const Bytes& cpf, uint32_t status = 0) {
    return Action{{ReplyTo(request, cpf, status)}};
  };
  const Bytes good = EncodeSendRRData(0, kIdentityReply);
  const std::vector<Case> cases = {
      {"another command",
       [&](const Bytes& q) {
         Bytes b = ReplyTo(q, good);
         b[0] = 0x70;
         return Action{{b}};
       },
       kLinkMalformedReply, "Malformed reply from 127.0.0.1:PORT: reply to another command"},
      {"another session",
       [&](const Bytes& q) {
         Bytes b = ReplyTo(q, good);
         b[4] = 0x99;
         return Action{{b}};
       },
       kLinkMalformedReply, "Malformed reply from 127.0.0.1:PORT: reply for another session"},
      {"encapsulation error", [&](const Bytes& q) { return rr(q, {}, 0x64); }, kLinkRejected,
       "127.0.0.1:PORT rejected the request: encapsulation status 0x0064, invalid session handle"},
      {"one item",
       [&](const Bytes& q) {
         Bytes cpf = good;
         cpf[6] = 1;
         return rr(q, cpf);
       },
       kLinkMalformedReply, "Malformed reply from 127.0.0.1:PORT: bad SendRRData items"},
      {"reply to another service",
       [&](const Bytes& q) {
         return rr(q, EncodeSendRRData(0, Bytes{0x8E, 0, 0, 0}));
       },
       kLinkMalformedReply, "Malformed reply from 127.0.0.1:PORT: not a reply to service 0x01"},
      {"router reply without error",
       [&](const Bytes& q) {
         return rr(q, EncodeSendRRData(0, Bytes{0xD2, 0, 0, 0}));
       },
       kLinkMalformedReply, "Malformed reply from 127.0.0.1:PORT: not a reply to service 0x01"},
      {"truncated status",
       [&](const Bytes& q) {
         return rr(q, EncodeSendRRData(0, Bytes{0x81, 0, 1, 2, 0}));
       },
       kLinkMalformedReply, "Malformed reply from 127.0.0.1:PORT: truncated CIP reply"},
      {"length beyond the bytes, then closed",
       [&](const Bytes& q) {
         Bytes b = ReplyTo(q, good);
         PutLe16(b.data() + 2, 300);
         return Action{{b}, 0, true};
       },
       kLinkConnectionLost, "127.0.0.1:PORT closed the connection during the reply (End of file)"},
      {"length beyond the bytes, then silence",
       [&](const Bytes& q) {
         Bytes b = ReplyTo(q, good);
         PutLe16(b.data() + 2, 300);
         return Action{{b}, 0, false, true};
       },
       kLinkTimeout, "No reply from 127.0.0.1:PORT within 300 ms"},
  };
  for (const Case& k : cases) {
    ScriptedPeer peer([&](const Bytes& m, int) {
      if (HeaderOf(m).command == kCmdSendRRData) return k.reply(m);
      return Answer(m, {});
    });
    Client c(peer.Path(3));
    const DtlReply r = c.GetAll(300);
    EXPECT_EQ(r.status, k.code) << k.name;
    std::string text = k.text;
    const std::string port = peer.Path(3).substr(15, peer.Path(3).find("\\Back") - 15);
    text.replace(text.find("PORT"), 4, port);
    EXPECT_EQ(c.dtl.ErrorText(r.status), text) << k.name;
    EXPECT_TRUE(c.data.empty()) << k.name;
  }
}

TEST(EnipWire, StaleReplyIsPassedOverAndCipErrorsKeepTheirStatus) {
  ScriptedPeer peer([](const Bytes& m, int) {
    Action a = Answer(m, {0xD2, 0, 0x01, 1, 0x12, 0x03, 0x01});
    if (HeaderOf(m).command == kCmdSendRRData) {
      Bytes stale = a.writes[0];
      stale[12] ^= 0xFF;  // another sender context
      a.writes.insert(a.writes.begin(), stale);
    }
    return a;
  });
  Client c(peer.Path(9));
  const DtlReply r = c.GetAll();
  EXPECT_EQ(r.status, 0x401u);
  EXPECT_EQ(r.extended, 0x0312);
}

TEST(EnipWire, IdleConnectionDroppedByThePeerIsReopenedOnce) {
  // The peer answers one request per connection, then closes it.
  ScriptedPeer peer([](const Bytes& m, int) {
    Action a = Answer(m, kIdentityReply);
    a.close = HeaderOf(m).command == kCmdSendRRData;
    return a;
  });
  Client c(peer.Path(3));
  ASSERT_EQ(c.GetAll().status, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(c.GetAll().status, 0u) << c.dtl.ErrorText(c.GetAll().status);
  EXPECT_EQ(peer.connections(), 2);
  EXPECT_EQ(c.dtl.Stats().registrations, 2);
}

TEST(EnipWire, RefusedRegistration) {
  ScriptedPeer peer([](const Bytes& m, int) {
    return Action{{ReplyTo(m, EncodeRegisterSession({}), kEncapUnsupportedProtocol)}};
  });
  Client c(peer.Path(3));
  const DtlReply r = c.GetAll();
  EXPECT_EQ(r.status, kLinkRejected);
  EXPECT_NE(c.dtl.ErrorText(r.status).find("unsupported protocol version"), std::string::npos);
}

}  // namespace
}  // namespace krn::enip
