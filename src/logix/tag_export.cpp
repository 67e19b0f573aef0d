#include "logix/tag_export.h"

#include <algorithm>
#include <optional>

#include "config/slot_kinds.h"
#include "logix/text_buffer.h"

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

// The bytes of data a section writes for a card: the entry's Length, but
// never more than the card itself holds, so that a damaged entry cannot
// name points of the next card or blow the file up.
unsigned CardBytes(const RackRecord& rack, int slot, CopyTableKind kind, const CopyTableEntry& e) {
  return std::min<unsigned>(e.Length, SlotLengthForKind(rack, slot, kind));
}

// Builds the lines into one buffer. The constant parts of a section's lines
// are put together once; a line is then a few fixed-size moves and numbers.
class TagLines {
 public:
  TagLines(const ConfigImage& image, const TagExportOptions& options, TextBuffer& out)
      : image_(image),
        out_(out),
        name_(QuoteContent(ImageName(image))),
        slotText_(std::to_string(options.moduleSlot)) {
    // Each section walks every slot: find each slot's kind and entry once.
    for (int r = 0; r < RackCount(image_); ++r) {
      const auto refs = SlotEntryRefs(image_.Racks[r]);
      for (int slot = 0; slot < kSlotsPerRack; ++slot)
        if (const auto& ref = refs[slot])
          slots_[r][slot] = {ref->kind, &image_.Racks[r].Tables[ref->kind][ref->index]};
    }
  }

  void Header() { out_.Append("0.1\r\nTYPE,SCOPE,NAME,DESCRIPTION,DATATYPE,SPECIFIER\r\n"); }

  // "local:3:I.Data[" for area letter 'I'.
  std::string LocalArray(char letter) const {
    return "local:" + slotText_ + ":" + letter + ".Data[";
  }

  // Word lines "<name><part><n>_Word" -> "<array><w>]" and point lines
  // "<name><part><n>" -> "<array><w>].<b>".
  void Digital(CopyTableKind kind, uint8_t area, const char* namePart, const std::string& array) {
    const TextPiece<64> head("ALIAS,\"\",\"" + name_ + namePart);
    const std::string midPrefix = "\",\"\",\"\",\"" + array;
    TextPiece<64> midW;  // `","","","<array><w>` for the word at hand
    const std::size_t lineMax = head.size() + midPrefix.size() + 48;
    for (int r = 0; r < RackCount(image_); ++r) {
      const RackRecord& rack = image_.Racks[r];
      uint16_t n = static_cast<uint16_t>(rack.ByteAddress * 8u);
      for (int slot = 0; slot < kSlotsPerRack; ++slot) {
        // Point numbers are serial bit addresses: every card moves them on
        // by its size, written by this section or not.
        const uint16_t next = static_cast<uint16_t>(n + rack.DSlotLen[slot] * 8u);
        const CopyTableEntry* e = Entry(r, slot, kind);
        if (e != nullptr && e->Area == area) {
          const unsigned points = CardBytes(rack, slot, kind, *e) * 8u;
          TextBuffer::Cursor c = out_.Reserve((points + points / 16 + 1) * lineMax);
          unsigned w = e->ClxOffset / 2u;
          unsigned b = (e->ClxOffset % 2u) != 0 ? 8u : 0u;
          midW.AssignWithNumber(midPrefix, w);
          for (unsigned p = 0; p < points; ++p) {
            const unsigned point = static_cast<uint16_t>(n + p);
            if (b == 0) {
              c.Put(head);
              c.PutNumber(point);
              c.Put(kWordSuffix_);
              c.Put(midW);
              c.Put(kWordTail_);
            }
            c.Put(head);
            c.PutNumber(point);
            c.Put(midW);
            c.Put(kBitTails_[b]);
            if (++b == 16) {
              b = 0;
              midW.ReplaceNumber(midPrefix, ++w);
            }
          }
          out_.Commit(c);
        }
        n = next;
      }
    }
  }

  // One line per channel "<name><part><n>" -> "<array><w>]". A card moves
  // the number on by its channels plus 8.
  void Analog(CopyTableKind kind, uint8_t area, const char* namePart, const std::string& array) {
    const TextPiece<64> head("ALIAS,\"\",\"" + name_ + namePart);
    const TextPiece<64> mid("\",\"\",\"\",\"" + array);
    const std::size_t lineMax = head.size() + mid.size() + 32;
    for (int r = 0; r < RackCount(image_); ++r) {
      const RackRecord& rack = image_.Racks[r];
      uint16_t n = static_cast<uint16_t>(rack.ByteAddress * 8u);
      for (int slot = 0; slot < kSlotsPerRack; ++slot) {
        const CopyTableEntry* entry = Entry(r, slot, kind);
        if (entry == nullptr) {
          n = static_cast<uint16_t>(n + rack.DSlotLen[slot] * 8u);
          continue;
        }
        const CopyTableEntry& e = *entry;
        const unsigned channels = CardBytes(rack, slot, kind, e) / 2u;
        if (e.Area == area) {
          TextBuffer::Cursor c = out_.Reserve(channels * lineMax);
          const unsigned w = e.ClxOffset / 2u;
          for (unsigned ch = 0; ch < channels; ++ch) {
            c.Put(head);
            c.PutNumber(static_cast<uint16_t>(n + ch));
            c.Put(mid);
            c.PutNumber(w + ch);
            c.Put(kWordTail_);
          }
          out_.Commit(c);
        }
        // The same step whether this section wrote the card or not, so
        // that later cards keep their numbers.
        n = static_cast<uint16_t>(n + channels + 8u);
      }
    }
  }

  void Line(std::string_view namePart, std::string_view description, std::string_view target) {
    TextBuffer::Cursor c =
        out_.Reserve(name_.size() + namePart.size() + description.size() + target.size() + 32);
    c.Put("ALIAS,\"\",\"");
    c.Put(name_);
    c.Put(namePart);
    c.Put("\",\"");
    c.Put(description);
    c.Put("\",\"\",\"");
    c.Put(target);
    c.Put("\"\r\n");
    out_.Commit(c);
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
  struct SlotEntry {
    std::optional<CopyTableKind> kind;
    const CopyTableEntry* entry = nullptr;
  };

  // The slot's entry when the slot is of that kind.
  const CopyTableEntry* Entry(int rack, int slot, CopyTableKind kind) const {
    const SlotEntry& s = slots_[rack][slot];
    return s.kind == kind ? s.entry : nullptr;
  }

  const ConfigImage& image_;
  TextBuffer& out_;
  std::string name_;
  std::string slotText_;
  SlotEntry slots_[kMaxRacks][kSlotsPerRack];
  const TextPiece<16> kWordSuffix_{"_Word"};
  const TextPiece<16> kWordTail_{"]\"\r\n"};
  const TextPiece<16> kBitTails_[16] = {
      TextPiece<16>("].0\"\r\n"),  TextPiece<16>("].1\"\r\n"),  TextPiece<16>("].2\"\r\n"),
      TextPiece<16>("].3\"\r\n"),  TextPiece<16>("].4\"\r\n"),  TextPiece<16>("].5\"\r\n"),
      TextPiece<16>("].6\"\r\n"),  TextPiece<16>("].7\"\r\n"),  TextPiece<16>("].8\"\r\n"),
      TextPiece<16>("].9\"\r\n"),  TextPiece<16>("].10\"\r\n"), TextPiece<16>("].11\"\r\n"),
      TextPiece<16>("].12\"\r\n"), TextPiece<16>("].13\"\r\n"), TextPiece<16>("].14\"\r\n"),
      TextPiece<16>("].15\"\r\n")};
};

// Room for the whole file, so that the buffer is made once: the lines of
// every card twice (the monitor writes its outputs twice) plus the fixed
// lines, each at its longest.
std::size_t EstimatedSize(const ConfigImage& image, std::size_t nameSize) {
  std::size_t lines = 16;
  for (int r = 0; r < RackCount(image); ++r)
    for (int slot = 0; slot < kSlotsPerRack; ++slot) lines += image.Racks[r].DSlotLen[slot] * 9u;
  return 2 * lines * (2 * nameSize + 96) + 4096;
}

void BuildTagExport(const ConfigImage& image, const ModuleVariant& variant,
                    const TagExportOptions& options, TextBuffer& out) {
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

}  // namespace

void AppendTagExport(const ConfigImage& image, const ModuleVariant& variant,
                     const TagExportOptions& options, std::string& out) {
  TextBuffer buffer(EstimatedSize(image, ImageName(image).size()));
  BuildTagExport(image, variant, options, buffer);
  out.append(buffer.Data(), buffer.Size());
}

std::string TagExportText(const ConfigImage& image, const ModuleVariant& variant,
                          const TagExportOptions& options) {
  std::string out;
  AppendTagExport(image, variant, options, out);
  return out;
}

bool WriteTagExport(const ConfigImage& image, const ModuleVariant& variant, std::FILE* file,
                    const TagExportOptions& options) {
  TextBuffer buffer(EstimatedSize(image, ImageName(image).size()));
  BuildTagExport(image, variant, options, buffer);
  return std::fwrite(buffer.Data(), 1, buffer.Size(), file) == buffer.Size() &&
         std::fflush(file) == 0;
}

}  // namespace krn
