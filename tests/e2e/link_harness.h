// What the end-to-end module tests share: a Dtl that counts the services it
// carries on top of the real EnipDtl, a host without a window, sample
// configurations, and the pieces of one module session against krnsim.
#pragma once

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "config/document.h"
#include "config/heard_config.h"
#include "config/image.h"
#include "link/enip_dtl.h"
#include "link/modulelink.h"
#include "link/transactions.h"
#include "support/krnsim_process.h"
#include "support/recording_ui.h"

namespace krn::test {

class CountingDtl : public Dtl {
 public:
  EnipDtl real;
  std::map<uint8_t, int> sent;  // requests by service

  uint32_t StartLibrary() override { return real.StartLibrary(); }
  void StopLibrary() override { real.StopLibrary(); }
  uint32_t DriverList(std::vector<std::string>& names, uint32_t timeoutMs) override {
    return real.DriverList(names, timeoutMs);
  }
  uint32_t OpenDriver(uint32_t id, const std::string& name, uint32_t timeoutMs) override {
    return real.OpenDriver(id, name, timeoutMs);
  }
  uint32_t CloseDriver(uint32_t id, uint32_t timeoutMs) override {
    return real.CloseDriver(id, timeoutMs);
  }
  std::string ErrorText(uint32_t code) override { return real.ErrorText(code); }
  bool CreateTargetFromPath(const std::string& pathText, DtlTarget& target) override {
    return real.CreateTargetFromPath(pathText, target);
  }
  DtlReply CipMessageSend(const DtlTargetRecord& target, uint8_t service,
                          const std::vector<uint8_t>& path, const uint8_t* data,
                          std::size_t dataSize, uint8_t* reply, std::size_t replyCapacity,
                          uint32_t timeoutMs) override {
    ++sent[service];
    return real.CipMessageSend(target, service, path, data, dataSize, reply, replyCapacity,
                               timeoutMs);
  }
};

class WindowlessHost : public TransactionHost {
 public:
  explicit WindowlessHost(ConfigDocument& document) : document_(document) {}
  int treeRebuilds = 0;
  bool NewFileKeepingLink() override {
    document_.NewConfiguration();
    return true;
  }
  void RebuildTree() override { ++treeRebuilds; }
  void EnableExportTags() override {}

 private:
  ConfigDocument& document_;
};

// One program's worth of module work: a document, its link and the
// transactions, with waits that return at once.
struct ModuleSession {
  explicit ModuleSession(const ModuleVariant& variant, const std::string& path)
      : document(variant, ui),
        link(dtl, variant, ui, [](int) {}),
        host(document),
        transactions(link, document, host, heard, [](int) {}) {
    ui.paths.push_back(path);
  }

  RecordingUi ui;
  CountingDtl dtl;
  ConfigDocument document;
  ModuleLink link;
  WindowlessHost host;
  HeardConfig heard{};
  ModuleTransactions transactions;
};

// Two racks, a digital, an analog and a 32-bit slot, every slot with a
// direction and a ControlLogix address, a name and an option bit.
inline ConfigImage SampleImage(const ModuleVariant& variant) {
  ConfigImage image{};
  ClearImage(image, variant);
  image.NumRacks = 2;
  image.Options = variant.hasPushPullOption ? 1 : 0;
  for (int r = 0; r < 2; ++r) {
    RackRecord& rack = image.Racks[r];
    rack.IOTypeArray.fill(kDirUndefined);
    rack.ByteAddress = static_cast<uint8_t>(r * 40);
    rack.DLen = 7;
    rack.ALen = 16;
    rack.DSlotLen[0] = 1;
    rack.IOTypeArray[0] = kDirInput;
    rack.DSlotLen[1] = 2;
    rack.ASlotLen[1] = 16;
    rack.IOTypeArray[1] = kDirOutput;
    rack.DSlotLen[11] = 4;
    rack.IOTypeArray[11] = kDirInput;
    const auto base = static_cast<uint16_t>(r * 16);
    rack.DigitalInputTable()[0] = {kAreaInput, 0, base, rack.ByteAddress, 1};
    rack.DigitalInputTable()[1] = {kAreaInput, 0, static_cast<uint16_t>(base + 2),
                                   static_cast<uint16_t>(rack.ByteAddress + 3), 4};
    rack.AnalogOutputTable()[0] = {variant.outputArea, 0, base, 0, 16};
  }
  StoreModuleName(image, "Mill 2");
  UpdateCfgId(image);
  return image;
}

inline std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "krn_e2e_" + std::to_string(getpid()) + "_" + name;
}

inline void WriteBytes(const std::string& path, const uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace krn::test
