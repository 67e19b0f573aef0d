// Lines of a text file, LF or CR LF, handed out as views without copying.
// Readers over a file or stream read in chunks and keep one buffer, so a
// whole configuration is read without an allocation per line.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string_view>
#include <vector>

namespace krn {

class LineReader {
 public:
  virtual ~LineReader() = default;
  // The next line without its LF and without a CR before the LF; the view
  // stays valid until the next call. False at the end of the input (or after
  // a read error).
  virtual bool Next(std::string_view& line) = 0;
};

// Lines of text already in memory.
class TextLineReader final : public LineReader {
 public:
  explicit TextLineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) override;

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Lines of a source read chunk by chunk. A line longer than kMaxLine is cut
// there and the rest of it skipped, so no input can make the buffer grow
// without bound.
class ChunkedLineReader : public LineReader {
 public:
  static constexpr std::size_t kMaxLine = 1u << 20;

  explicit ChunkedLineReader(std::size_t chunkSize = 1u << 16);
  bool Next(std::string_view& line) override;
  // True when the source reported an error (the input then ended early).
  bool Failed() const { return failed_; }
  // True when the input holds no byte at all (reads ahead if needed).
  bool Empty();

 protected:
  // Reads up to `size` bytes; returns how many, 0 at the end, -1 on error.
  virtual std::ptrdiff_t Fill(char* data, std::size_t size) = 0;

 private:
  bool ReadMore();

  std::vector<char> buffer_;
  std::size_t chunkSize_;
  std::size_t begin_ = 0;  // unread bytes are buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool atEnd_ = false;
  bool failed_ = false;
  bool skipping_ = false;
  bool sawInput_ = false;  // inside the cut-off rest of an overlong line
};

class StreamLineReader final : public ChunkedLineReader {
 public:
  explicit StreamLineReader(std::istream& in, std::size_t chunkSize = 1u << 16)
      : ChunkedLineReader(chunkSize), in_(in) {}

 protected:
  std::ptrdiff_t Fill(char* data, std::size_t size) override;

 private:
  std::istream& in_;
};

class FdLineReader final : public ChunkedLineReader {
 public:
  explicit FdLineReader(int fd) : fd_(fd) {}
  int Error() const { return error_; }  // errno of the failed read

 protected:
  std::ptrdiff_t Fill(char* data, std::size_t size) override;

 private:
  int fd_;
  int error_ = 0;
};

}  // namespace krn
