// A growable output buffer for writers that emit many short lines: the
// constant parts of a line are prepared once as pieces and copied with one
// fixed-size move, numbers are written in place.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace krn {

class TextBuffer {
 public:
  // A piece of text of at most kMax characters, kept in a full-size array so
  // that it can be copied with one fixed-size move; longer texts are copied
  // by length.
  class Piece {
   public:
    static constexpr std::size_t kMax = 64;
    explicit Piece(std::string_view text) : size_(text.size()) {
      if (size_ <= kMax)
        std::copy(text.begin(), text.end(), fixed_);
      else
        long_ = text;
    }

    std::size_t size() const { return size_; }

    // The piece becomes `prefix`, `v` in decimal, then `suffix`.
    void SetWithNumber(std::string_view prefix, unsigned v, std::string_view suffix = {}) {
      char digits[10];
      const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
      const std::string_view number(digits, static_cast<std::size_t>(end - digits));
      size_ = prefix.size() + number.size() + suffix.size();
      if (size_ <= kMax) {
        std::copy(prefix.begin(), prefix.end(), fixed_);
        std::copy(number.begin(), number.end(), fixed_ + prefix.size());
        std::copy(suffix.begin(), suffix.end(), fixed_ + prefix.size() + number.size());
      } else {
        long_.assign(prefix).append(number).append(suffix);
      }
    }

    // Adds 1 to the decimal number at the end of a piece that SetWithNumber
    // made with `prefix` (and no suffix).
    void IncrementNumber(std::string_view prefix) {
      char* text = size_ <= kMax ? fixed_ : long_.data();
      char* digit = text + size_;
      while (digit != text + prefix.size()) {
        --digit;
        if (*digit != '9') {
          ++*digit;
          return;
        }
        *digit = '0';
      }
      // All nines: one digit more.
      unsigned v = 1;
      for (std::size_t i = prefix.size(); i < size_; ++i) v *= 10;
      SetWithNumber(prefix, v);
    }

   private:
    friend class TextBuffer;
    char fixed_[kMax] = {};
    std::size_t size_;
    std::string long_;
  };

  explicit TextBuffer(std::size_t capacity) { Grow(capacity); }

  // Room for `n` more characters; the Put functions need it made first.
  void Reserve(std::size_t n) {
    if (static_cast<std::size_t>(end_ - p_) < n + Piece::kMax) Grow(Size() + n + Piece::kMax);
  }

  // Short pieces move in one fixed-size copy; the bytes copied beyond the
  // piece are overwritten by what follows.
  [[gnu::always_inline]] void Put(const Piece& piece) {
    if (piece.size_ <= 16)
      std::memcpy(p_, piece.fixed_, 16);
    else if (piece.size_ <= 32)
      std::memcpy(p_, piece.fixed_, 32);
    else if (piece.size_ <= Piece::kMax)
      std::memcpy(p_, piece.fixed_, Piece::kMax);
    else
      std::memcpy(p_, piece.long_.data(), piece.size_);
    p_ += piece.size_;
  }
  void Put(std::string_view text) {
    std::memcpy(p_, text.data(), text.size());
    p_ += text.size();
  }
  // Decimal, no leading zeros; up to 10 characters.
  [[gnu::always_inline]] void PutNumber(unsigned v) {
    if (v < 100) {
      if (v < 10) {
        *p_++ = static_cast<char>('0' + v);
      } else {
        std::memcpy(p_, kPairs + 2 * v, 2);
        p_ += 2;
      }
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

  const char* Data() const { return data_.get(); }
  std::size_t Size() const { return static_cast<std::size_t>(p_ - data_.get()); }

 private:
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";

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
