#include "config/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace krn {

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

FileStatus InputFile::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (path.empty()) return FileStatus::Failed(FileStage::Open, ENOENT);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileStatus::Failed(FileStage::Open, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return FileStatus::Failed(FileStage::Open, error);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return FileStatus::Failed(FileStage::Open, EISDIR);
  }
  fd_ = fd;
  return FileStatus::Ok();
}

FileStatus ReadFileHead(const std::string& path, std::string& out, std::size_t limit) {
  out.clear();
  InputFile file;
  if (auto status = file.Open(path); !status.ok()) return status;
  const std::size_t want = limit + 1;
  out.resize(want);
  std::size_t have = 0;
  while (have < want) {
    const ssize_t n = ::read(file.Fd(), out.data() + have, want - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      out.clear();
      return FileStatus::Failed(FileStage::Read, error);
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  out.resize(have);
  return FileStatus::Ok();
}

}  // namespace krn
