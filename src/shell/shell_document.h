// The one document of a desktop program: the GUI-free ConfigDocument plus
// what the desktop adds to it, the save-changes question and the Save File
// and Save File As commands with their dialog.
#pragma once

#include <QObject>
#include <QString>

#include "config/document.h"
#include "shell/file_dialogs.h"

namespace krn::shell {

class ShellDocument : public QObject {
  Q_OBJECT

 public:
  ShellDocument(const ModuleVariant& variant, UserInterface& ui);
  ~ShellDocument() override;

  ConfigDocument& Core() { return core_; }
  const ConfigDocument& Core() const { return core_; }
  const ModuleVariant& Variant() const { return core_.Variant(); }

  QString Title() const { return QString::fromStdString(core_.Title()); }
  QString FilePath() const { return QString::fromStdString(core_.FilePath()); }

  // For a modified configuration asks "Save changes to %1?" (Yes, No,
  // Cancel). True when the caller may go on: saved, discarded or not
  // modified.
  bool SaveModified();

  // Save File: to the current file, or as Save File As when untitled.
  bool OnFileSave();
  // Save File As: asks for the file name first.
  bool OnFileSaveAs();

  // The document's share of command routing (Save File, Save File As).
  bool OnCommand(int command);

  FileChooser fileChooser = RunFileDialog;
  QWidget* dialogParent = nullptr;

 signals:
  // The title or file changed (new, open, save under a new name).
  void titleChanged();
  // A save wrote this file; it joins the recent-file list.
  void fileSaved(const QString& path);

 private:
  bool DoSave(const QString& path, bool removeOnFailure);

  ConfigDocument core_;
};

}  // namespace krn::shell
