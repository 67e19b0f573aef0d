#include "logix/tag_export.h"

#include <charconv>

#include "config/slot_kinds.h"

namespace krn {

namespace {

struct StatusWord {
  const char* name;  // after the module name
  const char* description;
};

constexpr StatusWord kMonitorStatus[10] = {
    {"_StatMasRxGood", "Number of good packets sent on SLM TX channel"},
    {"_StatMasAbortErr", "Number of abort packets on SLM channel"},
    {"_StatMasCrcErr", "Number of packets sent on SLM channel with CRC errors"},
    {"_StatMasPacketLenErr", "Number of short packets received on SLM channel"},
    {"_StatSlvRxGood", "Number of good packets sent on SIOM channel"},
    {"_StatSlvAbortErr", "Number of aborted packets on SIOM channel"},
    {"_StatSlvCrcErr", "Number of packets on SIOM channel with CRC errors"},
    {"_StatSlvPacketLenErr", "Number of short packets received on SIOM channel"},
    {"_StatOnlineCardFiles", "Number of on-line card files"},
    {"_StatOfflineBitAddr",
     "Bit address of the first found (ascending order) rack that is not on-line"},
};

constexpr StatusWord kScannerStatus[10] = {
    {"_CLX_ConnStat1", "ControlLogix Connection Status -- FFFF H on error"},
    {"_CLX_ConnStat2", "ControlLogix Connection Status -- FFFF H on error"},
    {"_StatSlvTx", "Number of packets sent to serial card files"},
    {"_StatSlvRxGood", "Number of packets received from serial card files"},
    {"_StatSlvAbortErr", "Number of aborted packets from serial card files"},
    {"_StatSlvCrcErr", "Number of packets sent by serial card files with CRC errors"},
    {"_StatSlvToutErr", "Number of times a serial card file has not responded to the scanner"},
    {"_StatPacketLenErr", "Number of short packets received from card files."},
    {"_StatOnlineCardFiles", "Number of on-line card files"},
    {"_StatOfflineBitAddr",
     "Bit address of the first found (ascending order) rack that is not on-line"},
};

// A column's text inside its double quotes: a quote is doubled.
std::string QuoteContent(const std::string& text) {
  std::string s;
  for (char c : text) {
    if (c == '"') s += '"';
    s += c;
  }
  return s;
}

int RackCount(const ConfigImage& image) {
  return static_cast<int>(std::min<uint32_t>(image.NumRacks, kMaxRacks));
}

// Builds the lines into one buffer. The constant parts of a section's lines
// are put together once; a line is then a few appends and two numbers.
class TagLines {
 public:
  TagLines(const ConfigImage& image, const TagExportOptions& options, std::string& out)
      : image_(image), out_(out), name_(QuoteContent(ImageName(image))) {
    slotText_ = std::to_string(options.moduleSlot);
  }

  void Header() { out_ += "0.1\r\nTYPE,SCOPE,NAME,DESCRIPTION,DATATYPE,SPECIFIER\r\n"; }

  // "local:3:I.Data[" for area letter 'I'.
  std::string LocalArray(char letter) const {
    return "local:" + slotText_ + ":" + letter + ".Data[";
  }

  // Word lines "<name><part><n>_Word" -> "<array><w>]" and point lines
  // "<name><part><n>" -> "<array><w>].<b>".
  void Digital(CopyTableKind kind, uint8_t area, const char* namePart, const std::string& array) {
    const std::string head = "ALIAS,\"\",\"" + name_ + namePart;
    const std::string wordMid = "_Word\",\"\",\"\",\"" + array;
    const std::string pointMid = "\",\"\",\"\",\"" + array;
    for (int r = 0; r < RackCount(image_); ++r) {
      const RackRecord& rack = image_.Racks[r];
      uint16_t n = static_cast<uint16_t>(rack.ByteAddress * 8u);
      for (int slot = 0; slot < kSlotsPerRack; ++slot) {
        const CopyTableEntry* e =
            SlotTableKind(rack, slot) == kind ? FindSlotEntry(rack, slot) : nullptr;
        if (e == nullptr || e->Area != area) {
          // Point numbers are serial bit addresses: a card this section
          // does not write still moves them on.
          n = static_cast<uint16_t>(n + rack.DSlotLen[slot] * 8u);
          continue;
        }
        unsigned w = e->ClxOffset / 2u;
        unsigned b = (e->ClxOffset % 2u) != 0 ? 8u : 0u;
        for (unsigned p = 0; p < e->Length * 8u; ++p) {
          if (b == 0) {
            out_ += head;
            Number(n);
            out_ += wordMid;
            Number(w);
            out_ += "]\"\r\n";
          }
          out_ += head;
          Number(n);
          out_ += pointMid;
          Number(w);
          out_ += "].";
          Number(b);
          out_ += "\"\r\n";
          n = static_cast<uint16_t>(n + 1u);
          if (++b == 16) {
            b = 0;
            ++w;
          }
        }
      }
    }
  }

  // One line per channel "<name><part><n>" -> "<array><w>]". A card moves
  // the number on by its channels plus 8.
  void Analog(CopyTableKind kind, uint8_t area, const char* namePart, const std::string& array) {
    const std::string head = "ALIAS,\"\",\"" + name_ + namePart;
    const std::string mid = "\",\"\",\"\",\"" + array;
    for (int r = 0; r < RackCount(image_); ++r) {
      const RackRecord& rack = image_.Racks[r];
      uint16_t n = static_cast<uint16_t>(rack.ByteAddress * 8u);
      for (int slot = 0; slot < kSlotsPerRack; ++slot) {
        if (SlotTableKind(rack, slot) != kind) {
          n = static_cast<uint16_t>(n + rack.DSlotLen[slot] * 8u);
          continue;
        }
        const CopyTableEntry& e = *FindSlotEntry(rack, slot);
        const unsigned channels = e.Length / 2u;
        if (e.Area == area) {
          unsigned w = e.ClxOffset / 2u;
          for (unsigned c = 0; c < channels; ++c) {
            out_ += head;
            Number(static_cast<uint16_t>(n + c));
            out_ += mid;
            Number(w + c);
            out_ += "]\"\r\n";
          }
        }
        // The same step whether this section wrote the card or not, so
        // that later cards keep their numbers.
        n = static_cast<uint16_t>(n + channels + 8u);
      }
    }
  }

  void Line(const char* namePart, const char* description, const std::string& target) {
    out_ += "ALIAS,\"\",\"";
    out_ += name_;
    out_ += namePart;
    out_ += "\",\"";
    out_ += description;
    out_ += "\",\"\",\"";
    out_ += target;
    out_ += "\"\r\n";
  }

  void Status(const StatusWord (&table)[10]) {
    const std::string array = LocalArray('S');
    for (unsigned i = 0; i < 10; ++i)
      Line(table[i].name, table[i].description, array + std::to_string(i) + "]");
  }

  void ControlRegister() {
    const std::string array = LocalArray('O');
    Line("_KRNScanControl", "KRN-735 Scanner Control Register", array + "0]");
    Line("_KRNScanControl_Reset", "Sends RESET messages to card files when this bit is set",
         array + "0].0");
  }

 private:
  void Number(unsigned v) {
    char buf[12];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, res.ptr);
  }

  const ConfigImage& image_;
  std::string& out_;
  std::string name_;
  std::string slotText_;
};

// Room for the whole file, so that the buffer grows once.
std::size_t EstimatedSize(const ConfigImage& image, std::size_t nameSize) {
  std::size_t lines = 16;
  for (int r = 0; r < RackCount(image); ++r)
    for (int slot = 0; slot < kSlotsPerRack; ++slot) lines += image.Racks[r].DSlotLen[slot] * 18u;
  // A monitor writes its outputs twice.
  return (lines * 2) * (nameSize + 64);
}

}  // namespace

void AppendTagExport(const ConfigImage& image, const ModuleVariant& variant,
                     const TagExportOptions& options, std::string& out) {
  out.reserve(out.size() + EstimatedSize(image, ImageName(image).size()));
  TagLines t(image, options, out);
  const std::string inI = t.LocalArray('I');
  const std::string inS = t.LocalArray('S');
  t.Header();
  t.Digital(kDigitalInput, kAreaInput, "_DI_Krn", inI);
  t.Analog(kAnalogInput, kAreaInput, "_AI_Krn", inI);
  if (variant.IsMonitor()) {
    t.Status(kMonitorStatus);
    t.Digital(kDigitalInput, kAreaStatus, "_DI_Krn", inS);
    t.Analog(kAnalogInput, kAreaStatus, "_AI_Krn", inS);
    // What the monitor hears of the outputs, and the same words again as
    // aliases into a controller array the user's program may copy them to.
    t.Digital(kDigitalOutput, variant.outputArea, "_MON_DO_Krn", inS);
    t.Analog(kAnalogOutput, variant.outputArea, "_MON_AO_Krn", inS);
    t.Digital(kDigitalOutput, variant.outputArea, "_DO_Krn", "TempKrnOutputArray[");
    t.Analog(kAnalogOutput, variant.outputArea, "_AO_Krn", "TempKrnOutputArray[");
  } else {
    if (!(variant.hasInputOnlyExport && options.inputOnly)) {
      const std::string inO = t.LocalArray('O');
      t.ControlRegister();
      t.Digital(kDigitalOutput, variant.outputArea, "_DO_Krn", inO);
      t.Analog(kAnalogOutput, variant.outputArea, "_AO_Krn", inO);
    }
    t.Status(kScannerStatus);
    t.Digital(kDigitalInput, kAreaStatus, "_DI_Krn", inS);
    t.Analog(kAnalogInput, kAreaStatus, "_AI_Krn", inS);
  }
}

std::string TagExportText(const ConfigImage& image, const ModuleVariant& variant,
                          const TagExportOptions& options) {
  std::string out;
  AppendTagExport(image, variant, options, out);
  return out;
}

bool WriteTagExport(const ConfigImage& image, const ModuleVariant& variant, std::FILE* file,
                    const TagExportOptions& options) {
  const std::string text = TagExportText(image, variant, options);
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
}

}  // namespace krn
