// The ControlLogix commands of lookwell-cli and pacewell-cli, run as real
// programs on real files, from a heard record to the tag export.
#include <gtest/gtest.h>

#include <map>

#include "../config/cli_runner.h"
#include "config/configfile.h"
#include "config/heard_config.h"
#include "config/messages.h"
#include "config/slot_kinds.h"
#include "logix/allocation.h"
#include "rack_builder.h"

namespace krn {
namespace {

using test::Card;

// The heard size code of a card (1, 3, 15 for 8, 16, 32 bits).
uint8_t SizeCode(uint8_t dslot) {
  return dslot == 1 ? 1 : dslot == 2 ? 3 : dslot == 4 ? 15 : 0;
}

struct HeardRackSpec {
  uint8_t byteAddress;
  std::vector<Card> cards;
};

std::string HeardBytes(const std::vector<HeardRackSpec>& racks) {
  HeardConfig h;
  h.Status = 1;
  h.RackCount = static_cast<uint16_t>(racks.size());
  for (std::size_t r = 0; r < racks.size(); ++r) {
    HeardRack& hr = h.Racks[r];
    hr.ByteAddress = racks[r].byteAddress;
    for (std::size_t s = 0; s < racks[r].cards.size(); ++s) {
      const Card& c = racks[r].cards[s];
      hr.DLen = static_cast<uint8_t>(hr.DLen + c.dslot);
      const int shift = s % 2 == 0 ? 0 : 4;
      hr.SlotCodes[s / 2] = static_cast<uint8_t>(hr.SlotCodes[s / 2] | SizeCode(c.dslot) << shift);
      if (c.aslot != 0)
        hr.SlotAnalog[s / 2] = static_cast<uint8_t>(hr.SlotAnalog[s / 2] | 1 << shift);
    }
  }
  std::string bytes(kHeardConfigSize, '\0');
  EncodeHeardConfig(h, reinterpret_cast<uint8_t*>(bytes.data()));
  return bytes;
}

// The DIRS argument of set-directions for the cards as listed.
std::string Directions(const std::vector<Card>& cards) {
  std::string dirs(kSlotsPerRack, '.');
  for (std::size_t s = 0; s < cards.size(); ++s)
    if (cards[s].dslot != 0) dirs[s] = cards[s].dir == kDirInput ? 'I' : 'O';
  return dirs;
}

class CliLogixTest : public ::testing::Test {
 protected:
  test::CliRun Run(const ModuleVariant& v, const std::vector<std::string>& args) {
    return test::RunCli(v.IsMonitor() ? "lookwell-cli" : "pacewell-cli", args, dir);
  }
  // from-heard, then set-directions for every rack: the configuration a user
  // has after auto-configuration and the Rack Properties dialogs.
  std::string Configure(const ModuleVariant& v, const std::vector<HeardRackSpec>& racks,
                        const std::string& name) {
    test::WriteText(dir.Path("heard.bin"), HeardBytes(racks));
    const std::string file = dir.Path(name);
    auto run = Run(v, {"from-heard", dir.Path("heard.bin"), "-o", file});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (std::size_t r = 0; r < racks.size(); ++r) {
      run =
          Run(v, {"set-directions", file, "--rack", std::to_string(r), Directions(racks[r].cards)});
      EXPECT_EQ(run.exitCode, 0) << run.err;
    }
    return file;
  }
  ConfigImage Load(const std::string& path, const ModuleVariant& v) {
    ConfigImage img;
    EXPECT_FALSE(ReadConfigFile(test::FileText(path), img, v).formatError) << path;
    return img;
  }

  test::TempDir dir;
};

const std::vector<Card> kExampleCards = {test::kDI16, test::kDI8, test::kAI, test::kDO8};

TEST_F(CliLogixTest, ShowAfterFromHeardSetDirectionsAndAllocate) {
  for (const ModuleVariant* v : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(v->programName);
    // A second rack keeps one slot without direction until the end; its
    // input follows the first rack's inputs, so the analog block moves on.
    const std::string file =
        Configure(*v, {{2, kExampleCards}, {10, {test::kEmpty, test::kDI16, test::kDO32}}}, "a");
    auto run = Run(*v, {"set-directions", file, "--rack", "1", ".IU........."});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    run = Run(*v, {"allocate", file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, std::string(msg::kDirectionsMissing) + "\n");
    run = Run(*v, {"set-directions", file, "--rack", "1", "..O........."});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Run(*v, {"set-name", file, "Line4"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Run(*v, {"allocate", file});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const ConfigImage img = Load(file, *v);
    char signature[16];
    std::snprintf(signature, sizeof signature, "%08x", static_cast<unsigned>(img.CfgId));
    const std::string o = v->IsMonitor() ? "S.Data[10].0-7" : "O.Data[1].0-7";
    const std::string o32 =
        v->IsMonitor() ? "S.Data[10].8 -> S.Data[12].7" : "O.Data[1].8 -> O.Data[3].7";
    const std::string module =
        v->IsMonitor()
            ? std::string("KRN735-Monitor(Line4), Configuration Signature (") + signature + ")"
            : std::string(
                  "KRN735-Scanner(Line4), Mode:All P-P per scan, "
                  "Configuration Signature (") +
                  signature + ")";
    run = Run(*v, {"show", file});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, module +
                           "\n"
                           "  Rack Address: 16\n"
                           "    Slot A,  16 bit Digital Input(16 - 31) - Clx Addr: I.Data[2].0-15\n"
                           "    Slot B,  8 bit Digital Input(32 - 39) - Clx Addr: I.Data[3].0-7\n"
                           "    Slot C, 8 channel Analog Input(40 - 55) - Clx Addr: I.Data[5] -> "
                           "I.Data[12]\n"
                           "    Slot D,  8 bit Digital Output(56 - 63) - Clx Addr: " +
                           o +
                           "\n"
                           "    Slot E - Empty Slot\n    Slot F - Empty Slot\n"
                           "    Slot G - Empty Slot\n    Slot H - Empty Slot\n"
                           "    Slot I - Empty Slot\n    Slot J - Empty Slot\n"
                           "    Slot K - Empty Slot\n    Slot L - Empty Slot\n"
                           "  Rack Address: 80\n"
                           "    Slot A - Empty Slot\n"
                           "    Slot B,  16 bit Digital Input(80 - 95) - Clx Addr: I.Data[3].8 -> "
                           "I.Data[4].7\n"
                           "    Slot C,  32 bit Digital Output(96 - 127) - Clx Addr: " +
                           o32 +
                           "\n"
                           "    Slot D - Empty Slot\n    Slot E - Empty Slot\n"
                           "    Slot F - Empty Slot\n    Slot G - Empty Slot\n"
                           "    Slot H - Empty Slot\n    Slot I - Empty Slot\n"
                           "    Slot J - Empty Slot\n    Slot K - Empty Slot\n"
                           "    Slot L - Empty Slot\n");
  }
}

TEST_F(CliLogixTest, ExportTagsRefusesThenWritesTheWorkedExample) {
  for (const ModuleVariant* v : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(v->programName);
    test::WriteText(dir.Path("heard.bin"), HeardBytes({{2, kExampleCards}}));
    const std::string file = dir.Path("w");
    const std::string csv = dir.Path("tags.csv");
    ASSERT_EQ(Run(*v, {"from-heard", dir.Path("heard.bin"), "-o", file}).exitCode, 0);

    auto run = Run(*v, {"export-tags", file, "--slot", "3", "-o", csv});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, std::string(msg::kDirectionsMissing) + "\n");
    ASSERT_EQ(Run(*v, {"set-directions", file, "--rack", "0", "IIIO"}).exitCode, 2);
    ASSERT_EQ(Run(*v, {"set-directions", file, "--rack", "0", "IIIO........"}).exitCode, 0);
    run = Run(*v, {"export-tags", file, "--slot", "3", "-o", csv});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, msg::AddressesMissing(*v) + "\n");
    EXPECT_EQ(dir.Listing(), "heard.bin;w;");

    ASSERT_EQ(Run(*v, {"set-name", file, "Line4"}).exitCode, 0);
    // -o leaves the input as it was.
    const std::string unallocated = test::FileText(file);
    ASSERT_EQ(Run(*v, {"allocate", file, "-o", dir.Path("allocated")}).exitCode, 0);
    EXPECT_EQ(test::FileText(file), unallocated);
    std::rename(dir.Path("allocated").c_str(), file.c_str());
    // No file named by a blank, no slot beyond the chassis.
    EXPECT_EQ(Run(*v, {"export-tags", file, "--slot", "3"}).exitCode, 2);
    EXPECT_EQ(Run(*v, {"export-tags", file, "--slot", "3", "-o", " "}).exitCode, 2);
    EXPECT_EQ(Run(*v, {"export-tags", file, "--slot", "17", "-o", csv}).exitCode, 2);
    EXPECT_EQ(Run(*v, {"export-tags", file, "-o", csv}).exitCode, 2);
    EXPECT_EQ(dir.Listing(), "heard.bin;w;");

    run = Run(*v, {"export-tags", file, "--slot", "3", "-o", csv});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    const char* expected =
        v->IsMonitor() ? "/logix/example_monitor.csv" : "/logix/example_scanner.csv";
    EXPECT_EQ(test::FileText(csv), test::FileText(std::string(KRN_TEST_DATA_DIR) + expected));

    // Input only: a scanner choice; the monitor does not know the option.
    run = Run(*v, {"export-tags", file, "--slot", "3", "-o", csv, "--input-only"});
    if (v->IsMonitor()) {
      EXPECT_EQ(run.exitCode, 2);
    } else {
      ASSERT_EQ(run.exitCode, 0) << run.err;
      const std::string text = test::FileText(csv);
      EXPECT_EQ(text.find("O.Data"), std::string::npos);
      EXPECT_NE(text.find("Line4_CLX_ConnStat1"), std::string::npos);
    }
    std::remove(csv.c_str());
    std::remove(file.c_str());
  }
}

TEST_F(CliLogixTest, AllocateOverflowWritesNothing) {
  // Three racks of twelve analog outputs: the outputs cannot fit.
  const std::vector<Card> outputs(kSlotsPerRack, test::kAO);
  for (const ModuleVariant* v : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(v->programName);
    const std::string file = Configure(*v, {{0, outputs}, {24, outputs}, {48, outputs}}, "o");
    const std::string before = test::FileText(file);
    auto run = Run(*v, {"allocate", file, "-o", dir.Path("out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, OutputSpaceMessage(*v) + "\n");
    run = Run(*v, {"allocate", file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(test::FileText(file), before);
    EXPECT_EQ(dir.Listing(), "heard.bin;o;");
    std::remove(file.c_str());
  }
}

// What the export must hold for an allocated configuration, derived from
// the rack layout and the copy tables: every point, word, channel and status
// word, by name.
std::map<std::string, std::string> ExpectedTags(const ConfigImage& img, const ModuleVariant& v,
                                                unsigned slot) {
  std::map<std::string, std::string> tags;
  const std::string local = "local:" + std::to_string(slot) + ":";
  auto array = [&](uint8_t area) {
    return local + (area == kAreaInput ? "I" : area == kAreaStatus ? "S" : "O") + ".Data[";
  };
  for (uint32_t r = 0; r < img.NumRacks; ++r) {
    const RackRecord& rack = img.Racks[r];
    unsigned bit = rack.ByteAddress * 8u;
    for (int s = 0; s < kSlotsPerRack; ++s) {
      const auto kind = SlotTableKind(rack, s);
      const unsigned first = bit;
      bit += rack.DSlotLen[s] * 8u;
      if (!kind) continue;
      const CopyTableEntry& e = *FindSlotEntry(rack, s);
      const bool input = IsInputKind(*kind);
      std::vector<std::pair<std::string, std::string>> outs;  // name part, array
      if (input) {
        outs.push_back({IsAnalogKind(*kind) ? "_AI_Krn" : "_DI_Krn", array(e.Area)});
      } else if (v.IsMonitor()) {
        outs.push_back({IsAnalogKind(*kind) ? "_MON_AO_Krn" : "_MON_DO_Krn", array(e.Area)});
        outs.push_back({IsAnalogKind(*kind) ? "_AO_Krn" : "_DO_Krn", "TempKrnOutputArray["});
      } else {
        outs.push_back({IsAnalogKind(*kind) ? "_AO_Krn" : "_DO_Krn", array(e.Area)});
      }
      for (const auto& [part, arr] : outs) {
        const std::string prefix = "Line4" + part;
        if (IsAnalogKind(*kind)) {
          for (unsigned ch = 0; ch < 8; ++ch)
            tags[prefix + std::to_string(first + ch)] =
                arr + std::to_string(e.ClxOffset / 2 + ch) + "]";
          continue;
        }
        for (unsigned k = 0; k < rack.DSlotLen[s] * 8u; ++k) {
          const unsigned dataBit = e.ClxOffset * 8u + k;
          const std::string w = std::to_string(dataBit / 16);
          const std::string name = prefix + std::to_string(first + k);
          tags[name] = arr + w + "]." + std::to_string(dataBit % 16);
          if (dataBit % 16 == 0) tags[name + "_Word"] = arr + w + "]";
        }
      }
    }
  }
  return tags;
}

TEST_F(CliLogixTest, RealSizeExportHasOneLinePerPointWordAndStatusWord) {
  using namespace krn::test;
  // Sixteen card files of three kinds over 225 of the 255 serial bytes; the
  // analog inputs overflow from I into S.
  const std::vector<Card> a = {kDI16, kDI32, kDI8, kDO8, kAI, kDO16, kDI8, kAO};
  const std::vector<Card> b = {kAI,  kDI8, kDI8, kDO32,  kDI16, kEmpty,
                               kDO8, kDI8, kDO8, kEmpty, kDI8};
  const std::vector<Card> c = {kAI, kAI, kAI, kAI, kAI, kAI, kDI8};
  std::vector<HeardRackSpec> racks;
  uint8_t address = 0;
  for (int r = 0; r < kMaxRacks; ++r) {
    const auto& cards = r % 3 == 0 ? a : r % 3 == 1 ? b : c;
    racks.push_back({address, cards});
    for (const Card& card : cards) address = static_cast<uint8_t>(address + card.dslot);
  }
  for (const ModuleVariant* v : {&MonitorVariant(), &ScannerVariant()}) {
    SCOPED_TRACE(v->programName);
    const std::string file = Configure(*v, racks, "big");
    ASSERT_EQ(Run(*v, {"set-name", file, "Line4"}).exitCode, 0);
    auto run = Run(*v, {"allocate", file});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const ConfigImage img = Load(file, *v);
    ASSERT_EQ(img.NumRacks, 16u);
    // The inputs did overflow into S.
    EXPECT_EQ(img.Racks[15].AnalogInputTable()[0].Area, kAreaStatus);

    const std::string csv = dir.Path("big.csv");
    run = Run(*v, {"export-tags", file, "--slot", "4", "-o", csv});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string text = test::FileText(csv);
    ASSERT_EQ(text.rfind("0.1\r\nTYPE,SCOPE,NAME,DESCRIPTION,DATATYPE,SPECIFIER\r\n", 0), 0u);

    std::map<std::string, std::string> expected = ExpectedTags(img, *v, 4);
    std::map<std::string, std::string> got;
    std::size_t lines = 0, described = 0;
    std::size_t pos = text.find('\n', text.find('\n') + 1) + 1;
    while (pos < text.size()) {
      const std::size_t end = text.find("\r\n", pos);
      ASSERT_NE(end, std::string::npos);
      const std::string line = text.substr(pos, end - pos);
      pos = end + 2;
      ++lines;
      // ALIAS,"","NAME","DESCRIPTION","","TARGET"
      const std::size_t n1 = line.find("\",\"", 10);
      const std::size_t n2 = line.find("\",\"\",\"", n1 + 3);
      ASSERT_EQ(line.rfind("ALIAS,\"\",\"", 0), 0u) << line;
      ASSERT_TRUE(n1 != std::string::npos && n2 != std::string::npos) << line;
      const std::string name = line.substr(10, n1 - 10);
      if (n2 > n1 + 3) ++described;
      EXPECT_TRUE(got.emplace(name, line.substr(n2 + 6, line.size() - n2 - 7)).second)
          << "twice: " << name;
    }
    // Ten status words (and the scanner's control register) carry a
    // description; every other tag is a point, word or channel.
    const std::size_t fixed = v->IsMonitor() ? 10 : 12;
    EXPECT_EQ(described, fixed);
    for (auto it = got.begin(); it != got.end();)
      it = it->first.find("_Krn") == std::string::npos ? got.erase(it) : std::next(it);
    EXPECT_EQ(lines, expected.size() + fixed);
    EXPECT_EQ(got, expected);
    std::remove(file.c_str());
  }
}

}  // namespace
}  // namespace krn
