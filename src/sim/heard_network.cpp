#include "sim/heard_network.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace krn::sim {

namespace {

struct SlotKind {
  std::string_view text;
  uint8_t code;
  uint8_t analog;
  uint8_t bytes;
};

constexpr SlotKind kSlotKinds[] = {
    {"-", 0, 0, 0},  {"8", 1, 0, 1},   {"16", 3, 0, 2},   {"32", 15, 0, 4},
    {"A8", 1, 1, 1}, {"A16", 3, 1, 2}, {"A32", 15, 1, 4},
};

bool ParseNumber(std::string_view text, unsigned max, unsigned& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value <= max;
}

bool ParseLine(const std::string& line, HeardCardFile& file, std::string& what) {
  std::istringstream words(line);
  std::string word;
  words >> word;  // "cardfile"
  if (word != "cardfile") {
    what = "expected \"cardfile\" at the start, found \"" + word + "\"";
    return false;
  }
  unsigned address = 0;
  if (!(words >> word) || !ParseNumber(word, 255, address)) {
    what = "the byte address must be a number from 0 to 255";
    return false;
  }
  file.byteAddress = static_cast<uint8_t>(address);
  unsigned dlen = 0;
  bool dlenGiven = false;
  std::size_t slot = 0;
  while (words >> word) {
    if (word.rfind("dlen=", 0) == 0) {
      if (!ParseNumber(std::string_view(word).substr(5), 255, dlen)) {
        what = "dlen must be a number from 0 to 255";
        return false;
      }
      dlenGiven = true;
      continue;
    }
    const SlotKind* kind = nullptr;
    for (const SlotKind& k : kSlotKinds) {
      if (k.text == word) kind = &k;
    }
    if (kind == nullptr) {
      what = "unknown slot \"" + word + "\" (use -, 8, 16, 32, A8, A16 or A32)";
      return false;
    }
    if (slot == kHeardSlots) {
      what = "more than 12 slots";
      return false;
    }
    file.sizeCode[slot] = kind->code;
    file.analog[slot] = kind->analog;
    if (!dlenGiven) dlen += kind->bytes;
    ++slot;
  }
  file.dlen = static_cast<uint8_t>(dlen > 255 ? 255 : dlen);
  return true;
}

}  // namespace

HeardBytes EncodeHeardRecord(std::span<const HeardCardFile> cardFiles) {
  HeardConfig heard;
  const std::size_t count = std::min(cardFiles.size(), kHeardMaxRacks);
  heard.Status = 1;  // scan complete
  heard.RackCount = static_cast<uint16_t>(count);
  for (std::size_t i = 0; i < count; ++i) {
    const HeardCardFile& f = cardFiles[i];
    HeardRack& rack = heard.Racks[i];
    rack.ByteAddress = f.byteAddress;
    rack.DLen = f.dlen;
    for (std::size_t s = 0; s < kHeardSlots; ++s) {
      const int shift = (s % 2 == 0) ? 0 : 4;
      rack.SlotCodes[s / 2] =
          static_cast<uint8_t>(rack.SlotCodes[s / 2] | ((f.sizeCode[s] & 0x0F) << shift));
      rack.SlotAnalog[s / 2] =
          static_cast<uint8_t>(rack.SlotAnalog[s / 2] | ((f.analog[s] & 0x0F) << shift));
    }
  }
  HeardBytes out{};
  EncodeHeardConfig(heard, out.data());
  return out;
}

bool ParseNetworkText(std::string_view text, std::vector<HeardCardFile>& cardFiles,
                      std::string& error) {
  cardFiles.clear();
  std::istringstream lines{std::string(text)};
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    HeardCardFile file;
    std::string what;
    if (!ParseLine(line, file, what)) {
      error = "line " + std::to_string(number) + ": " + what;
      return false;
    }
    if (cardFiles.size() == kHeardMaxRacks) {
      error = "line " + std::to_string(number) + ": more than 16 card files";
      return false;
    }
    cardFiles.push_back(file);
  }
  return true;
}

std::vector<HeardCardFile> DemoNetwork() {
  std::vector<HeardCardFile> files;
  std::string error;
  ParseNetworkText(
      "cardfile 0  16 16 8 8 32\n"
      "cardfile 16 A16 A16 16 16 8 8\n"
      "cardfile 40 32 32 - 8 8 A8\n",
      files, error);
  return files;
}

}  // namespace krn::sim
