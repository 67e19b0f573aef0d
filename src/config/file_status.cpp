#include "config/file_status.h"

#include <cerrno>

#include "config/messages.h"

namespace krn {

namespace {

std::string WithPath(std::string_view text, const std::string& path) {
  std::string out;
  const auto at = text.find("%1");
  if (at == std::string_view::npos) return std::string(text);
  out.reserve(text.size() + path.size());
  out.append(text.substr(0, at)).append(path).append(text.substr(at + 2));
  return out;
}

}  // namespace

std::string FileErrorText(const FileStatus& status, const std::string& path) {
  const bool reading = status.stage == FileStage::Open || status.stage == FileStage::Read;
  switch (status.error) {
    case ENOENT:
      // A missing file when opening; a missing folder when creating.
      return WithPath(reading ? msg::kFileNotFound : msg::kFileBadPath, path);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return WithPath(msg::kFileBadPath, path);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return WithPath(msg::kFileAccessDenied, path);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return std::string(msg::kDiskFull);
    case EMFILE:
    case ENFILE: return WithPath(msg::kFileTooManyOpen, path);
    case EIO: return WithPath(msg::kFileHardIo, path);
    default: break;
  }
  switch (status.stage) {
    case FileStage::Open:
    case FileStage::Read: return std::string(msg::kFailedToOpenDocument);
    case FileStage::Create: return std::string(msg::kInvalidFilename);
    case FileStage::Write: return std::string(msg::kFailedToSaveDocument);
  }
  return std::string(msg::kFailedToSaveDocument);
}

}  // namespace krn
