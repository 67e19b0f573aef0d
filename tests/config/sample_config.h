// Configurations to test with: a small hand-made one that looks like a real
// plant, and random ones that exercise every field.
#pragma once

#include <cstdint>
#include <random>
#include <string_view>

#include "config/image.h"
#include "config/module_variant.h"

namespace krn::test {

// Rack 0 at byte 16 (digital 8/16/32 bits and an analog card), rack 1 at byte
// 250; directions set and copy tables filled, name without blanks.
inline ConfigImage SampleImage(const ModuleVariant& variant, std::string_view name = "Line_7") {
  ConfigImage img;
  ClearImage(img, variant);
  img.NumRacks = 2;
  img.Options = variant.hasPushPullOption ? 1u : 0u;
  StoreModuleName(img, name);
  RackRecord& a = img.Racks[0];
  a.ByteAddress = 16;
  a.DLen = 9;
  a.ALen = 16;
  a.DSlotLen = {1, 2, 4, 0, 2, 0, 0, 0, 0, 0, 0, 0};
  a.ASlotLen = {0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
  a.IOTypeArray = {0, 1, 0, 255, 0, 255, 255, 255, 255, 255, 255, 255};
  a.DigitalInputTable()[0] = {1, 0, 0, 0, 1};
  a.DigitalInputTable()[1] = {1, 0, 2, 3, 4};
  a.DigitalOutputTable()[0] = {2, 0, 0, 1, 2};
  a.AnalogInputTable()[0] = {1, 0, 6, 9, 16};
  RackRecord& b = img.Racks[1];
  b.ByteAddress = 250;
  b.DLen = 5;
  b.DSlotLen = {1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  b.IOTypeArray = {1, 1, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  b.DigitalOutputTable()[0] = {2, 0, 2, 0, 1};
  b.DigitalOutputTable()[1] = {2, 0, 4, 1, 4};
  UpdateCfgId(img);
  return img;
}

// Any values in every written field; names of 0 to 17 bytes of any
// character except NUL and line ends (they cannot come from the dialog).
inline ConfigImage RandomImage(const ModuleVariant& variant, std::mt19937& rng) {
  auto byte = [&] { return static_cast<uint8_t>(rng()); };
  auto word = [&] { return static_cast<uint16_t>(rng()); };
  ConfigImage img;
  ClearImage(img, variant);
  img.NumRacks = static_cast<uint32_t>(rng() % (kMaxRacks + 1));
  img.Options = static_cast<uint32_t>(rng());
  const auto nameLength = rng() % kNameSize;
  for (std::size_t i = 0; i < nameLength; ++i) {
    char c;
    do c = static_cast<char>(byte());
    while (c == '\0' || c == '\n' || c == '\r');
    img.Name[i] = c;
  }
  if (rng() % 4 == 0) std::fill(img.Name.begin(), img.Name.begin() + nameLength, ' ');
  for (uint32_t r = 0; r < img.NumRacks; ++r) {
    RackRecord& rack = img.Racks[r];
    rack.ByteAddress = byte();
    rack.DLen = byte();
    rack.ALen = byte();
    for (int s = 0; s < kSlotsPerRack; ++s) {
      rack.DSlotLen[s] = byte();
      rack.ASlotLen[s] = byte();
      rack.IOTypeArray[s] = byte();
    }
    for (auto& table : rack.Tables)
      for (auto& e : table) e = {byte(), 0, word(), word(), word()};
  }
  UpdateCfgId(img);
  return img;
}

}  // namespace krn::test
