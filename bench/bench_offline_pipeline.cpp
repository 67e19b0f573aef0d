// The offline pipeline of the command-line companion on the largest
// configuration: read the file, allocate the ControlLogix addresses, write
// the file and export the tags; and the tag export writer against a single
// fwrite of the same bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/atomic_file.h"
#include "config/configfile.h"
#include "logix/allocation.h"
#include "logix/tag_export.h"

namespace krn {
namespace {

class SilentUi : public UserInterface {
 public:
  int messages = 0;
  MsgResult Message(const std::string&, const std::string&, MsgButtons, MsgIcon) override {
    ++messages;
    return MsgResult::Ok;
  }
  void BeginBusy() override {}
  void EndBusy() override {}
  std::optional<std::string> ChooseModulePath() override { return std::nullopt; }
};

struct Card {
  uint8_t dslot, aslot, dir;
};

// Sixteen racks with all twelve slots occupied, 15 serial bytes each (240 of
// the 255), with as much ControlLogix data as the build's areas take: 16-
// and 8-bit digital inputs and outputs and analog cards with an 8-bit range.
ConfigImage LargestConfiguration(const ModuleVariant& v) {
  constexpr Card kScannerRack[kSlotsPerRack] = {{2, 0, 0}, {2, 0, 0},  {2, 0, 0},  {1, 0, 0},
                                                {1, 0, 0}, {1, 0, 0},  {1, 0, 1},  {1, 0, 1},
                                                {1, 0, 1}, {1, 16, 0}, {1, 16, 0}, {1, 16, 1}};
  // The monitor's outputs share S with the inputs that overflow I: every
  // second rack has a digital output in place of its analog output.
  constexpr Card kMonitorRackB[kSlotsPerRack] = {{2, 0, 0}, {2, 0, 0},  {2, 0, 0},  {1, 0, 0},
                                                 {1, 0, 0}, {1, 0, 0},  {1, 0, 1},  {1, 0, 1},
                                                 {1, 0, 1}, {1, 16, 0}, {1, 16, 0}, {1, 0, 1}};
  ConfigImage img;
  ClearImage(img, v);
  StoreModuleName(img, "Plant7_Line4");
  img.NumRacks = kMaxRacks;
  for (int r = 0; r < kMaxRacks; ++r) {
    RackRecord& rack = img.Racks[r];
    rack.ByteAddress = static_cast<uint8_t>(r * 15);
    const Card* cards = v.IsMonitor() && r % 2 == 1 ? kMonitorRackB : kScannerRack;
    for (int s = 0; s < kSlotsPerRack; ++s) {
      rack.DSlotLen[s] = cards[s].dslot;
      rack.ASlotLen[s] = cards[s].aslot;
      rack.IOTypeArray[s] = cards[s].dir;
      rack.DLen = static_cast<uint8_t>(rack.DLen + cards[s].dslot);
      rack.ALen = static_cast<uint8_t>(rack.ALen + cards[s].aslot);
    }
  }
  UpdateCfgId(img);
  return img;
}

std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/krn_bench_" + std::to_string(::getpid()) +
         "_" + name;
}

std::string ReadWhole(const std::string& path) {
  std::string text;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// A new file each time: truncating the previous one in place would make the
// file system flush it at close, and the figures would measure the disk.
void WriteWhole(const std::string& path, const std::string& text) {
  std::remove(path.c_str());
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

// On a shared machine the fastest of several repetitions is the figure
// least disturbed by other work; run with --benchmark_repetitions=N.
double Fastest(const std::vector<double>& v) {
  return *std::min_element(v.begin(), v.end());
}

const ModuleVariant& VariantOf(const benchmark::State& state) {
  return state.range(0) == 0 ? MonitorVariant() : ScannerVariant();
}

// Read, allocate, write the configuration, export the tags: files on disk,
// written as plain files (the page cache, no flush to the disk).
void BM_OfflinePipeline(benchmark::State& state) {
  const ModuleVariant& v = VariantOf(state);
  const std::string in = TempPath("in.cfg"), out = TempPath("out.cfg"), csv = TempPath("tags.csv");
  WriteWhole(in, ConfigFileText(LargestConfiguration(v)));
  SilentUi ui;
  std::size_t csvBytes = 0;
  for (auto _ : state) {
    ConfigImage img;
    const ReadResult read = ReadConfigFile(ReadWhole(in), img, v);
    if (read.formatError || !AllocateLogixAddresses(img, v, ui)) {
      state.SkipWithError("the configuration does not allocate");
      break;
    }
    UpdateCfgId(img);
    WriteWhole(out, ConfigFileText(img));
    const std::string tags = TagExportText(img, v, {.moduleSlot = 3});
    WriteWhole(csv, tags);
    csvBytes = tags.size();
  }
  state.counters["csv_bytes"] = static_cast<double>(csvBytes);
  std::remove(in.c_str());
  std::remove(out.c_str());
  std::remove(csv.c_str());
}
BENCHMARK(BM_OfflinePipeline)
    ->ArgName("scanner")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", Fastest);

// The same with both outputs saved as the command line saves them: a
// temporary file flushed to the disk, then renamed.
void BM_OfflinePipelineAtomicSaves(benchmark::State& state) {
  const ModuleVariant& v = VariantOf(state);
  const std::string in = TempPath("in.cfg"), out = TempPath("out.cfg"), csv = TempPath("tags.csv");
  WriteWhole(in, ConfigFileText(LargestConfiguration(v)));
  SilentUi ui;
  for (auto _ : state) {
    ConfigImage img;
    ReadConfigFile(ReadWhole(in), img, v);
    AllocateLogixAddresses(img, v, ui);
    UpdateCfgId(img);
    WriteFileAtomically(out, ConfigFileText(img));
    WriteFileAtomically(csv, TagExportText(img, v, {.moduleSlot = 3}));
  }
  std::remove(in.c_str());
  std::remove(out.c_str());
  std::remove(csv.c_str());
}
BENCHMARK(BM_OfflinePipelineAtomicSaves)
    ->ArgName("scanner")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

ConfigImage AllocatedLargest(const ModuleVariant& v) {
  ConfigImage img = LargestConfiguration(v);
  SilentUi ui;
  AllocateLogixAddresses(img, v, ui);
  return img;
}

// The tag export writer, building its lines and writing them to an open file.
void BM_TagExportWriter(benchmark::State& state) {
  const ModuleVariant& v = VariantOf(state);
  const ConfigImage img = AllocatedLargest(v);
  const std::string path = TempPath("w.csv");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (auto _ : state) {
    std::rewind(f);
    WriteTagExport(img, v, f, {.moduleSlot = 3});
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(TagExportText(img, v, {.moduleSlot = 3}).size()));
  std::fclose(f);
  std::remove(path.c_str());
}
BENCHMARK(BM_TagExportWriter)
    ->ArgName("scanner")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", Fastest);

// The floor: the same bytes with one fwrite.
void BM_FwriteSameBytes(benchmark::State& state) {
  const ModuleVariant& v = VariantOf(state);
  const std::string text = TagExportText(AllocatedLargest(v), v, {.moduleSlot = 3});
  const std::string path = TempPath("f.csv");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (auto _ : state) {
    std::rewind(f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fflush(f);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  std::fclose(f);
  std::remove(path.c_str());
}
BENCHMARK(BM_FwriteSameBytes)
    ->ArgName("scanner")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace krn

BENCHMARK_MAIN();
