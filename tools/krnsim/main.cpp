// krnsim: a simulated ControlLogix chassis on EtherNet/IP, with a KRN-735
// monitor or scanner module in one slot. The first line on stdout is
// "listening on HOST:PORT" (flushed), so that a script or test that asked
// for port 0 learns the port it got.
#include <CLI/CLI.hpp>
#include <asio.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "sim/fault_plan.h"
#include "sim/heard_network.h"
#include "sim/sim_chassis.h"
#include "sim/sim_module.h"
#include "sim/sim_server.h"

namespace {

constexpr const char* kFooter = R"(Services of the module (class 0xC6):
  0x32 start edits, 0x33 abandon edits, 0x34 start auto-scan, 0x35 clear,
  0x36 end edits (checks checksum and check pattern, then stores FLASH),
  0x37 write chunk, 0x38 read chunk; 0x0E on instance 1 attribute 2 reads
  the 228-byte heard record; 0x01 on class 1 instance 1 is the Identity.

Network file (--network): one card file per line, '#' starts a comment:
  cardfile <byte address 0-255> <slot A> <slot B> ... <slot L> [dlen=<bytes>]
  A slot is - (empty), 8, 16 or 32 (digital bits) or A8, A16, A32 (analog);
  slots left out are empty; dlen defaults to the sum of the slots' bytes.
  Example:  cardfile 16  A16 A16 16 16 8 8
Without --heard or --network the module hears a small demonstration network.

Faults: SERVICE is the CIP service code of a request that reaches the module
(e.g. 0x01 identity, 0x0E heard read, 0x32 to 0x38); N counts such requests
from 1 over all connections, "N+" means the N-th and every later one. Each
option may be given several times.
  --fail 0x37:5:0x09:12   5th write chunk fails with general 09, extended 12
  --silent 0x01:1         the first identity request is never answered
  --drop 0x38:3+          from the 3rd read chunk on, the connection is closed

The bridge in slot 0 answers ListIdentity (TCP and UDP), RegisterSession and
SendRRData and routes Unconnected_Send over the backplane; an empty slot
answers with general status 01, extended 0312. A client that stalls in the
middle of a message for 10 s is disconnected.

The first line on stdout is "listening on HOST:PORT". SIGINT or SIGTERM stop.)";

bool ReadFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool SplitHostPort(const std::string& text, std::string& host, uint16_t& port) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  try {
    const unsigned long value = std::stoul(text.substr(colon + 1));
    if (value > 65535 || text.find_first_not_of("0123456789", colon + 1) != std::string::npos) {
      return false;
    }
    port = static_cast<uint16_t>(value);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

int Fail(const std::string& message) {
  std::cerr << "krnsim: " << message << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace krn;
  CLI::App app{
      "krnsim: a simulated ControlLogix chassis with an EtherNet/IP bridge in slot 0 "
      "and a KRN-735 monitor or scanner module"};
  app.footer(kFooter);
  std::string variant = "monitor";
  std::string listen = "127.0.0.1:44818";
  int slot = 3;
  std::string heardFile, networkFile, flashFile, productName;
  uint32_t scanPolls = 3;
  uint16_t productCode = 0;
  std::vector<std::string> fails, silents, drops;

  app.add_option("--variant", variant,
                 "Module in the slot: monitor (CLX-KRN735-MON, 1021) or "
                 "scanner (CLX-KRN735-MAS, 1020)")
      ->check(CLI::IsMember({"monitor", "scanner"}))
      ->capture_default_str();
  app.add_option("--listen", listen,
                 "HOST:PORT to listen on, HOST an IP address; port 0 takes a free port")
      ->capture_default_str();
  app.add_option("--slot", slot, "Chassis slot of the module")
      ->check(CLI::Range(1, 16))
      ->capture_default_str();
  auto* heard = app.add_option("--heard", heardFile,
                               "Raw 228-byte heard record the module "
                               "reports once its auto-scan is complete");
  app.add_option("--network", networkFile,
                 "Text description of the card files the module "
                 "hears (format below)")
      ->excludes(heard);
  app.add_option("--flash", flashFile,
                 "File that keeps the module's FLASH across runs "
                 "(6824 bytes; created when first stored)");
  app.add_option("--scan-polls", scanPolls,
                 "Heard reads until the auto-scan completes "
                 "(0: never completes)")
      ->capture_default_str();
  app.add_option("--fail", fails,
                 "SERVICE:N:GENERAL[:EXTENDED]  the N-th request of SERVICE "
                 "gets this CIP error status");
  app.add_option("--silent", silents, "SERVICE:N  the N-th request of SERVICE is never answered");
  app.add_option("--drop", drops,
                 "SERVICE:N  the N-th request of SERVICE closes the TCP "
                 "connection instead of an answer");
  app.add_option("--product-code", productCode,
                 "Product code in the module's Identity "
                 "(default: the variant's)");
  app.add_option("--product-name", productName,
                 "Product name in the module's Identity "
                 "(default: the variant's)");
  CLI11_PARSE(app, argc, argv);

  sim::ModuleSettings settings;
  settings.kind = variant == "scanner" ? ModuleKind::Scanner : ModuleKind::Monitor;
  settings.productCode = productCode;
  settings.productName = productName;
  settings.scanPolls = scanPolls;
  settings.flashPath = flashFile;
  settings.serialNumber = 0x00735000u + static_cast<uint32_t>(slot);

  std::string content, error;
  if (!heardFile.empty()) {
    if (!ReadFile(heardFile, content)) return Fail("cannot read heard record " + heardFile);
    if (content.size() != sim::kHeardSize) {
      return Fail(heardFile + " holds " + std::to_string(content.size()) +
                  " bytes; a heard record has 228");
    }
    std::copy(content.begin(), content.end(), settings.heard.begin());
  } else {
    std::vector<sim::HeardCardFile> network = sim::DemoNetwork();
    if (!networkFile.empty()) {
      if (!ReadFile(networkFile, content)) return Fail("cannot read network file " + networkFile);
      if (!sim::ParseNetworkText(content, network, error)) return Fail(networkFile + ": " + error);
    }
    settings.heard = sim::EncodeHeardRecord(network);
  }

  auto module = std::make_unique<sim::SimModule>(settings);
  if (!module->LoadFlash(error)) return Fail(error);
  const std::pair<sim::FaultKind, std::vector<std::string>*> faultOptions[] = {
      {sim::FaultKind::Fail, &fails},
      {sim::FaultKind::Silent, &silents},
      {sim::FaultKind::Drop, &drops}};
  for (const auto& [kind, texts] : faultOptions) {
    for (const std::string& text : *texts) {
      sim::FaultRule rule;
      if (!sim::ParseFaultRule(kind, text, rule, error)) return Fail(error);
      module->faults().Add(rule);
    }
  }

  sim::ServerSettings serverSettings;
  if (!SplitHostPort(listen, serverSettings.host, serverSettings.port)) {
    return Fail("--listen \"" + listen + "\" is not HOST:PORT");
  }
  sim::SimChassis chassis;
  chassis.Insert(slot, std::move(module));
  sim::SimServer server(chassis, serverSettings);
  if (!server.Start(error)) return Fail(error);

  asio::signal_set signals(server.io(), SIGINT, SIGTERM);
  signals.async_wait([&server](const asio::error_code&, int) { server.Stop(); });

  std::printf("listening on %s:%u\n", server.host().c_str(), unsigned{server.port()});
  std::fflush(stdout);
  server.Run();
  return 0;
}
