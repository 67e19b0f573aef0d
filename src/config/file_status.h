// The outcome of a file operation: which step failed and the system's error
// number, so that the caller can show the matching file-error text.
#pragma once

#include <string>

namespace krn {

enum class FileStage {
  Open,    // opening an existing file for reading
  Read,    // reading an opened file
  Create,  // creating the file (or its temporary twin) for writing
  Write,   // writing, flushing or putting the written file in place
};

struct FileStatus {
  FileStage stage = FileStage::Open;
  int error = 0;  // errno; 0 when the operation worked

  bool ok() const { return error == 0; }
  static FileStatus Ok() { return {}; }
  static FileStatus Failed(FileStage stage, int error) { return {stage, error}; }
};

// The system's file-error text for a failure on `path`, as the document shows
// it: "%1 was not found.", "Access to %1 was denied.", ... with `path` for %1;
// "Failed to open document.", "Invalid filename." or "Failed to save
// document." when no text names the cause.
std::string FileErrorText(const FileStatus& status, const std::string& path);

}  // namespace krn
