#include "config/line_pattern.h"

#include <algorithm>

namespace krn {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a number at line[i...]; `width` 0 means no limit. False when no digit
// could be read.
bool ReadNumber(std::string_view line, std::size_t& i, char conversion, std::size_t width,
                uint32_t& value) {
  const std::size_t limit = width == 0 ? line.size() : std::min(line.size(), i + width);
  std::size_t pos = i;
  bool negative = false;
  const unsigned base = conversion == 'x' ? 16 : 10;
  if (base == 10 && pos < limit && (line[pos] == '+' || line[pos] == '-')) {
    negative = line[pos] == '-';
    ++pos;
  }
  uint32_t v = 0;
  const std::size_t first = pos;
  if (base == 10) {
    for (; pos < limit; ++pos) {
      const auto d = static_cast<unsigned>(static_cast<unsigned char>(line[pos]) - '0');
      if (d > 9) break;
      v = v * 10 + d;
    }
  } else {
    for (; pos < limit; ++pos) {
      const int d = HexDigit(line[pos]);
      if (d < 0) break;
      v = v * 16 + static_cast<uint32_t>(d);
    }
  }
  if (pos == first) return false;
  value = negative ? 0u - v : v;
  i = pos;
  return true;
}

}  // namespace

PatternMatch MatchPattern(std::string_view line, std::string_view pattern, uint32_t* values,
                          int capacity) {
  PatternMatch m;
  std::size_t i = 0;
  std::size_t p = 0;
  while (p < pattern.size()) {
    const char c = pattern[p];
    if (c == ' ') {
      while (i < line.size() && IsFileSpace(line[i])) ++i;
      ++p;
      continue;
    }
    if (c == '%' && p + 1 < pattern.size()) {
      ++p;
      std::size_t width = 0;
      while (p < pattern.size() && pattern[p] >= '0' && pattern[p] <= '9')
        width = width * 10 + static_cast<std::size_t>(pattern[p++] - '0');
      const char conversion = p < pattern.size() ? pattern[p++] : 'd';
      while (i < line.size() && IsFileSpace(line[i])) ++i;
      uint32_t value = 0;
      if (!ReadNumber(line, i, conversion, width, value)) {
        m.end = i;
        return m;
      }
      if (m.stored < capacity) values[m.stored++] = value;
      continue;
    }
    if (i >= line.size() || line[i] != c) {
      m.end = i;
      return m;
    }
    ++i;
    ++p;
  }
  m.complete = true;
  m.end = i;
  return m;
}

}  // namespace krn
