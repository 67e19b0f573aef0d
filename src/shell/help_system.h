// Help: requests carry a kind and a context number (0x10000 + a command,
// 0x20000 + a window or dialog, 0x30000 + a numbered message) and open the
// help window on the matching page. The pages lie beside the program, in
// share/<program>/help next to its bin folder; when they are missing the
// user is told where they were expected.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>

#include "config/module_variant.h"
#include "config/user_interface.h"

class QWidget;

namespace krn::shell {

class HelpWindow;

enum class HelpKind : int { Context = 1, Contents = 11 };

inline constexpr uint32_t kHelpCommandBase = 0x10000;
inline constexpr uint32_t kHelpResourceBase = 0x20000;
inline constexpr uint32_t kHelpMessageBase = 0x30000;

// The help context of a numbered message shown in a message box, found by
// its text; 0 for any other text.
uint32_t MessageHelpContext(const QString& text, const ModuleVariant& variant);

// The page and anchor that explain a context number ("tree.htm#delete-rack"),
// empty when no page explains it.
QString HelpTopicOf(uint32_t context, const ModuleVariant& variant);

class HelpSystem : public QObject {
  Q_OBJECT

 public:
  // `programFile` is the full path of the running program.
  HelpSystem(const ModuleVariant& variant, UserInterface& ui, const QString& programFile);
  ~HelpSystem() override;

  QString HelpFolder() const { return folder_; }
  // The start topic, "Lookwell.htm" in the help folder.
  QString StartPage() const;

  // Opens the help window at the topic of `context` (kind Context) or at the
  // start topic (kind Contents); otherwise shows the failure text with an
  // error icon and returns false. Any other kind value is unrecognised.
  bool Request(uint32_t context, HelpKind kind);

  // The context F1 asks for now: the highlighted menu item, else the active
  // dialog or message box, else the main window.
  uint32_t CurrentContext() const;

  // Shift+F1: the help cursor until the next click, which asks for help on
  // what was clicked; Esc leaves the mode.
  void EnterContextHelpMode();
  void LeaveContextHelpMode();
  bool InContextHelpMode() const { return contextMode_; }

  // F1 and Shift+F1 anywhere in the program (installed once by the
  // application object).
  void InstallKeys();

  HelpWindow* Window() const;

  // Tells the main window's message pane about the context-help mode.
  std::function<void(bool on)> contextModeChanged;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool ShowPage(const QString& topic);
  uint32_t ContextAt(QWidget* widget, const QPoint& globalPos) const;

  const ModuleVariant& variant_;
  UserInterface& ui_;
  QString folder_;
  QPointer<HelpWindow> window_;
  bool contextMode_ = false;
  bool swallowRelease_ = false;
};

}  // namespace krn::shell
