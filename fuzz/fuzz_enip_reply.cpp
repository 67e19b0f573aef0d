// Fuzzes the client's reading of replies: the session's header checks over a
// channel that returns the fuzz bytes as the device's byte stream, and every
// reply decoder of the codec.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/enip/cip_message.h"
#include "link/enip/cip_path.h"
#include "link/enip/encapsulation.h"
#include "link/enip/frame_assembler.h"
#include "link/enip/identity.h"
#include "link/enip/register_session.h"
#include "link/enip/send_rr_data.h"
#include "link/enip/session.h"

namespace {

using namespace krn::enip;

// Serves the fuzz bytes as what the device sends back.
class StreamChannel : public Channel {
 public:
  explicit StreamChannel(std::span<const uint8_t> bytes) { assembler_.Feed(bytes); }
  ChannelResult Connect(Clock::time_point) override {
    open_ = true;
    return {};
  }
  bool IsOpen() const override { return open_; }
  bool PeerDropped() override { return !open_; }
  ChannelResult Send(std::span<const uint8_t>, Clock::time_point) override {
    return open_ ? ChannelResult{} : ChannelResult{ChannelStatus::Lost, {}};
  }
  ChannelResult Receive(std::vector<uint8_t>& message, Clock::time_point) override {
    if (assembler_.Next(message)) return {};
    return {ChannelStatus::Lost, {}};
  }
  void Close() override { open_ = false; }

 private:
  FrameAssembler assembler_;
  bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);

  EnipSession session(std::make_unique<StreamChannel>(bytes), "fuzz");
  std::vector<uint8_t> reply;
  const uint8_t request[] = {0x01, 0x02, 0x20, 0x01, 0x24, 0x01};
  for (int i = 0; i < 3; ++i) session.Request(request, reply, 1000);

  (void)DecodeEncapHeader(bytes);
  (void)DecodeRegisterSession(bytes);
  if (auto rr = DecodeSendRRData(bytes)) (void)DecodeMrReply(rr->message);
  if (auto mr = DecodeMrReply(bytes)) (void)DecodeIdentityAttributes(mr->data);
  (void)DecodeListIdentityReply(bytes);
  (void)DecodeRoute(bytes);
  (void)DecodeLogicalPath(bytes);
  return 0;
}
