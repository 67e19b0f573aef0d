// Opening a file for reading with the system's error number kept, so the
// document can tell "not found" from "access denied" and so on.
#pragma once

#include <cstddef>
#include <string>

#include "config/file_status.h"

namespace krn {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // A folder cannot be opened as a file (EISDIR).
  FileStatus Open(const std::string& path);
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// Reads at most `limit` + 1 bytes of `path` into `out`, so a caller can tell a
// file above its limit (out.size() > limit) without reading all of it.
FileStatus ReadFileHead(const std::string& path, std::string& out, std::size_t limit);

}  // namespace krn
