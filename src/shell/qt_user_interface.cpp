#include "shell/qt_user_interface.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace krn::shell {
namespace {

QMessageBox::Icon BoxIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Stop: return QMessageBox::Critical;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

MsgResult ResultOf(int button, MsgButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return MsgResult::Ok;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default:
      // The close box of a box that only has OK counts as OK.
      return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
  }
}

}  // namespace

QtUserInterface::QtUserInterface(QString applicationTitle)
    : applicationTitle_(std::move(applicationTitle)) {}

QtUserInterface::~QtUserInterface() = default;

MsgResult QtUserInterface::Message(const std::string& text, const std::string& title,
                                   MsgButtons buttons, MsgIcon icon) {
  QMessageBox box(BoxIcon(icon),
                  title.empty() ? applicationTitle_ : QString::fromStdString(title),
                  QString::fromStdString(text), BoxButtons(buttons), parent_);
  box.setDefaultButton(buttons == MsgButtons::YesNoCancel ? QMessageBox::Yes : QMessageBox::Ok);
  if (buttons != MsgButtons::Ok) box.setEscapeButton(QMessageBox::Cancel);
  if (messageHelpContext) {
    const int context = messageHelpContext(box.text());
    if (context != 0) box.setProperty("krnHelpContext", context);
  }
  // A message never appears under the wait cursor: the user must see that
  // the program waits for an answer.
  const bool busy = busyDepth_ > 0;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int button = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  return ResultOf(button, buttons);
}

void QtUserInterface::BeginBusy() {
  ++busyDepth_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUserInterface::EndBusy() {
  if (busyDepth_ == 0) return;
  --busyDepth_;
  QApplication::restoreOverrideCursor();
}

std::optional<std::string> QtUserInterface::ChooseModulePath() {
  if (pathChooser) return pathChooser(parent_);
  bool ok = false;
  const QString path = QInputDialog::getText(
      parent_, QStringLiteral("RSLinx Path"),
      QStringLiteral("Module path (DRIVER\\ADDRESS\\Backplane\\SLOT):"), QLineEdit::Normal,
      QStringLiteral("SIM\\local\\Backplane\\3"), &ok);
  if (!ok || path.trimmed().isEmpty()) return std::nullopt;
  return path.trimmed().toStdString();
}

bool QtUserInterface::Progress(const ProgressStep& step) {
  if (!progress_) {
    progress_ = std::make_unique<QProgressDialog>(parent_);
    progress_->setWindowTitle(applicationTitle_);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setCancelButton(nullptr);
    progressCancellable_ = false;
  }
  progress_->setLabelText(QString::fromStdString(step.text));
  if (step.cancellable != progressCancellable_) {
    progressCancellable_ = step.cancellable;
    if (step.cancellable)
      progress_->setCancelButtonText(QStringLiteral("Cancel"));
    else
      progress_->setCancelButton(nullptr);
  }
  progress_->setRange(0, step.total > 0 ? step.total : 0);
  progress_->setValue(step.total > 0 ? std::min(step.done, step.total) : 0);
  progress_->show();
  // Paint the window; only a step that can be cancelled takes the click.
  QApplication::processEvents(step.cancellable ? QEventLoop::AllEvents
                                               : QEventLoop::ExcludeUserInputEvents);
  return !(step.cancellable && progress_->wasCanceled());
}

void QtUserInterface::EndProgress() { progress_.reset(); }

}  // namespace krn::shell
