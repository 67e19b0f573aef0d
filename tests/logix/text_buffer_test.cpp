#include "logix/text_buffer.h"

#include <gtest/gtest.h>

namespace krn {
namespace {

std::string Text(const TextBuffer& b) {
  return std::string(b.Data(), b.Size());
}

TEST(TextBuffer, PiecesNumbersAndGrowth) {
  // A tiny first capacity: every Reserve beyond it grows the buffer and
  // keeps what was written.
  TextBuffer buffer(1);
  const TextPiece<16> shortPiece("ab");
  const TextPiece<64> mid(std::string(40, 'm'));
  const TextPiece<32> longPiece(std::string(100, 'x'));  // kept aside, copied by length
  std::string expected;
  const unsigned numbers[] = {0, 9, 10, 99, 100, 999, 1000, 9999, 10000, 65535, 4294967295u};
  for (const unsigned v : numbers) {
    TextBuffer::Cursor c = buffer.Reserve(300);
    c.Put(shortPiece);
    c.PutNumber(v);
    c.Put(mid);
    c.Put(longPiece);
    c.Put(std::string_view("|"));
    buffer.Commit(c);
    expected += "ab" + std::to_string(v) + std::string(40, 'm') + std::string(100, 'x') + "|";
  }
  EXPECT_EQ(Text(buffer), expected);

  TextPiece<32> numbered;
  numbered.AssignWithNumber("w=", 7);
  numbered.ReplaceNumber("w=", 12345);
  TextBuffer one(0);
  TextBuffer::Cursor c = one.Reserve(64);
  c.Put(numbered);
  one.Commit(c);
  one.Append("!");
  EXPECT_EQ(Text(one), "w=12345!");
}

}  // namespace
}  // namespace krn
