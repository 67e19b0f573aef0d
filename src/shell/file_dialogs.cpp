#include "shell/file_dialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace krn::shell {
namespace {

QStringList Filters(const ModuleVariant& variant) {
  return {QString::fromStdString(variant.fileFilter), QStringLiteral("All Files (*.*)")};
}

}  // namespace

FileDialogRequest OpenFileRequest(const ModuleVariant& variant) {
  return {FileDialogMode::Open, QStringLiteral("Open"), Filters(variant),
          QString::fromStdString(variant.fileExtension), QString()};
}

FileDialogRequest SaveAsRequest(const ModuleVariant& variant, const QString& currentPath,
                                const QString& documentTitle) {
  QString proposed = currentPath;
  if (proposed.isEmpty()) {
    proposed = documentTitle;
    const qsizetype cut = proposed.indexOf(QRegularExpression(QStringLiteral("[ #%;/\\\\]")));
    if (cut >= 0) proposed.truncate(cut);
    proposed += QLatin1Char('.') + QString::fromStdString(variant.fileExtension);
  }
  return {FileDialogMode::Save, QStringLiteral("Save As"), Filters(variant),
          QString::fromStdString(variant.fileExtension), proposed};
}

QString RunFileDialog(const FileDialogRequest& request, QWidget* parent) {
  QFileDialog dialog(parent, request.title);
  dialog.setNameFilters(request.filters);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (request.mode == FileDialogMode::Open) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.proposedPath.isEmpty()) dialog.selectFile(request.proposedPath);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace krn::shell
