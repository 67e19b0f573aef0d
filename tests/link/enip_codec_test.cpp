// Byte layouts of the EtherNet/IP codec and its refusal of malformed input.
#include <gtest/gtest.h>

#include "link/enip/cip_message.h"
#include "link/enip/cip_path.h"
#include "link/enip/encapsulation.h"
#include "link/enip/frame_assembler.h"
#include "link/enip/identity.h"
#include "link/enip/send_rr_data.h"
#include "link/enip/unconnected_send.h"

namespace krn::enip {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(EnipCodec, RoutedGetAttributesAllToSlot3) {
  const Bytes getAll = EncodeMrRequest(0x01, EncodeLogicalPath({1, 1, std::nullopt}), {});
  EXPECT_EQ(getAll, (Bytes{0x01, 0x02, 0x20, 0x01, 0x24, 0x01}));
  const PortHop slot3 = PortHop::Slot(kPortBackplane, 3);
  const Bytes message = EncodeUnconnectedSend(5000, getAll, EncodeRoute({&slot3, 1}));
  const Bytes expectedMessage = {0x52, 0x02, 0x20, 0x06, 0x24, 0x01,  // service, path
                                 0x05, 0x9D,                          // 2^5 ms x 157
                                 0x06, 0x00,                          // embedded size
                                 0x01, 0x02, 0x20, 0x01, 0x24, 0x01,  // embedded request
                                 0x01, 0x00,                          // route words, reserved
                                 0x01, 0x03};                         // port 1, slot 3
  EXPECT_EQ(message, expectedMessage);

  EncapHeader h;
  h.command = kCmdSendRRData;
  h.session = 0x11223344;
  h.context = {1, 2, 3, 4, 5, 6, 7, 8};
  const Bytes frame = EncodeEncap(h, EncodeSendRRData(5, message));
  Bytes expected = {0x6F, 0x00, 0x24, 0x00, 0x44, 0x33, 0x22, 0x11,  // command, length, session
                    0x00, 0x00, 0x00, 0x00, 1,    2,    3,    4,    5, 6, 7, 8,  // status, context
                    0x00, 0x00, 0x00, 0x00,                                      // options
                    0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x02, 0x00,  // handle, time-out, 2 items
                    0x00, 0x00, 0x00, 0x00,                          // Null Address item
                    0xB2, 0x00, 0x14, 0x00};                         // Unconnected Data, 20
  expected.insert(expected.end(), expectedMessage.begin(), expectedMessage.end());
  EXPECT_EQ(frame, expected);
}

TEST(EnipCodec, OddEmbeddedRequestIsPaddedAndSizedWithoutPad) {
  const Bytes odd = {0x0E, 0x03, 0x20, 0xC6, 0x24, 0x01, 0x30, 0x02, 0xAA};
  const PortHop slot = PortHop::Slot(kPortBackplane, 12);
  const Bytes m = EncodeUnconnectedSend(20000, odd, EncodeRoute({&slot, 1}));
  ASSERT_EQ(m.size(), 6u + 4 + 9 + 1 + 2 + 2);
  EXPECT_EQ(m[6], 7);    // 2^7 ms
  EXPECT_EQ(m[7], 157);  // x 157 >= 20000 ms
  EXPECT_EQ(m[8], 9);    // size without the pad
  EXPECT_EQ(m[19], 0);   // pad
  EXPECT_EQ(m[20], 1);   // route words
  auto decoded = DecodeUnconnectedSend(std::span<const uint8_t>(m).subspan(6));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(Bytes(decoded->request.begin(), decoded->request.end()), odd);
  EXPECT_EQ(decoded->timeout.Milliseconds(), 128u * 157);
}

TEST(EnipCodec, TimeoutTicksCoverTheTimeout) {
  struct Case {
    uint32_t ms;
    uint8_t tick, ticks;
  };
  for (const Case& c : {Case{0, 0, 1}, Case{255, 0, 255}, Case{256, 1, 128}, Case{5000, 5, 157},
                        Case{20000, 7, 157}}) {
    const TickTimeout t = TimeoutToTicks(c.ms);
    EXPECT_EQ(t.tick, c.tick) << c.ms;
    EXPECT_EQ(t.ticks, c.ticks) << c.ms;
    EXPECT_GE(t.Milliseconds(), c.ms);
  }
}

TEST(EnipCodec, PortSegments) {
  // Extended link address: 0x10 | port, length, text, pad when the length is odd.
  const std::vector<PortHop> hops = {PortHop::Address(kPortEthernet, "10.0.0.1"),
                                     PortHop::Address(kPortEthernet, "127.0.0.1:44818"),
                                     PortHop::Slot(kPortBackplane, 16)};
  const Bytes route = EncodeRoute(hops);
  Bytes expected = {0x12, 8,   '1', '0', '.', '0', '.', '0', '.', '1', 0x12, 15,  '1',  '2',  '7',
                    '.',  '0', '.', '0', '.', '1', ':', '4', '4', '8', '1',  '8', 0x00, 0x01, 16};
  EXPECT_EQ(route, expected);
  auto decoded = DecodeRoute(route);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, hops);

  for (const Bytes& bad : {Bytes{0x12}, Bytes{0x12, 5, 'a', 'b'}, Bytes{0x01}, Bytes{0x20, 0x01},
                           Bytes{0x00, 0x03}, Bytes{0x12, 0}}) {
    EXPECT_FALSE(DecodeRoute(bad)) << testing::PrintToString(bad);
  }
}

TEST(EnipCodec, LogicalPaths) {
  auto p = DecodeLogicalPath(Bytes{0x20, 0xC6, 0x24, 0x01, 0x30, 0x02}).path;
  ASSERT_TRUE(p);
  EXPECT_EQ(p->classId, 0xC6);
  EXPECT_EQ(p->instance, 1);
  EXPECT_EQ(p->attribute, 2);
  EXPECT_EQ(EncodeLogicalPath({0x300, 1, std::nullopt}), (Bytes{0x21, 0, 0x00, 0x03, 0x24, 1}));
  // Out of order, repeated, truncated or unknown segments: the offset of the culprit.
  struct Case {
    Bytes bytes;
    std::size_t offset;
  };
  for (const Case& c :
       {Case{{0x24, 0x01}, 0}, Case{{0x20, 0x01, 0x20, 0x02}, 2},
        Case{{0x20, 0x01, 0x25, 0x00, 0x01}, 2}, Case{{0x20, 0x01, 0x91, 0x02}, 2}, Case{{}, 0}}) {
    auto r = DecodeLogicalPath(c.bytes);
    EXPECT_FALSE(r.path) << testing::PrintToString(c.bytes);
    EXPECT_EQ(r.errorOffset, c.offset) << testing::PrintToString(c.bytes);
  }
}

TEST(EnipCodec, IdentityAttributesAtTheirOffsets) {
  IdentityInfo id;
  id.vendorId = 1733;
  id.productCode = 1021;
  id.productName = "CLX-KRN735-MON";
  const Bytes b = EncodeIdentityAttributes(id);
  ASSERT_EQ(b.size(), 15u + 14);
  EXPECT_EQ(b[0] | (b[1] << 8), 1733);
  EXPECT_EQ(b[4] | (b[5] << 8), 1021);
  EXPECT_EQ(b[14], 14);
  EXPECT_EQ(std::string(b.begin() + 15, b.end()), "CLX-KRN735-MON");

  id.ipv4 = 0x7F000001;
  id.port = 44818;
  const Bytes reply = EncodeListIdentityReply(id);
  // Item count 1, type 0x0C, then the version and the socket address in
  // network byte order.
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 4), (Bytes{1, 0, 0x0C, 0}));
  EXPECT_EQ(Bytes(reply.begin() + 6, reply.begin() + 16),
            (Bytes{1, 0, 0, 2, 0xAF, 0x12, 127, 0, 0, 1}));
  auto back = DecodeListIdentityReply(reply);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->productName, id.productName);
  EXPECT_EQ(back->port, 44818);
  EXPECT_EQ(back->ipv4, 0x7F000001u);
  EXPECT_FALSE(DecodeListIdentityReply(Bytes(reply.begin(), reply.end() - 1)));
}

TEST(EnipCodec, MalformedRepliesAreRefused) {
  EXPECT_TRUE(DecodeMrReply(Bytes{0x81, 0, 0, 0}));
  EXPECT_TRUE(DecodeMrReply(Bytes{0xD2, 0, 1, 1, 0x12, 0x03, 0x01}));
  for (const Bytes& bad : {Bytes{}, Bytes{0x81, 0, 0}, Bytes{0x01, 0, 0, 0},  // no reply flag
                           Bytes{0x81, 0, 1, 2, 0x12, 0x03}}) {               // short status
    EXPECT_FALSE(DecodeMrReply(bad)) << testing::PrintToString(bad);
  }
  const Bytes good = EncodeSendRRData(0, Bytes{0x81, 0, 0, 0});
  EXPECT_TRUE(DecodeSendRRData(good));
  auto mutate = [&](std::size_t at, uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  for (const Bytes& bad : {mutate(0, 1),      // interface handle not 0
                           mutate(6, 3),      // three items
                           mutate(6, 1),      // one item
                           mutate(10, 2),     // null address item with a length
                           mutate(12, 0xB1),  // connected data item
                           mutate(14, 5),     // data item longer than the data
                           mutate(14, 3),     // data item shorter than the data
                           Bytes(good.begin(), good.begin() + 15)}) {
    EXPECT_FALSE(DecodeSendRRData(bad)) << testing::PrintToString(bad);
  }
}

TEST(EnipCodec, FramesAreReassembledFromAnySplit) {
  EncapHeader h;
  h.command = kCmdListIdentity;
  const Bytes one = EncodeEncap(h, Bytes{1, 2, 3});
  h.command = kCmdNop;
  const Bytes two = EncodeEncap(h, {});
  Bytes stream = one;
  stream.insert(stream.end(), two.begin(), two.end());
  FrameAssembler a;
  std::vector<Bytes> frames;
  Bytes frame;
  for (uint8_t byte : stream) {
    a.Feed(std::span<const uint8_t>(&byte, 1));
    while (a.Next(frame)) frames.push_back(frame);
  }
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], one);
  EXPECT_EQ(frames[1], two);
  EXPECT_FALSE(a.HasPartial());
}

}  // namespace
}  // namespace krn::enip
