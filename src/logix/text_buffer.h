// A growable output buffer for writers that emit many short lines. The
// constant parts of the lines are prepared once as pieces and copied with
// one fixed-size move each; numbers are written in place.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace krn {

// A piece of text kept in an array of N characters, so that it can be
// copied with one fixed-size move; a longer text is kept aside and copied by
// length.
template <std::size_t N>
class TextPiece {
 public:
  static_assert(N % 16 == 0);
  TextPiece() = default;
  explicit TextPiece(std::string_view text) { Assign(text); }

  void Assign(std::string_view text) {
    size_ = text.size();
    if (size_ <= N) {
      std::memcpy(fixed_, text.data(), size_);
      long_.clear();
    } else {
      long_.assign(text);
    }
  }
  // The piece becomes `prefix` followed by `v` in decimal.
  void AssignWithNumber(std::string_view prefix, unsigned v) {
    char text[N + 16];
    if (prefix.size() + 10 > sizeof text) return Assign(std::string(prefix) + std::to_string(v));
    std::memcpy(text, prefix.data(), prefix.size());
    char* end = std::to_chars(text + prefix.size(), text + sizeof text, v).ptr;
    Assign(std::string_view(text, static_cast<std::size_t>(end - text)));
  }
  // For a piece that AssignWithNumber made with `prefix`: the number
  // becomes `v`. The prefix stays where it is.
  void ReplaceNumber(std::string_view prefix, unsigned v) {
    if (!long_.empty() || prefix.size() + 10 > N) return AssignWithNumber(prefix, v);
    size_ =
        static_cast<std::size_t>(std::to_chars(fixed_ + prefix.size(), fixed_ + N, v).ptr - fixed_);
  }
  std::size_t size() const { return size_; }

 private:
  friend class TextBuffer;
  char fixed_[N] = {};
  std::size_t size_ = 0;
  std::string long_;
};

class TextBuffer {
 public:
  // Room a fixed-size move may need beyond the text it writes.
  static constexpr std::size_t kSlack = 128;

  // Writes into the buffer through a pointer of its own, so that the
  // compiler can keep it in a register while a writer emits its lines.
  class Cursor {
   public:
    template <std::size_t N>
    [[gnu::always_inline]] void Put(const TextPiece<N>& piece) {
      static_assert(N <= kSlack);
      // The bytes copied beyond the piece are overwritten by what follows.
      if (N > 32 && piece.size_ <= 32)
        std::memcpy(p_, piece.fixed_, 32);
      else if (piece.size_ <= N) [[likely]]
        std::memcpy(p_, piece.fixed_, N);
      else
        std::memcpy(p_, piece.long_.data(), piece.size_);
      p_ += piece.size_;
    }
    void Put(std::string_view text) {
      if (!text.empty()) std::memcpy(p_, text.data(), text.size());
      p_ += text.size();
    }
    // Decimal, no leading zeros; up to 10 characters.
    [[gnu::always_inline]] void PutNumber(unsigned v) {
      if (v < 10) {
        *p_++ = static_cast<char>('0' + v);
      } else if (v < 100) {
        std::memcpy(p_, kPairs + 2 * v, 2);
        p_ += 2;
      } else if (v < 10000) {
        const unsigned hi = v / 100, lo = v % 100;
        if (hi < 10) {
          *p_++ = static_cast<char>('0' + hi);
        } else {
          std::memcpy(p_, kPairs + 2 * hi, 2);
          p_ += 2;
        }
        std::memcpy(p_, kPairs + 2 * lo, 2);
        p_ += 2;
      } else {
        p_ = std::to_chars(p_, p_ + 10, v).ptr;
      }
    }

   private:
    friend class TextBuffer;
    explicit Cursor(char* p) : p_(p) {}
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char* p_;
  };

  explicit TextBuffer(std::size_t capacity) { Grow(capacity + kSlack); }

  // A cursor with room for `n` more characters (a number counts 10);
  // Commit() takes its writes into the buffer.
  Cursor Reserve(std::size_t n) {
    if (static_cast<std::size_t>(end_ - p_) < n + kSlack) Grow(Size() + n + kSlack);
    return Cursor(p_);
  }
  void Commit(const Cursor& c) { p_ = c.p_; }

  void Append(std::string_view text) {
    Cursor c = Reserve(text.size());
    c.Put(text);
    Commit(c);
  }

  const char* Data() const { return data_.get(); }
  std::size_t Size() const { return static_cast<std::size_t>(p_ - data_.get()); }

 private:
  void Grow(std::size_t capacity) {
    const std::size_t used = data_ ? Size() : 0;
    auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
    if (used) std::memcpy(bigger.get(), data_.get(), used);
    data_ = std::move(bigger);
    p_ = data_.get() + used;
    end_ = data_.get() + capacity;
  }

  std::unique_ptr<char[]> data_;
  char* p_ = nullptr;
  char* end_ = nullptr;
};

}  // namespace krn
