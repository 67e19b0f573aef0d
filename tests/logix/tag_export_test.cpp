#include "logix/tag_export.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "logix/allocation.h"
#include "rack_builder.h"
#include "support/recording_ui.h"

namespace krn {
namespace {

using namespace krn::test;

struct Row {
  std::string name, description, target;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << r.name << " | " << r.description << " | " << r.target;
}

// The tag lines of an export (no quotes inside the columns).
std::vector<Row> Rows(const std::string& text) {
  std::vector<Row> rows;
  std::size_t pos = text.find("SPECIFIER\r\n");
  EXPECT_NE(pos, std::string::npos);
  pos += 11;
  while (pos < text.size()) {
    const std::size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "line without CR LF";
    if (end == std::string::npos) break;
    const std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    std::vector<std::string> cols;
    std::size_t c = 0;
    for (std::size_t i = 0; i <= line.size(); ++i)
      if (i == line.size() || line[i] == ',') {
        cols.push_back(line.substr(c, i - c));
        c = i + 1;
      }
    EXPECT_EQ(cols.size(), 6u) << line;
    if (cols.size() != 6) continue;
    EXPECT_EQ(cols[0], "ALIAS");
    EXPECT_EQ(cols[1], "\"\"");
    EXPECT_EQ(cols[4], "\"\"");
    auto unquote = [](const std::string& s) { return s.substr(1, s.size() - 2); };
    rows.push_back({unquote(cols[2]), unquote(cols[3]), unquote(cols[5])});
  }
  return rows;
}

std::vector<Row> RowsStartingWith(const std::vector<Row>& rows, const std::string& prefix) {
  std::vector<Row> out;
  for (const Row& r : rows)
    if (r.name.rfind(prefix, 0) == 0) out.push_back(r);
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

ConfigImage Allocated(const ModuleVariant& v, std::initializer_list<RackRecord> racks,
                      std::string_view name = "Line4") {
  ConfigImage img = MakeImage(v, name, racks);
  RecordingUi ui;
  EXPECT_TRUE(AllocateLogixAddresses(img, v, ui));
  return img;
}

TEST(TagExport, WorkedExampleInBothBuilds) {
  const TagExportOptions slot3{.moduleSlot = 3};
  const std::string monitor =
      TagExportText(Allocated(MonitorVariant(), {ExampleRack()}), MonitorVariant(), slot3);
  EXPECT_EQ(monitor, ReadFile(KRN_TEST_DATA_DIR "/logix/example_monitor.csv"));
  const std::string scanner =
      TagExportText(Allocated(ScannerVariant(), {ExampleRack()}), ScannerVariant(), slot3);
  EXPECT_EQ(scanner, ReadFile(KRN_TEST_DATA_DIR "/logix/example_scanner.csv"));
}

TEST(TagExport, InputOnlyLeavesOutControlRegisterAndOutputs) {
  const ConfigImage img = Allocated(ScannerVariant(), {ExampleRack(), MakeRack(20, {kAO, kDI8})});
  const auto full = Rows(TagExportText(img, ScannerVariant(), {.moduleSlot = 1}));
  const auto inputOnly =
      Rows(TagExportText(img, ScannerVariant(), {.moduleSlot = 1, .inputOnly = true}));
  std::vector<Row> expected;
  for (const Row& r : full)
    if (r.target.find(":O.") == std::string::npos) expected.push_back(r);
  EXPECT_EQ(inputOnly, expected);
  EXPECT_EQ(full.size() - inputOnly.size(), 2u + 9u + 8u);
  EXPECT_EQ(RowsStartingWith(full, "Line4_AO_Krn").front(),
            (Row{"Line4_AO_Krn160", "", "local:1:O.Data[2]"}));

  // The monitor has no such choice.
  const ConfigImage mon = Allocated(MonitorVariant(), {ExampleRack()});
  EXPECT_EQ(TagExportText(mon, MonitorVariant(), {.moduleSlot = 3, .inputOnly = true}),
            TagExportText(mon, MonitorVariant(), {.moduleSlot = 3}));
}

TEST(TagExport, WordLinesWhereACardCoversBitZero) {
  // Entries placed by hand: an 8-bit card at an odd offset, a 16-bit and a
  // 32-bit card at odd offsets, at the top and bottom of the bit addresses.
  ConfigImage img =
      MakeImage(MonitorVariant(), "M", {MakeRack(0, {kDI8, kDI16}), MakeRack(251, {kDI32})});
  img.Racks[0].DigitalInputTable()[0] = {1, 0, 7, 0, 1};
  img.Racks[0].DigitalInputTable()[1] = {1, 0, 9, 0, 2};
  img.Racks[1].DigitalInputTable()[0] = {1, 0, 11, 0, 4};
  const auto rows = Rows(TagExportText(img, MonitorVariant(), {.moduleSlot = 0}));
  const auto di = RowsStartingWith(rows, "M_DI_");
  ASSERT_EQ(di.size(), 8u + 16u + 1u + 32u + 2u);
  EXPECT_EQ(di[0], (Row{"M_DI_Krn0", "", "local:0:I.Data[3].8"}));
  EXPECT_EQ(di[7], (Row{"M_DI_Krn7", "", "local:0:I.Data[3].15"}));
  EXPECT_EQ(di[8], (Row{"M_DI_Krn8", "", "local:0:I.Data[4].8"}));
  EXPECT_EQ(di[16], (Row{"M_DI_Krn16_Word", "", "local:0:I.Data[5]"}));
  EXPECT_EQ(di[17], (Row{"M_DI_Krn16", "", "local:0:I.Data[5].0"}));
  // The 32-bit card at 2008: word lines for its second and third words,
  // the third named after its 25th point.
  EXPECT_EQ(di[25], (Row{"M_DI_Krn2008", "", "local:0:I.Data[5].8"}));
  EXPECT_EQ(di[33], (Row{"M_DI_Krn2016_Word", "", "local:0:I.Data[6]"}));
  EXPECT_EQ(di[50], (Row{"M_DI_Krn2032_Word", "", "local:0:I.Data[7]"}));
  EXPECT_EQ(di.back(), (Row{"M_DI_Krn2039", "", "local:0:I.Data[7].7"}));
}

TEST(TagExport, PointNumbersFollowTheSerialBitAddresses) {
  // Rack at 255 starts at 2040; an analog card with a 32-bit range moves the
  // numbers on by 16 in its own section and by 32 in the others.
  ConfigImage img = Allocated(
      MonitorVariant(), {MakeRack(0, {{4, 16, kDirInput}, kAI, kDI8, kDO8}), MakeRack(255, {kDI8})},
      "Auto_Scan");
  const auto rows = Rows(TagExportText(img, MonitorVariant(), {.moduleSlot = 2}));
  const auto ai = RowsStartingWith(rows, "Auto_Scan_AI_");
  ASSERT_EQ(ai.size(), 16u);
  EXPECT_EQ(ai[0].name, "Auto_Scan_AI_Krn0");
  EXPECT_EQ(ai[8].name, "Auto_Scan_AI_Krn16");
  const auto di = RowsStartingWith(rows, "Auto_Scan_DI_");
  // Two 8-bit inputs share I.Data[2]: the second writes no word line.
  ASSERT_EQ(di.size(), 17u);
  EXPECT_EQ(di[0], (Row{"Auto_Scan_DI_Krn48_Word", "", "local:2:I.Data[2]"}));
  EXPECT_EQ(di[1], (Row{"Auto_Scan_DI_Krn48", "", "local:2:I.Data[2].0"}));
  EXPECT_EQ(di[9], (Row{"Auto_Scan_DI_Krn2040", "", "local:2:I.Data[2].8"}));
  EXPECT_EQ(di[16], (Row{"Auto_Scan_DI_Krn2047", "", "local:2:I.Data[2].15"}));
  EXPECT_EQ(RowsStartingWith(rows, "Auto_Scan_MON_DO_")[1].name, "Auto_Scan_MON_DO_Krn56");
}

TEST(TagExport, SectionOrderOfTheMonitor) {
  // Inputs of three analog racks overflow into S: I sections, status words,
  // S input sections, heard outputs, then the output array.
  RackRecord analog = MakeRack(0, {kAI, kAI, kAI, kAI, kAI, kAI, kAI, kAI, kAI, kAI, kAI, kAI});
  RackRecord last = MakeRack(72, {kDI16, kAI, kDO8, kAO});
  analog.ByteAddress = 0;
  RackRecord a1 = analog, a2 = analog;
  a1.ByteAddress = 24;
  a2.ByteAddress = 48;
  const ConfigImage img = Allocated(MonitorVariant(), {analog, a1, a2, last}, "L");
  const auto rows = Rows(TagExportText(img, MonitorVariant(), {.moduleSlot = 5}));
  std::vector<std::string> order;
  for (const Row& r : rows) {
    std::string section =
        r.name.substr(2, r.name.find("Krn") == std::string::npos ? 4 : r.name.find("Krn") - 2);
    section += r.target.find(":I.") != std::string::npos   ? "I"
               : r.target.find(":S.") != std::string::npos ? "S"
                                                           : "T";
    if (order.empty() || order.back() != section) order.push_back(section);
  }
  const std::vector<std::string> expected = {"DI_I",     "AI_I",     "StatS", "AI_S",
                                             "MON_DO_S", "MON_AO_S", "DO_T",  "AO_T"};
  EXPECT_EQ(order, expected);
  // Racks 0 and 1 fill I behind the digital input; rack 2 opens S and the
  // last rack's analog input follows it there.
  const auto ai = RowsStartingWith(rows, "L_AI_Krn");
  ASSERT_EQ(ai.size(), 8u * 37u);
  EXPECT_EQ(ai[0], (Row{"L_AI_Krn0", "", "local:5:I.Data[3]"}));
  EXPECT_EQ(ai[16], (Row{"L_AI_Krn32", "", "local:5:I.Data[19]"}));
  EXPECT_EQ(ai[192], (Row{"L_AI_Krn384", "", "local:5:S.Data[10]"}));
  EXPECT_EQ(ai[288], (Row{"L_AI_Krn592", "", "local:5:S.Data[106]"}));
}

TEST(TagExport, StaleEntriesInTwoAreasKeepTheirOwnNumbers) {
  // Entries of one rack split over I and S (left by an earlier allocation):
  // each card keeps the name of its own bit address and no name repeats.
  ConfigImage img = MakeImage(ScannerVariant(), "X", {MakeRack(4, {kDI16, kAI, kDI16, kAI})});
  img.Racks[0].DigitalInputTable()[0] = {2, 0, 40, 0, 2};
  img.Racks[0].DigitalInputTable()[1] = {1, 0, 4, 0, 2};
  img.Racks[0].AnalogInputTable()[0] = {2, 0, 60, 0, 16};
  img.Racks[0].AnalogInputTable()[1] = {1, 0, 8, 0, 16};
  const auto rows = Rows(TagExportText(img, ScannerVariant(), {.moduleSlot = 1}));
  std::set<std::string> names;
  for (const Row& r : rows) EXPECT_TRUE(names.insert(r.name).second) << r.name;
  EXPECT_TRUE(names.count("X_DI_Krn32_Word"));  // slot A, in S
  EXPECT_TRUE(names.count("X_DI_Krn64_Word"));  // slot C, in I
  EXPECT_TRUE(names.count("X_AI_Krn48"));       // slot B, in S
  EXPECT_TRUE(names.count("X_AI_Krn80"));       // slot D, in I
  EXPECT_EQ(RowsStartingWith(rows, "X_DI_Krn64_Word")[0].target, "local:1:I.Data[2]");
}

TEST(TagExport, QuotesInTheNameCannotBreakTheColumns) {
  const ConfigImage img = Allocated(ScannerVariant(), {MakeRack(0, {kDI8})}, "A\"B,C");
  const std::string text = TagExportText(img, ScannerVariant(), {});
  EXPECT_NE(text.find("ALIAS,\"\",\"A\"\"B,C_DI_Krn0_Word\",\"\",\"\",\"local:0:I.Data[2]\"\r\n"),
            std::string::npos);
}

TEST(TagExport, WritesTheTextInOneGoAndReportsFailure) {
  const ConfigImage img = Allocated(MonitorVariant(), {ExampleRack()});
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(WriteTagExport(img, MonitorVariant(), f, {.moduleSlot = 3}));
  const std::string expected = TagExportText(img, MonitorVariant(), {.moduleSlot = 3});
  EXPECT_EQ(std::ftell(f), static_cast<long>(expected.size()));
  std::fclose(f);

  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  EXPECT_FALSE(WriteTagExport(img, MonitorVariant(), full, {.moduleSlot = 3}));
  std::fclose(full);
}

}  // namespace
}  // namespace krn
