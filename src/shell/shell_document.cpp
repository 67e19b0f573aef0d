#include "shell/shell_document.h"

#include "config/messages.h"
#include "shell/command_ids.h"

namespace krn::shell {

ShellDocument::ShellDocument(const ModuleVariant& variant, UserInterface& ui)
    : core_(variant, ui) {}

ShellDocument::~ShellDocument() = default;

bool ShellDocument::SaveModified() {
  if (!core_.IsModified()) return true;
  switch (core_.Ui().Message(msg::SaveChangesQuestion(core_.Title()), {}, MsgButtons::YesNoCancel,
                             MsgIcon::Exclamation)) {
    case MsgResult::Yes: return OnFileSave();
    case MsgResult::No: return true;
    default: return false;
  }
}

bool ShellDocument::OnFileSave() {
  if (core_.FilePath().empty()) return OnFileSaveAs();
  return DoSave(FilePath(), false);
}

bool ShellDocument::OnFileSaveAs() {
  const QString path = fileChooser(SaveAsRequest(Variant(), FilePath(), Title()), dialogParent);
  if (path.isEmpty()) return false;
  // A new file that cannot be written is removed again; an existing one is
  // never damaged (the save is atomic).
  return DoSave(path, true);
}

bool ShellDocument::DoSave(const QString& path, bool removeOnFailure) {
  if (!core_.SaveConfiguration(path.toStdString(), removeOnFailure)) return false;
  emit fileSaved(FilePath());
  emit titleChanged();
  return true;
}

bool ShellDocument::OnCommand(int command) {
  switch (command) {
    case kCmdFileSave: OnFileSave(); return true;
    case kCmdFileSaveAs: OnFileSaveAs(); return true;
    default: return false;
  }
}

}  // namespace krn::shell
