// Fuzzes the simulator's reading of requests. The first byte picks how deep
// the rest goes: as a raw TCP byte stream, as SendRRData data of a
// registered session, or as the Message Router request inside it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/enip/encapsulation.h"
#include "link/enip/register_session.h"
#include "link/enip/send_rr_data.h"
#include "sim/sim_chassis.h"
#include "sim/sim_connection.h"

using namespace krn;
using namespace krn::enip;
using namespace krn::sim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  SimChassis chassis;
  ModuleSettings settings;
  settings.scanPolls = 2;
  chassis.Insert(3, std::make_unique<SimModule>(settings));
  SimConnection connection(chassis);
  std::vector<SimOutput> out;

  const uint8_t mode = data[0] % 3;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  if (mode == 0) {
    // Raw stream, split at a point the input chooses.
    const std::size_t split = rest.empty() ? 0 : rest[0] % (rest.size() + 1);
    connection.Feed(rest.first(split), out);
    connection.Feed(rest.subspan(split), out);
    return 0;
  }
  EncapHeader h;
  h.command = kCmdRegisterSession;
  connection.Feed(EncodeEncap(h, EncodeRegisterSession({})), out);
  if (out.empty() || out[0].bytes.size() < kEncapHeaderSize) return 0;
  h.session = DecodeEncapHeader(out[0].bytes)->session;
  h.command = kCmdSendRRData;
  if (mode == 1) {
    connection.Feed(EncodeEncap(h, rest.first(std::min<std::size_t>(rest.size(), 65535))), out);
  } else {
    const auto body = EncodeSendRRData(5, rest.first(std::min<std::size_t>(rest.size(), 65000)));
    connection.Feed(EncodeEncap(h, body), out);
    connection.Feed(EncodeEncap(h, body), out);  // a second time: state carried over
  }
  return 0;
}
