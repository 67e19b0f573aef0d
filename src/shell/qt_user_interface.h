// The desktop programs' side of the core's user-interface seam: modal
// message boxes with the requested buttons and icon, the wait cursor, a
// progress window for long module work, and the module path choice.
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "config/user_interface.h"

class QWidget;

namespace krn::shell {

class ModuleProgressDialog;

class QtUserInterface : public UserInterface {
 public:
  explicit QtUserInterface(QString applicationTitle);
  ~QtUserInterface() override;

  // Message boxes and progress windows are owned by this window (the main
  // window once it exists).
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  MsgResult Message(const std::string& text, const std::string& title, MsgButtons buttons,
                    MsgIcon icon) override;
  void BeginBusy() override;
  void EndBusy() override;
  std::optional<std::string> ChooseModulePath() override;
  bool Progress(const ProgressStep& step) override;
  void EndProgress() override;

  // Replaces the path dialog ("RsLinx Path Selection"), for instance in tests.
  std::function<std::optional<std::string>(QWidget* parent)> pathChooser;

  // The help context of a message box, from its text (0 when it has none);
  // F1 while the box is shown asks for help on it.
  std::function<int(const QString& text)> messageHelpContext;

  int BusyDepth() const { return busyDepth_; }

 private:
  QString applicationTitle_;
  QPointer<QWidget> parent_;
  int busyDepth_ = 0;
  std::unique_ptr<ModuleProgressDialog> progress_;
  bool progressCursor_ = false;  // the busy cursor over a wait that can be cancelled
};

}  // namespace krn::shell
