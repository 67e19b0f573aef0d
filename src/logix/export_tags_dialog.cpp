#include "logix/export_tags_dialog.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace krn {

namespace {

constexpr uint32_t kExportTagsHelpContext = 0x20000 + 140;
constexpr int kWidthUnits = 237;  // dialog units, a quarter of a character each

}  // namespace

ExportTagsDialog::ExportTagsDialog(const ModuleVariant& variant, shell::FileChooser chooser,
                                   QWidget* parent)
    : QDialog(parent), chooser_(std::move(chooser)) {
  setWindowTitle(QStringLiteral("Export Tags"));
  setObjectName(QStringLiteral("exportTagsDialog"));
  setProperty("krnHelpContext", kExportTagsHelpContext);

  auto* label = new QLabel(QStringLiteral("FileName :"), this);
  fileName_ = new QLineEdit(this);
  fileName_->setObjectName(QStringLiteral("exportFileName"));
  fileName_->setReadOnly(true);
  select_ = new QPushButton(QStringLiteral("&Select File Name"), this);
  select_->setObjectName(QStringLiteral("selectFileName"));
  select_->setAutoDefault(false);
  if (variant.hasInputOnlyExport) {
    inputOnly_ = new QCheckBox(QStringLiteral("&Input Only"), this);
    inputOnly_->setObjectName(QStringLiteral("inputOnly"));
  }
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(label, 0, 0);
  grid->addWidget(fileName_, 0, 1, 1, 2);
  if (inputOnly_) grid->addWidget(inputOnly_, 1, 0, 1, 2);
  grid->addWidget(select_, 1, 2, Qt::AlignRight);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cancel);
  buttons->addWidget(ok_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(fontMetrics().height() / 2);
  layout->addLayout(buttons);

  connect(select_, &QPushButton::clicked, this, &ExportTagsDialog::OnSelectFileName);
  connect(ok_, &QPushButton::clicked, this, [this] {
    UpdateData(true);
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &ExportTagsDialog::reject);

  setMinimumWidth(kWidthUnits * QFontMetrics(font()).averageCharWidth() / 4);
  UpdateData(false);
  // Choosing the file is the first thing to do.
  select_->setFocus();
}

void ExportTagsDialog::UpdateData(bool save) {
  if (save) {
    if (inputOnly_) InputOnly = inputOnly_->isChecked() ? 1 : 0;
    return;
  }
  fileName_->setText(FileName);
  fileName_->setToolTip(FileName);
  // The end of a long path names the file: show it.
  fileName_->setCursorPosition(static_cast<int>(FileName.size()));
  if (inputOnly_) inputOnly_->setChecked(InputOnly != 0);
  // Nothing is written before a file has been chosen.
  ok_->setEnabled(!FileName.trimmed().isEmpty());
}

shell::FileDialogRequest ExportTagsDialog::SelectFileRequest() const {
  shell::FileDialogRequest request;
  request.mode = shell::FileDialogMode::Save;
  request.title = QStringLiteral("Save As");
  request.filters = {QStringLiteral("Tag File (*.csv)")};
  request.defaultSuffix = QStringLiteral("csv");
  request.proposedPath = FileName.trimmed();
  return request;
}

void ExportTagsDialog::OnSelectFileName() {
  UpdateData(true);
  const QString chosen = chooser_ ? chooser_(SelectFileRequest(), this) : QString();
  if (chosen.isEmpty()) return;
  FileName = chosen;
  UpdateData(false);
  ok_->setFocus();
}

}  // namespace krn
