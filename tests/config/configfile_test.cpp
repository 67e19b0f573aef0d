#include "config/configfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "config/line_pattern.h"
#include "config/line_reader.h"
#include "sample_config.h"

namespace krn {
namespace {

const ModuleVariant& Monitor() {
  return MonitorVariant();
}
const ModuleVariant& Scanner() {
  return ScannerVariant();
}

std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(KRN_TEST_DATA_DIR) + "/config/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ToLf(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out.push_back(c);
  return out;
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

ConfigImage Read(std::string_view text, const ModuleVariant& variant = MonitorVariant(),
                 ReadResult* result = nullptr) {
  ConfigImage img;
  const ReadResult r = ReadConfigFile(text, img, variant);
  if (result) *result = r;
  return img;
}

// The writer's exact format (spacing, padding, CR LF), checked against files
// rendered independently from the format's definition.
TEST(ConfigFileWriter, WritesTheDocumentedFormat) {
  EXPECT_EQ(ConfigFileText(test::SampleImage(Monitor())), ReadFixture("sample.lkw"));
  EXPECT_EQ(ConfigFileText(test::SampleImage(Scanner())), ReadFixture("sample.pcw"));

  ConfigImage empty;
  ClearImage(empty, Monitor());
  EXPECT_EQ(ConfigFileText(empty),
            "Number of Racks: 0 Name:  Options: 00000000 Cfg Id: 00000000\r\n");

  std::ostringstream out;
  WriteConfigFile(test::SampleImage(Monitor()), out);
  EXPECT_EQ(out.str(), ReadFixture("sample.lkw"));
}

TEST(ConfigFileWriter, NeverWritesBeyondTheImage) {
  ConfigImage img = test::SampleImage(Monitor());
  img.NumRacks = 1000;  // garbage from a module
  img.Name.fill('x');   // no NUL at all
  const std::string text = ConfigFileText(img);
  EXPECT_EQ(text.substr(0, 48), "Number of Racks: 1000 Name: xxxxxxxxxxxxxxxxx Op");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 56 * kMaxRacks);
}

// Write then read gives the same image and signature for any configuration,
// names with blanks and empty names included, through every reader and with
// LF or CR LF line ends, in either build.
TEST(ConfigFileRoundTrip, AnyConfigurationReadsBackTheSame) {
  std::mt19937 rng(735);
  for (const ModuleVariant* variant : {&Monitor(), &Scanner()}) {
    for (int i = 0; i < 300; ++i) {
      const ConfigImage original = test::RandomImage(*variant, rng);
      const std::string text = ConfigFileText(original);
      ReadResult result;
      EXPECT_EQ(Read(text, *variant, &result), original) << text.substr(0, text.find('\r'));
      EXPECT_FALSE(result.formatError);
      EXPECT_EQ(Read(ToLf(text), *variant), original);
      if (i % 50 == 0) {
        for (std::size_t chunk : {1u, 7u, 4096u}) {
          std::istringstream in(text);
          StreamLineReader lines(in, chunk);
          ConfigImage img;
          ReadConfigFile(lines, img, *variant);
          EXPECT_EQ(img, original) << "chunk " << chunk;
        }
      }
    }
  }
}

TEST(ConfigFileRoundTrip, NamesWithBlanksAndEmptyNamesKeepTheirOptions) {
  for (std::string_view name :
       {"", "Line 7", " lead", "trail ", "  ", "a Options: b", "15_characters__"}) {
    const ConfigImage original = test::SampleImage(Scanner(), name);
    const ConfigImage back = Read(ConfigFileText(original), Scanner());
    EXPECT_EQ(ImageName(back), name);
    EXPECT_EQ(back.Options, 1u) << name;
    EXPECT_EQ(back, original) << name;
  }
}

TEST(ConfigFileReader, NewConfigurationReadsBackEmptyWithTheNoRackSignature) {
  ConfigImage empty;
  ClearImage(empty, Monitor());
  ReadResult result;
  const ConfigImage back = Read(ConfigFileText(empty), Monitor(), &result);
  EXPECT_FALSE(result.formatError);
  EXPECT_EQ(back.NumRacks, 0u);
  EXPECT_EQ(ImageName(back), "");
  EXPECT_EQ(back.Options, 0u);
  EXPECT_EQ(back.CfgId, 0xFFFFFFFFu);
}

TEST(ConfigFileReader, TakesTheReadingBuildsCheckPattern) {
  const std::string text = ReadFixture("sample.lkw");
  const ConfigImage asScanner = Read(text, Scanner());
  EXPECT_EQ(asScanner.CheckPattern, Scanner().checkPattern);
  ConfigImage expected = test::SampleImage(Scanner());
  expected.Options = 0;
  UpdateCfgId(expected);
  EXPECT_EQ(asScanner, expected);
  EXPECT_NE(asScanner.CfgId, test::SampleImage(Monitor()).CfgId);
}

struct PatternCase {
  std::string_view line;
  std::string_view pattern;
  std::vector<uint32_t> values;
  bool complete;
};

TEST(LinePattern, MatchesLikeTheFileHasAlwaysBeenRead) {
  const PatternCase cases[] = {
      {"Byte Address: 007 DLen: 4 ALen: 0",
       "Byte Address: %03d DLen: %d ALen: %d",
       {7, 4, 0},
       true},
      // a blank matches any run of white space, and none
      {"Byte\t Address:7DLen:\t4   ALen:0",
       "Byte Address: %03d DLen: %d ALen: %d",
       {7, 4, 0},
       true},
      // at most three characters for %03d: the fourth digit then mismatches
      {"Byte Address: 0071 DLen: 4", "Byte Address: %03d DLen: %d ALen: %d", {7}, false},
      {"Byte Address: -12 DLen: 4", "Byte Address: %03d DLen: %d", {0u - 12u, 4}, true},
      {"1 +2 -3 4", "%d %d %d %d", {1, 2, 0u - 3u, 4}, true},
      // stop at the first mismatch; earlier numbers are kept
      {"1 2 x 4", "%d %d %d %d", {1, 2}, false},
      {"1 2", "%d %d %d %d", {1, 2}, false},
      {"", "%d %d %d %d", {}, false},
      {"- 5", "%d", {}, false},
      // numbers keep their low-order 32 bits
      {"4294967297", "%d", {1}, true},
      // at most eight hex digits, either case
      {"Options: 0000000AbCd", "Options: %08x Cfg", {0xA}, false},
      {"Options: DEADbeef Cfg", "Options: %08x Cfg", {0xDEADBEEF}, true},
      {"Options: 0x10", "Options: %08x", {0}, true},
      // the match starts at the first character
      {" DSlotLen: 1", "DSlotLen: %d", {}, false},
      {"dslotlen: 1", "DSlotLen: %d", {}, false},
  };
  for (const auto& c : cases) {
    uint32_t values[12] = {};
    const PatternMatch m = MatchPattern(c.line, c.pattern, values, 12);
    EXPECT_EQ(std::vector<uint32_t>(values, values + m.stored), c.values) << c.line;
    EXPECT_EQ(m.complete, c.complete) << c.line;
  }
}

// The forgiving reader, case by case, on edits of a real file.
TEST(ConfigFileReader, FollowsThePatternRules) {
  const std::string sample = ToLf(ReadFixture("sample.lkw"));
  const ConfigImage full = test::SampleImage(Monitor());
  struct Case {
    const char* what;
    std::string text;
    std::function<void(const ConfigImage&)> check;
  };
  const Case cases[] = {
      {"comments and blank lines before the header and the block markers are skipped",
       Replace(Replace(Replace(sample, "Number of", "# saved by hand\n\nNumber of"),
                       "Byte Address: 250", "; second rack\nByte Address: 250"),
               "Analog Output Copy Table", "\n  \nAnalog Output Copy Table"),
       [&](const ConfigImage& img) { EXPECT_EQ(img, full); }},
      {"a line inside a copy table is taken as an entry",
       Replace(sample, "Digital Input Copy Table\n", "Digital Input Copy Table\n# note\n"),
       [&](const ConfigImage& img) {
         EXPECT_EQ(img.Racks[0].DigitalInputTable()[0], CopyTableEntry{});
         EXPECT_EQ(img.Racks[0].DigitalInputTable()[1], full.Racks[0].DigitalInputTable()[0]);
         EXPECT_EQ(img.Racks[0].AnalogInputTable(), full.Racks[0].AnalogInputTable());
       }},
      {"a header marker after other text sets no field",
       Replace(sample, "Number of", "Saved: Number of"),
       [](const ConfigImage& img) {
         EXPECT_EQ(img.NumRacks, 0u);
         EXPECT_EQ(ImageName(img), "");
         EXPECT_EQ(img.CfgId, 0xFFFFFFFFu);
       }},
      {"byte addresses keep their low 8 bits",
       Replace(Replace(sample, "Byte Address: 016", "Byte Address: 256"), "Byte Address: 250",
               "Byte Address: -1"),
       [](const ConfigImage& img) {
         EXPECT_EQ(img.Racks[0].ByteAddress, 0);
         EXPECT_EQ(img.Racks[1].ByteAddress, 255);
       }},
      {"16-bit fields keep their low 16 bits; Area its low 8 and nothing beside it",
       Replace(sample, "1 2 3 4\n", "257 70000 -1 65535\n"),
       [](const ConfigImage& img) {
         EXPECT_EQ(img.Racks[0].DigitalInputTable()[1], (CopyTableEntry{1, 0, 4464, 65535, 65535}));
       }},
      {"a slot line read in part keeps the slots before the mismatch",
       Replace(sample, "DSlotLen: 1  2  4", "DSlotLen: 1  2  x"),
       [&](const ConfigImage& img) {
         EXPECT_EQ(img.Racks[0].DSlotLen[1], 2);
         EXPECT_EQ(img.Racks[0].DSlotLen[2], 0);
         EXPECT_EQ(img.Racks[0].DSlotLen[4], 0);
         EXPECT_EQ(img.Racks[0].ASlotLen, full.Racks[0].ASlotLen);
       }},
      {"a name longer than 17 characters is cut to 17",
       Replace(sample, "Name: Line_7", "Name: ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
       [](const ConfigImage& img) {
         EXPECT_EQ(ImageName(img), "ABCDEFGHIJKLMNOPQ");
         EXPECT_EQ(img.Name[17], '\0');
       }},
      {"a name token without the writer's spacing is the next word",
       Replace(sample, "Name: Line_7 Options: 00000000", "Name:\tLine_7\tOptions: 00000004"),
       [](const ConfigImage& img) {
         EXPECT_EQ(ImageName(img), "Line_7");
         EXPECT_EQ(img.Options, 4u);
       }},
      {"the header's signature is replaced by the one of what was read",
       Replace(sample, "Cfg Id: 7c389072", "Cfg Id: 12345678"),
       [&](const ConfigImage& img) { EXPECT_EQ(img.CfgId, full.CfgId); }},
      {"lines after the last rack's last table are never read",
       sample + "Byte Address: 100 DLen: 1 ALen: 0\nDSlotLen: 9\n",
       [&](const ConfigImage& img) { EXPECT_EQ(img, full); }},
      {"a missing line at the end of the last table leaves zero entries",
       sample.substr(0, sample.rfind("0 0 0 0\n")),
       [&](const ConfigImage& img) { EXPECT_EQ(img, full); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ReadResult result;
    const ConfigImage img = Read(c.text, Monitor(), &result);
    EXPECT_FALSE(result.formatError);
    c.check(img);
  }
}

// A file cut after any line: the racks read so far are kept, a rack read in
// part counts, and the format error is reported unless only the last table's
// entries are missing. The signature matches what is held.
TEST(ConfigFileReader, TruncatedFileKeepsWhatWasRead) {
  const std::string sample = ToLf(ReadFixture("sample.lkw"));
  const ConfigImage full = test::SampleImage(Monitor());
  const std::size_t lastMarker = sample.rfind("Analog Output Copy Table");
  const std::size_t firstRack = sample.find("Byte Address: 016");
  const std::size_t secondRack = sample.find("Byte Address: 250");
  for (std::size_t cut = 0; cut <= sample.size(); cut = sample.find('\n', cut + 1)) {
    if (cut == std::string::npos) break;
    const std::string text = sample.substr(0, cut);
    ReadResult result;
    const ConfigImage img = Read(text, Monitor(), &result);
    SCOPED_TRACE(cut);
    if (cut == 0) {
      EXPECT_TRUE(result.formatError);
      EXPECT_FALSE(result.headerFound);
      EXPECT_EQ(img.CfgId, 0u);  // nothing read: the empty configuration
      continue;
    }
    EXPECT_EQ(result.formatError, cut <= lastMarker);
    const uint32_t expectRacks = cut < firstRack ? 0 : cut <= secondRack ? 1 : 2;
    EXPECT_EQ(img.NumRacks, expectRacks);
    if (expectRacks == 2) {
      EXPECT_EQ(img.Racks[0], full.Racks[0]);
    }
    ConfigImage recomputed = img;
    EXPECT_EQ(UpdateCfgId(recomputed), img.CfgId);
    for (int r = static_cast<int>(img.NumRacks); r < kMaxRacks; ++r)
      EXPECT_EQ(img.Racks[r], RackRecord{});
  }
}

TEST(ConfigFileReader, RackCountsBeyondTheImageReadAtMostSixteenRacks) {
  ConfigImage big = test::SampleImage(Monitor());
  big.NumRacks = 17;
  for (int r = 2; r < kMaxRacks; ++r) big.Racks[r] = big.Racks[r % 2];
  std::string text = ConfigFileText(big);
  text += text.substr(text.find("Byte Address: 016"),
                      text.find("Byte Address: 250") - text.find("Byte Address: 016"));
  ReadResult result;
  ConfigImage img = Read(text, Monitor(), &result);
  EXPECT_TRUE(result.formatError);
  EXPECT_EQ(img.NumRacks, 16u);
  big.NumRacks = 16;
  UpdateCfgId(big);
  EXPECT_EQ(img, big);

  img = Read(Replace(ReadFixture("sample.lkw"), "Racks: 2", "Racks: -1"), Monitor(), &result);
  EXPECT_TRUE(result.formatError);
  EXPECT_EQ(img.NumRacks, 2u);
  EXPECT_EQ(img.Racks[1], test::SampleImage(Monitor()).Racks[1]);
}

TEST(ConfigFileReader, AnyOtherTextFileIsAFormatErrorWithNothingRead) {
  ReadResult result;
  const ConfigImage img = Read("hello\nworld\n", Scanner(), &result);
  EXPECT_TRUE(result.formatError);
  ConfigImage empty;
  ClearImage(empty, Scanner());
  EXPECT_EQ(img, empty);
}

TEST(LineReader, OverlongLinesAreCutAndTheRestIsSkipped) {
  const std::string junk(3 * ChunkedLineReader::kMaxLine, 'x');
  const std::string text = junk + "\r\n" + ReadFixture("sample.lkw");
  std::istringstream in(text);
  StreamLineReader lines(in, 1000);
  std::string_view line;
  ASSERT_TRUE(lines.Next(line));
  EXPECT_EQ(line.size(), ChunkedLineReader::kMaxLine);
  ASSERT_TRUE(lines.Next(line));
  EXPECT_EQ(line.substr(0, 16), "Number of Racks:");
  ConfigImage img;
  std::istringstream again(text);
  EXPECT_FALSE(ReadConfigFile(again, img, Monitor()).formatError);
  EXPECT_EQ(img, test::SampleImage(Monitor()));
}

}  // namespace
}  // namespace krn
