// The open and save dialogs of the file commands: what they ask (title,
// filters, default extension, proposed name) is built here, and a chooser
// runs them, so that tests can answer in place of the user.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "config/module_variant.h"

class QWidget;

namespace krn::shell {

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
  FileDialogMode mode = FileDialogMode::Open;
  QString title;
  QStringList filters;    // "Lookwell Files (*.lkw)", "All Files (*.*)"
  QString defaultSuffix;  // "lkw"
  QString proposedPath;   // the save dialog's initial file name
};

// Returns the chosen full path, or an empty text when the user cancelled.
using FileChooser = std::function<QString(const FileDialogRequest&, QWidget* parent)>;

FileDialogRequest OpenFileRequest(const ModuleVariant& variant);
// The current full path, or for an untitled configuration its title cut
// before the first character a file name cannot start a name with ("Untitled"
// becomes "Untitled.lkw").
FileDialogRequest SaveAsRequest(const ModuleVariant& variant, const QString& currentPath,
                                const QString& documentTitle);

// The platform's dialog: the file must exist when opening; the folder must
// exist and an existing file is replaced only after the user confirms when
// saving.
QString RunFileDialog(const FileDialogRequest& request, QWidget* parent);

}  // namespace krn::shell
