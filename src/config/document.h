// The document's GUI-free behaviour: one ConfigImage held by value, the
// modified flag, the file path, and the new/open/save entry points. The Qt
// document classes (CMyLookwellDoc / CMyPacewellDoc) wrap this object.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "config/file_status.h"
#include "config/image.h"
#include "config/line_reader.h"
#include "config/module_variant.h"
#include "config/user_interface.h"

namespace krn {

enum class ArchiveMode { Load, Store };

class ConfigDocument {
 public:
  ConfigDocument(const ModuleVariant& variant, UserInterface& ui);

  const ModuleVariant& Variant() const { return *variant_; }
  UserInterface& Ui() { return *ui_; }

  ConfigImage& Image() { return image_; }
  const ConfigImage& Image() const { return image_; }

  bool IsModified() const { return modified_; }
  void SetModified(bool modified = true) { modified_ = modified; }

  // Empty until the configuration was opened from or saved to a file.
  const std::string& FilePath() const { return filePath_; }
  // "Untitled" or the file's name.
  std::string Title() const;

  // The empty configuration: no file, not modified, CfgId 0.
  bool NewConfiguration();
  // True when the document now holds the file. A file that cannot be opened
  // is reported and leaves the document as it was; one that fails while
  // being read is reported and leaves the empty "Untitled" configuration. A
  // format error (string 152) is reported and the open still succeeds with
  // what was read.
  bool OpenConfiguration(const std::string& path);
  // Saves atomically: a failed save is reported, leaves an existing file
  // exactly as it was and never leaves a new one behind, so Save As and the
  // first save of an untitled configuration need nothing extra
  // (`removeOnFailure` is kept for callers that tell the cases apart).
  bool SaveConfiguration(const std::string& path, bool removeOnFailure = true);
  // Reads or writes the file format over an open stream; a format error is
  // reported (string 152) here and the call still returns normally. Stream
  // failures are the caller's to check.
  void SerializeConfiguration(std::iostream& archive, ArchiveMode mode);

  // True when the last open or serialisation met a format error (string 152
  // was shown), so a caller can tell a partly read configuration.
  bool LastFormatError() const { return formatError_; }

  // Where the document meets the rest of the program (the main frame sets
  // these; until then they do nothing).
  std::function<void()> disableExportTags;
  std::function<void()> enableExportTags;
  std::function<void()> closeModuleLink;

 private:
  const ModuleVariant* variant_;
  UserInterface* ui_;
  ConfigImage image_{};
  bool modified_ = false;
  bool formatError_ = false;
  std::string filePath_;

  void LoadFrom(ChunkedLineReader& lines);
  void MakeEmpty();
  void ReportFileError(const FileStatus& status, const std::string& path);
};

}  // namespace krn
