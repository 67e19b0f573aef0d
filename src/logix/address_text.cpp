#include "logix/address_text.h"

#include <string>

namespace krn {

namespace {

// "L.Data[w]"
std::string Element(char letter, int word) {
  std::string s(1, letter);
  s += ".Data[";
  s += std::to_string(word);
  s += ']';
  return s;
}

}  // namespace

char LogixAreaLetter(uint8_t area) {
  static constexpr char kLetters[] = "*ISO";
  return area >= 1 && area <= 3 ? kLetters[area] : '?';
}

std::string FormatLogixAddress(const CopyTableEntry& entry, bool analog) {
  if (entry.Area == kAreaNone) return "Undefined";
  const char letter = LogixAreaLetter(entry.Area);
  const int offset = entry.ClxOffset;
  const int length = entry.Length;
  const int word = offset / 2;
  const bool odd = (offset % 2) != 0;

  if (analog) {
    return Element(letter, word) + " -> " + Element(letter, (offset + length) / 2 - 1);
  }
  if (length == 1) return Element(letter, word) + (odd ? ".8-15" : ".0-7");
  if (length == 2 && !odd) return Element(letter, word) + ".0-15";
  if (length == 0) return "Undefined";
  // Every other digital span, from its first bit to its last: the byte
  // offset + length - 1 holds the last bit, in the high half of its word
  // when that byte is odd.
  const int lastByte = offset + length - 1;
  return Element(letter, word) + (odd ? ".8" : ".0") + " -> " + Element(letter, lastByte / 2) +
         (lastByte % 2 != 0 ? ".15" : ".7");
}

}  // namespace krn
