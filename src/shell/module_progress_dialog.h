// The window that shows long module work on the user-interface thread:
// chunks sent or read, polls of the auto-scan with the time left. It shows
// only once the work has lasted a moment, so a quick transfer does not
// flash a window; a step that can be cancelled shows a Cancel button, and
// Escape or the close box then cancel too. A step that cannot be cancelled
// ignores them.
#pragma once

#include <QElapsedTimer>
#include <QProgressDialog>

#include "config/user_interface.h"

namespace krn::shell {

class ModuleProgressDialog : public QProgressDialog {
  Q_OBJECT

 public:
  // Work that has lasted this long (or that can be cancelled) is shown.
  static constexpr int kShowAfterMs = 300;

  ModuleProgressDialog(const QString& title, QWidget* parent);

  // Shows one step and lets the window paint; a click on Cancel is taken
  // only while the step can be cancelled. False when the user cancelled.
  bool Step(const ProgressStep& step);
  bool Cancellable() const { return cancellable_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QElapsedTimer started_;
  bool cancellable_ = false;
};

}  // namespace krn::shell
