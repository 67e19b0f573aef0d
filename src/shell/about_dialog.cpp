#include "shell/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "shell/command_ids.h"
#include "shell/help_system.h"
#include "shell/icons.h"

namespace krn::shell {

AboutDialog::AboutDialog(const ModuleVariant& variant, QWidget* parent) : QDialog(parent) {
  const QString program = QString::fromStdString(variant.programName);
  setWindowTitle(QStringLiteral("About ") + program);
  setObjectName(QStringLiteral("aboutBox"));
  setProperty("krnHelpContext", kHelpResourceBase + kResAboutBox);

  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap::fromImage(ProgramIconImage(variant, 32)));
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  auto* maker = new QLabel(QStringLiteral("Brightmoor"), this);
  comments_ = new QLabel(QString::fromStdString(variant.comments), this);
  comments_->setObjectName(QStringLiteral("comments"));
  comments_->setTextFormat(Qt::PlainText);
  version_ = new QLabel(QString::fromStdString(variant.fileVersion), this);
  version_->setObjectName(QStringLiteral("version"));
  version_->setTextFormat(Qt::PlainText);
  for (QLabel* label : {maker, comments_, version_})
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->setHorizontalSpacing(16);
  layout->addWidget(icon, 0, 0, 3, 1);
  layout->addWidget(maker, 0, 1);
  layout->addWidget(comments_, 1, 1);
  layout->addWidget(version_, 2, 1);
  layout->addWidget(buttons, 3, 1, 1, 1, Qt::AlignRight);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AboutDialog::CommentsText() const {
  return comments_->text();
}
QString AboutDialog::VersionText() const {
  return version_->text();
}

}  // namespace krn::shell
