// A Dtl that plays the module without a network: it keeps the module's image
// and heard record in memory, answers the identity request, records every
// call, and can be told to fail any request.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/byte_order.h"
#include "config/image.h"
#include "config/module_variant.h"
#include "link/dtl.h"

namespace krn::test {

struct SentRequest {
  uint32_t driverId;
  uint8_t service;
  std::vector<uint8_t> path;
  std::vector<uint8_t> data;
  std::size_t replyCapacity;
  uint32_t timeoutMs;
};

class FakeDtl : public Dtl {
 public:
  explicit FakeDtl(const ModuleVariant& variant) {
    SetIdentity(variant.vendorId, variant.productCode, variant.productName);
  }

  // Library and driver behaviour.
  uint32_t startCode = 0, listCode = 0, openCode = 0, closeCode = 0;
  std::vector<std::string> drivers = {"AB_ETH-1", "ENET", "SIM"};
  std::vector<std::string> events;  // library and driver calls, in order
  int libraryStarts = 0, libraryStops = 0, driverOpens = 0, driverCloses = 0;

  // Module behaviour.
  std::vector<uint8_t> identity;     // Get_Attributes_All reply
  ImageBytes moduleImage{};          // what 0x38 reads and 0x37 writes
  std::vector<uint8_t> heard;        // Get_Attribute_Single reply
  std::size_t readChunkLimit = 256;  // most bytes a 0x38 reply carries
  // A reply to force on the n-th request (0-based, over all requests).
  std::map<std::size_t, DtlReply> forced;
  std::function<DtlReply(const SentRequest&, uint8_t*, std::size_t)> override;

  std::vector<SentRequest> requests;

  void SetIdentity(uint16_t vendor, uint16_t product, const std::string& name) {
    identity.assign(15, 0);
    PutLe16(identity.data(), vendor);
    PutLe16(identity.data() + 2, 12);  // device type: communications adapter
    PutLe16(identity.data() + 4, product);
    identity[14] = static_cast<uint8_t>(name.size());
    identity.insert(identity.end(), name.begin(), name.end());
  }
  std::vector<SentRequest> RequestsOf(uint8_t service) const {
    std::vector<SentRequest> out;
    for (const auto& r : requests)
      if (r.service == service) out.push_back(r);
    return out;
  }

  uint32_t StartLibrary() override {
    events.push_back("StartLibrary");
    if (startCode == 0) ++libraryStarts;
    return startCode;
  }
  void StopLibrary() override {
    events.push_back("StopLibrary");
    ++libraryStops;
  }
  uint32_t DriverList(std::vector<std::string>& names, uint32_t timeoutMs) override {
    events.push_back("DriverList " + std::to_string(timeoutMs));
    names = drivers;
    return listCode;
  }
  uint32_t OpenDriver(uint32_t driverId, const std::string& name, uint32_t timeoutMs) override {
    events.push_back("OpenDriver " + std::to_string(driverId) + " " + name + " " +
                     std::to_string(timeoutMs));
    if (openCode == 0) ++driverOpens;
    return openCode;
  }
  uint32_t CloseDriver(uint32_t driverId, uint32_t timeoutMs) override {
    events.push_back("CloseDriver " + std::to_string(driverId) + " " + std::to_string(timeoutMs));
    ++driverCloses;
    return closeCode;
  }
  std::string ErrorText(uint32_t code) override { return "Dtl error " + std::to_string(code); }
  bool CreateTargetFromPath(const std::string& pathText, DtlTarget& target) override {
    const auto cut = pathText.find('\\');
    if (cut == std::string::npos || cut == 0) return false;
    target.driverName = pathText.substr(0, cut);
    target.route = {0x01, 0x03};
    return true;
  }

  DtlReply CipMessageSend(const DtlTargetRecord& target, uint8_t service,
                          const std::vector<uint8_t>& path, const uint8_t* data,
                          std::size_t dataSize, uint8_t* reply, std::size_t replyCapacity,
                          uint32_t timeoutMs) override {
    SentRequest sent{target.driverId, service,  path, std::vector<uint8_t>(data, data + dataSize),
                     replyCapacity,   timeoutMs};
    const std::size_t index = requests.size();
    requests.push_back(sent);
    if (auto f = forced.find(index); f != forced.end()) return f->second;
    if (override) return override(sent, reply, replyCapacity);
    return Module(sent, reply, replyCapacity);
  }

 private:
  static DtlReply Copy(const uint8_t* from, std::size_t size, uint8_t* reply, std::size_t cap) {
    const std::size_t n = std::min(size, cap);
    std::memcpy(reply, from, n);
    return DtlReply{0, 0, n};
  }

  DtlReply Module(const SentRequest& r, uint8_t* reply, std::size_t cap) {
    switch (r.service) {
      case 0x01: return Copy(identity.data(), identity.size(), reply, cap);
      case 0x0E: return Copy(heard.data(), heard.size(), reply, cap);
      case 0x37: {
        const uint32_t offset = GetLe32(r.data.data());
        std::copy(r.data.begin() + 4, r.data.end(), moduleImage.begin() + offset);
        return {};
      }
      case 0x38: {
        const uint32_t offset = GetLe32(r.data.data());
        const uint32_t length = GetLe32(r.data.data() + 4);
        return Copy(moduleImage.data() + offset, std::min<std::size_t>(length, readChunkLimit),
                    reply, cap);
      }
      default: return {};
    }
  }
};

}  // namespace krn::test
