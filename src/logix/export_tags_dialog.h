// The Export Tags dialog: the tag file's name, chosen only through "Select
// File Name" (a save chooser that asks before replacing a file), and in the
// scanner build the "Input Only" choice. OK stays greyed until a file has
// been chosen.
#pragma once

#include <QDialog>
#include <QString>

#include "config/module_variant.h"
#include "shell/file_dialogs.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace krn {

class ExportTagsDialog : public QDialog {
  Q_OBJECT

 public:
  ExportTagsDialog(const ModuleVariant& variant, shell::FileChooser chooser,
                   QWidget* parent = nullptr);

  // The export file's full path; empty until one was chosen.
  QString FileName;
  // Scanner build: 1 leaves out the control register and the outputs.
  int InputOnly = 0;

  // Shows the members in the controls, or (save) reads the controls.
  void UpdateData(bool save);
  // "Select File Name": the save chooser, starting at FileName.
  void OnSelectFileName();

  // The save chooser's request for the current FileName.
  shell::FileDialogRequest SelectFileRequest() const;

  QLineEdit* FileNameEdit() const { return fileName_; }
  QPushButton* SelectFileButton() const { return select_; }
  QCheckBox* InputOnlyBox() const { return inputOnly_; }  // null in the monitor build
  QPushButton* OkButton() const { return ok_; }

 private:
  shell::FileChooser chooser_;
  QLineEdit* fileName_;
  QPushButton* select_;
  QCheckBox* inputOnly_ = nullptr;
  QPushButton* ok_;
};

}  // namespace krn
