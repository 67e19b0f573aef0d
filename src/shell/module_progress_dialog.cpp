#include "shell/module_progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <algorithm>

namespace krn::shell {

namespace {

// Keeps the dialog's own timer from ever showing it: Step decides.
constexpr int kNeverByItself = 24 * 60 * 60 * 1000;

}  // namespace

ModuleProgressDialog::ModuleProgressDialog(const QString& title, QWidget* parent)
    : QProgressDialog(parent) {
  setObjectName(QStringLiteral("moduleProgress"));
  setWindowTitle(title);
  setWindowModality(Qt::WindowModal);
  setAutoClose(false);
  setAutoReset(false);
  setCancelButton(nullptr);
  setMinimumDuration(kNeverByItself);
  // Wide enough for the longest step text, so the window keeps its size
  // while the time left counts down.
  setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 56);
  started_.start();
}

bool ModuleProgressDialog::Step(const ProgressStep& step) {
  if (step.cancellable != cancellable_) {
    cancellable_ = step.cancellable;
    if (cancellable_)
      setCancelButtonText(QStringLiteral("Cancel"));
    else
      setCancelButton(nullptr);
  }
  setLabelText(QString::fromStdString(step.text));
  setRange(0, std::max(step.total, 0));
  setValue(step.total > 0 ? std::clamp(step.done, 0, step.total) : 0);
  if (!isVisible() && (cancellable_ || started_.elapsed() >= kShowAfterMs)) show();
  // Paint; only a step that can be cancelled takes the user's input.
  QCoreApplication::processEvents(cancellable_ ? QEventLoop::AllEvents
                                               : QEventLoop::ExcludeUserInputEvents);
  return !(cancellable_ && wasCanceled());
}

void ModuleProgressDialog::reject() {
  // Escape: the same as Cancel where there is one, else nothing.
  if (cancellable_) cancel();
}

void ModuleProgressDialog::closeEvent(QCloseEvent* event) {
  if (cancellable_)
    QProgressDialog::closeEvent(event);
  else
    event->ignore();
}

}  // namespace krn::shell
