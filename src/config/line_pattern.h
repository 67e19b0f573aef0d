// Matching one line of the configuration file against its line pattern, the
// way the file has always been read:
// - a blank matches any run of white space, including none;
// - "%d" skips white space and reads an optionally signed decimal number,
//   "%<w>d" (for example "%03d") reads at most w characters;
// - "%x" skips white space and reads hexadecimal digits of either case,
//   "%<w>x" (for example "%08x") at most w of them;
// - every other character must match the line's next character.
// The match starts at the line's first character and stops at the first
// mismatch or at the end of the line; the numbers read before that point are
// stored, the later ones are not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace krn {

struct PatternMatch {
  int stored = 0;         // numbers stored in values[0 .. stored)
  bool complete = false;  // the whole pattern matched
  std::size_t end = 0;    // the line position where matching stopped
};

// Numbers are kept modulo 2^32 (a negative one in two's complement), so the
// caller stores the low-order bits that fit its field.
PatternMatch MatchPattern(std::string_view line, std::string_view pattern, uint32_t* values,
                          int capacity);

inline bool IsFileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace krn
