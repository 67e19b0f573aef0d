#include "config/document.h"

#include <istream>
#include <ostream>

#include "config/atomic_file.h"
#include "config/configfile.h"
#include "config/input_file.h"
#include "config/messages.h"
#include "config/racks.h"

namespace krn {

ConfigDocument::ConfigDocument(const ModuleVariant& variant, UserInterface& ui)
    : variant_(&variant), ui_(&ui) {
  ClearImage(image_, variant);
}

std::string ConfigDocument::Title() const {
  if (filePath_.empty()) return "Untitled";
  const auto slash = filePath_.rfind('/');
  return slash == std::string::npos ? filePath_ : filePath_.substr(slash + 1);
}

void ConfigDocument::MakeEmpty() {
  filePath_.clear();
  modified_ = false;
  ClearImage(image_, *variant_);
  if (disableExportTags) disableExportTags();
}

bool ConfigDocument::NewConfiguration() {
  formatError_ = false;
  MakeEmpty();
  return true;
}

void ConfigDocument::ReportFileError(const FileStatus& status, const std::string& path) {
  ui_->Tell(FileErrorText(status, path), MsgIcon::Exclamation);
}

void ConfigDocument::LoadFrom(ChunkedLineReader& lines) {
  formatError_ = false;
  ClearImage(image_, *variant_);
  if (lines.Empty()) return;  // an empty file is the empty configuration
  const ReadResult result = ReadConfigFile(lines, image_, *variant_);
  // A read that failed is a file error, reported by the caller instead.
  if (result.formatError && !lines.Failed()) {
    formatError_ = true;
    ui_->Tell(std::string(msg::kFileFormatError), MsgIcon::Exclamation);
  }
}

bool ConfigDocument::OpenConfiguration(const std::string& path) {
  formatError_ = false;
  InputFile file;
  if (const FileStatus status = file.Open(path); !status.ok()) {
    ReportFileError(status, path);
    return false;  // the configuration in memory is untouched
  }

  modified_ = true;  // while it is being read
  FdLineReader lines(file.Fd());
  LoadFrom(lines);
  if (lines.Failed()) {
    MakeEmpty();
    formatError_ = false;
    ReportFileError(FileStatus::Failed(FileStage::Read, lines.Error()), path);
    return false;
  }
  modified_ = false;
  if (closeModuleLink) closeModuleLink();
  if (AllDirectionsDefined(image_) && AllAddressesDefined(image_) && enableExportTags)
    enableExportTags();
  filePath_ = path;
  return true;
}

bool ConfigDocument::SaveConfiguration(const std::string& path, bool removeOnFailure) {
  (void)removeOnFailure;  // the atomic write never leaves a new file behind
  std::string text;
  WriteConfigFile(image_, text);
  if (const FileStatus status = WriteFileAtomically(path, text); !status.ok()) {
    ReportFileError(status, path);
    return false;
  }
  modified_ = false;
  filePath_ = path;
  return true;
}

void ConfigDocument::SerializeConfiguration(std::iostream& archive, ArchiveMode mode) {
  if (mode == ArchiveMode::Store) {
    WriteConfigFile(image_, archive);
    return;
  }
  StreamLineReader lines(archive);
  LoadFrom(lines);
}

}  // namespace krn
