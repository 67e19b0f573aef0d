#include "config/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace krn {

namespace {

// The file a save really replaces: a symbolic link's target, else the path.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;  // a dangling link
  return resolved;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new, empty temporary file beside `target`; -1 with errno set on
// failure.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const std::string prefix = DirectoryOf(target) + "/." + BaseNameOf(target) + ".tmp";
  for (int attempt = 0; attempt < 64; ++attempt) {
    char suffix[17];
    const auto value = random();
    for (int i = 0; i < 16; ++i) suffix[i] = "0123456789abcdef"[(value >> (4 * i)) & 0xF];
    suffix[16] = '\0';
    tempPath = prefix + suffix;
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::string_view content) {
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// The rename is durable only once the folder itself is flushed; a failure
// here no longer endangers either file, so it is not reported.
void SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

FileStatus WriteFileAtomically(const std::string& path, std::string_view content) {
  if (path.empty() || path.back() == '/') return FileStatus::Failed(FileStage::Create, EINVAL);
  const std::string target = ResolveTarget(path);

  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return FileStatus::Failed(FileStage::Create, EISDIR);
  // Renaming over a file needs only the folder's permission; a file the user
  // made read-only stays protected as if it were written in place.
  if (exists && ::access(target.c_str(), W_OK) != 0)
    return FileStatus::Failed(FileStage::Create, errno);

  std::string tempPath;
  const int fd = CreateTemporary(target, tempPath);
  if (fd < 0) return FileStatus::Failed(FileStage::Create, errno);

  auto fail = [&](FileStage stage, int error) {
    ::close(fd);
    ::unlink(tempPath.c_str());
    return FileStatus::Failed(stage, error);
  };
  if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) return fail(FileStage::Create, errno);
  if (!WriteAll(fd, content)) return fail(FileStage::Write, errno);
  if (::fsync(fd) != 0) return fail(FileStage::Write, errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(tempPath.c_str());
    return FileStatus::Failed(FileStage::Write, error);
  }
  if (::rename(tempPath.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempPath.c_str());
    return FileStatus::Failed(FileStage::Write, error);
  }
  SyncDirectory(DirectoryOf(target));
  return FileStatus::Ok();
}

}  // namespace krn
