#include "shell/qt_user_interface.h"

#include <QApplication>
#include <QMessageBox>

#include "link/pathdialog.h"
#include "shell/module_progress_dialog.h"

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
  QMessageBox box(BoxIcon(icon), title.empty() ? applicationTitle_ : QString::fromStdString(title),
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
  CPathSelectDlg dialog(applicationTitle_, parent_);
  // The dialog is for choosing: the ordinary cursor, even inside a wait.
  const bool busy = busyDepth_ > 0;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = dialog.exec();
  if (busy) QApplication::restoreOverrideCursor();
  if (result != QDialog::Accepted) return std::nullopt;
  return dialog.m_routeText;
}

bool QtUserInterface::Progress(const ProgressStep& step) {
  if (!progress_) progress_ = std::make_unique<ModuleProgressDialog>(applicationTitle_, parent_);
  // Over a wait the user may cancel, the cursor says the program still
  // takes clicks.
  if (step.cancellable && !progressCursor_) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    progressCursor_ = true;
  }
  return progress_->Step(step);
}

void QtUserInterface::EndProgress() {
  progress_.reset();
  if (progressCursor_) QApplication::restoreOverrideCursor();
  progressCursor_ = false;
}

}  // namespace krn::shell
