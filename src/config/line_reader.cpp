#include "config/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>

namespace krn {

namespace {

std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

bool TextLineReader::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const auto lf = text_.find('\n', pos_);
  const std::size_t end = lf == std::string_view::npos ? text_.size() : lf;
  line = WithoutCr(text_.substr(pos_, end - pos_));
  pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
  return true;
}

ChunkedLineReader::ChunkedLineReader(std::size_t chunkSize)
    : chunkSize_(chunkSize == 0 ? 1 : chunkSize) {}

bool ChunkedLineReader::ReadMore() {
  if (atEnd_) return false;
  // Make room for one chunk: first by moving the unread bytes to the front,
  // then by growing the buffer geometrically, so each byte is moved a
  // bounded number of times whatever the chunk size.
  if (buffer_.size() - end_ < chunkSize_) {
    if (begin_ > 0) {
      std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    if (buffer_.size() - end_ < chunkSize_)
      buffer_.resize(std::max(end_ + chunkSize_, buffer_.size() * 2));
  }
  const std::ptrdiff_t n = Fill(buffer_.data() + end_, chunkSize_);
  if (n <= 0) {
    atEnd_ = true;
    failed_ = n < 0;
    return false;
  }
  end_ += static_cast<std::size_t>(n);
  sawInput_ = true;
  return true;
}

bool ChunkedLineReader::Empty() {
  if (!sawInput_ && !atEnd_) ReadMore();
  return !sawInput_;
}

bool ChunkedLineReader::Next(std::string_view& line) {
  std::size_t scanned = 0;  // bytes after begin_ known to hold no LF
  for (;;) {
    const char* start = buffer_.data() + begin_;
    const std::size_t avail = end_ - begin_;
    const void* lf =
        avail > scanned ? std::memchr(start + scanned, '\n', avail - scanned) : nullptr;
    if (lf != nullptr) {
      const auto length = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
      begin_ += length + 1;
      scanned = 0;
      if (skipping_) {
        skipping_ = false;
        continue;
      }
      line = WithoutCr(std::string_view(start, length));
      return true;
    }
    if (skipping_) {
      begin_ = end_;
      scanned = 0;
    } else if (avail >= kMaxLine) {
      // Hand out the line's head; the rest of it is skipped.
      line = WithoutCr(std::string_view(start, kMaxLine));
      begin_ += kMaxLine;
      skipping_ = true;
      return true;
    } else {
      scanned = avail;
    }
    if (!ReadMore()) {
      if (end_ == begin_ || skipping_) return false;
      line = WithoutCr(std::string_view(buffer_.data() + begin_, end_ - begin_));
      begin_ = end_;
      return true;
    }
  }
}

std::ptrdiff_t StreamLineReader::Fill(char* data, std::size_t size) {
  if (!in_) return in_.bad() ? -1 : 0;
  in_.read(data, static_cast<std::streamsize>(size));
  const auto n = static_cast<std::ptrdiff_t>(in_.gcount());
  if (n == 0 && in_.bad()) return -1;
  return n;
}

std::ptrdiff_t FdLineReader::Fill(char* data, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd_, data, size);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    error_ = errno;
    return -1;
  }
}

}  // namespace krn
