// The document's GUI-free behaviour: one ConfigImage held by value, the
// modified flag, the file path, and the new/open/save entry points. The Qt
// document classes (CMyLookwellDoc / CMyPacewellDoc) wrap this object.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "config/image.h"
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

  bool NewConfiguration();
  bool OpenConfiguration(const std::string& path);
  // `removeOnFailure`: Save As or the first save of an untitled
  // configuration, where a failed save must leave no new file behind.
  bool SaveConfiguration(const std::string& path, bool removeOnFailure);
  // Reads or writes the file format over an open stream; a format error is
  // reported (string 152) here and the call still returns normally.
  void SerializeConfiguration(std::iostream& archive, ArchiveMode mode);

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
  std::string filePath_;
};

}  // namespace krn
