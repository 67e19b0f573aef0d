#include "config/configfile.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <istream>
#include <ostream>

#include "config/line_pattern.h"

namespace krn {

namespace {

constexpr std::string_view kHeaderMarker = "Number of Racks:";
constexpr std::string_view kByteAddressMarker = "Byte Address:";
constexpr std::string_view kDSlotLenMarker = "DSlotLen:";
constexpr std::string_view kASlotLenMarker = "ASlotLen:";
constexpr std::string_view kIOTypeMarker = "IOTypeArray:";
constexpr std::string_view kTableMarkers[kCopyTableCount] = {
    "Digital Input Copy Table", "Analog Input Copy Table", "Digital Output Copy Table",
    "Analog Output Copy Table"};

constexpr std::string_view kHeadPattern = "Number of Racks: %d Name:";
constexpr std::string_view kTailPattern = " Options: %08x Cfg Id: %08x";
constexpr std::string_view kNameEnd = " Options: ";
constexpr std::string_view kRackPattern = "Byte Address: %03d DLen: %d ALen: %d";
constexpr std::string_view kDSlotLenPattern =
    "DSlotLen: %d  %d  %d  %d  %d  %d  %d  %d  %d  %d  %d  %d";
constexpr std::string_view kASlotLenPattern =
    "ASlotLen: %d  %d  %d  %d  %d  %d  %d  %d  %d  %d  %d  %d";
constexpr std::string_view kIOTypePattern =
    "IOTypeArray: %d  %d  %d  %d  %d  %d  %d  %d  %d  %d  %d  %d";
constexpr std::string_view kEntryPattern = "%d %d %d %d";
constexpr std::string_view kEol = "\r\n";

// ---- writing ----

// Writes into a buffer sized for the longest possible text; no bounds checks
// per character are needed.
class TextWriter {
 public:
  explicit TextWriter(char* out) : p_(out) {}
  char* End() const { return p_; }

  void Text(std::string_view s) {
    std::memcpy(p_, s.data(), s.size());
    p_ += s.size();
  }
  void Char(char c) { *p_++ = c; }
  void Unsigned(uint32_t v) { p_ = std::to_chars(p_, p_ + 10, v).ptr; }
  void Signed(int32_t v) { p_ = std::to_chars(p_, p_ + 11, v).ptr; }
  void ThreeDigits(uint8_t v) {
    *p_++ = static_cast<char>('0' + v / 100);
    *p_++ = static_cast<char>('0' + v / 10 % 10);
    *p_++ = static_cast<char>('0' + v % 10);
  }
  void Hex8(uint32_t v) {
    for (int shift = 28; shift >= 0; shift -= 4) *p_++ = "0123456789abcdef"[(v >> shift) & 0xF];
  }

 private:
  char* p_;
};

// Longest texts: a header with a 17-character name, and a rack block whose
// every number has its most digits.
constexpr std::size_t kMaxHeaderLength = 120;
constexpr std::size_t kMaxRackLength = 40 + 3 * (15 + 12 * 5) + 4 * 28 + 48 * 26;

void WriteSlotLine(TextWriter& w, std::string_view key,
                   const std::array<uint8_t, kSlotsPerRack>& values) {
  w.Text(key);
  for (int s = 0; s < kSlotsPerRack; ++s) {
    w.Text(s == 0 ? std::string_view(" ") : std::string_view("  "));
    w.Unsigned(values[s]);
  }
  w.Text(kEol);
}

void WriteRack(TextWriter& w, const RackRecord& rack) {
  w.Text("Byte Address: ");
  w.ThreeDigits(rack.ByteAddress);
  w.Text(" DLen: ");
  w.Unsigned(rack.DLen);
  w.Text(" ALen: ");
  w.Unsigned(rack.ALen);
  w.Text(kEol);
  WriteSlotLine(w, kDSlotLenMarker, rack.DSlotLen);
  WriteSlotLine(w, kASlotLenMarker, rack.ASlotLen);
  WriteSlotLine(w, kIOTypeMarker, rack.IOTypeArray);
  for (int t = 0; t < kCopyTableCount; ++t) {
    w.Text(kTableMarkers[t]);
    w.Text(kEol);
    for (const CopyTableEntry& e : rack.Tables[t]) {
      w.Unsigned(e.Area);
      w.Char(' ');
      w.Unsigned(e.ClxOffset);
      w.Char(' ');
      w.Unsigned(e.SerialOffset);
      w.Char(' ');
      w.Unsigned(e.Length);
      w.Text(kEol);
    }
  }
}

// ---- reading ----

// Reads lines until one contains `marker`; false when the input ends first.
bool AwaitMarker(LineReader& lines, std::string_view marker, std::string_view& line) {
  while (lines.Next(line))
    if (line.find(marker) != std::string_view::npos) return true;
  return false;
}

void StoreName(ConfigImage& image, std::string_view name) {
  // The field keeps 17 characters and its NUL; nothing after a NUL counts.
  name = name.substr(0, std::min(name.find('\0'), static_cast<std::size_t>(kNameSize - 1)));
  std::copy(name.begin(), name.end(), image.Name.begin());
}

void ParseHeader(std::string_view line, ConfigImage& image) {
  uint32_t v[2];
  const PatternMatch head = MatchPattern(line, kHeadPattern, v, 1);
  if (head.stored == 1) image.NumRacks = v[0];
  if (!head.complete) return;

  // The writer puts one blank, the name, then " Options: ". Taking what
  // stands between them gives back empty names and names with blanks whole.
  const std::string_view rest = line.substr(head.end);
  std::string_view name;
  std::size_t tail = 0;
  const auto nameEnd = rest.rfind(kNameEnd);
  if (!rest.empty() && rest.front() == ' ' && nameEnd != std::string_view::npos && nameEnd >= 1) {
    name = rest.substr(1, nameEnd - 1);
    tail = nameEnd;
  } else {
    // Otherwise the name is the next word of the line.
    std::size_t i = 0;
    while (i < rest.size() && IsFileSpace(rest[i])) ++i;
    std::size_t j = i;
    while (j < rest.size() && !IsFileSpace(rest[j])) ++j;
    if (j == i) return;
    name = rest.substr(i, j - i);
    tail = j;
  }
  StoreName(image, name);

  const PatternMatch m = MatchPattern(rest.substr(tail), kTailPattern, v, 2);
  if (m.stored >= 1) image.Options = v[0];
  if (m.stored >= 2) image.CfgId = v[1];
}

void ParseSlotLine(std::string_view line, std::string_view pattern,
                   std::array<uint8_t, kSlotsPerRack>& values) {
  uint32_t v[kSlotsPerRack];
  const PatternMatch m = MatchPattern(line, pattern, v, kSlotsPerRack);
  for (int s = 0; s < m.stored; ++s) values[s] = static_cast<uint8_t>(v[s]);
}

// Reads the rest of a rack's block after its "Byte Address:" line; false when
// the input ended while a marker was awaited.
bool ReadRackBody(LineReader& lines, RackRecord& rack) {
  std::string_view line;
  if (!AwaitMarker(lines, kDSlotLenMarker, line)) return false;
  ParseSlotLine(line, kDSlotLenPattern, rack.DSlotLen);
  if (!AwaitMarker(lines, kASlotLenMarker, line)) return false;
  ParseSlotLine(line, kASlotLenPattern, rack.ASlotLen);
  if (!AwaitMarker(lines, kIOTypeMarker, line)) return false;
  ParseSlotLine(line, kIOTypePattern, rack.IOTypeArray);
  for (int t = 0; t < kCopyTableCount; ++t) {
    if (!AwaitMarker(lines, kTableMarkers[t], line)) return false;
    // The next 12 lines are the entries, whatever they hold; lines missing
    // at the end of the input leave their entries zero.
    for (CopyTableEntry& e : rack.Tables[t]) {
      if (!lines.Next(line)) break;
      uint32_t v[4];
      const PatternMatch m = MatchPattern(line, kEntryPattern, v, 4);
      if (m.stored >= 1) e.Area = static_cast<uint8_t>(v[0]);
      if (m.stored >= 2) e.ClxOffset = static_cast<uint16_t>(v[1]);
      if (m.stored >= 3) e.SerialOffset = static_cast<uint16_t>(v[2]);
      if (m.stored >= 4) e.Length = static_cast<uint16_t>(v[3]);
    }
  }
  return true;
}

}  // namespace

void WriteConfigFile(const ConfigImage& image, std::string& out) {
  const uint32_t racks = std::min<uint32_t>(image.NumRacks, kMaxRacks);
  out.resize(kMaxHeaderLength + racks * kMaxRackLength);
  TextWriter w(out.data());
  w.Text("Number of Racks: ");
  w.Signed(static_cast<int32_t>(image.NumRacks));
  w.Text(" Name: ");
  const char* name = image.Name.data();
  w.Text(std::string_view(name, std::find(name, name + kNameSize - 1, '\0') - name));
  w.Text(" Options: ");
  w.Hex8(image.Options);
  w.Text(" Cfg Id: ");
  w.Hex8(image.CfgId);
  w.Text(kEol);
  for (uint32_t r = 0; r < racks; ++r) WriteRack(w, image.Racks[r]);
  out.resize(static_cast<std::size_t>(w.End() - out.data()));
}

std::string ConfigFileText(const ConfigImage& image) {
  std::string text;
  WriteConfigFile(image, text);
  return text;
}

void WriteConfigFile(const ConfigImage& image, std::ostream& out) {
  const std::string text = ConfigFileText(image);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

ReadResult ReadConfigFile(LineReader& lines, ConfigImage& image, const ModuleVariant& variant) {
  ClearImage(image, variant);
  ReadResult result;
  std::string_view line;
  if (!AwaitMarker(lines, kHeaderMarker, line)) {
    result.formatError = true;
    return result;
  }
  result.headerFound = true;
  ParseHeader(line, image);
  image.CheckPattern = variant.checkPattern;
  image.Checksum = 0;

  // Never more records than the image holds; a larger (or negative) count is
  // a format error, and the racks that are there are read.
  if (image.NumRacks > static_cast<uint32_t>(kMaxRacks)) {
    result.formatError = true;
    image.NumRacks = kMaxRacks;
  }
  for (uint32_t r = 0; r < image.NumRacks; ++r) {
    if (!AwaitMarker(lines, kByteAddressMarker, line)) {
      image.NumRacks = r;  // only the racks whose block was found
      result.formatError = true;
      break;
    }
    RackRecord& rack = image.Racks[r];
    uint32_t v[3];
    const PatternMatch m = MatchPattern(line, kRackPattern, v, 3);
    if (m.stored >= 1) rack.ByteAddress = static_cast<uint8_t>(v[0]);
    if (m.stored >= 2) rack.DLen = static_cast<uint8_t>(v[1]);
    if (m.stored >= 3) rack.ALen = static_cast<uint8_t>(v[2]);
    if (!ReadRackBody(lines, rack)) {
      image.NumRacks = r + 1;  // the rack read in part is kept
      result.formatError = true;
      break;
    }
  }
  // The signature always describes what the image now holds.
  UpdateCfgId(image);
  return result;
}

ReadResult ReadConfigFile(std::string_view text, ConfigImage& image, const ModuleVariant& variant) {
  TextLineReader lines(text);
  return ReadConfigFile(lines, image, variant);
}

ReadResult ReadConfigFile(std::istream& in, ConfigImage& image, const ModuleVariant& variant) {
  StreamLineReader lines(in);
  return ReadConfigFile(lines, image, variant);
}

}  // namespace krn
