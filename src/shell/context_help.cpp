// F1 and the context-help mode of Shift+F1.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolButton>

#include "shell/command_ids.h"
#include "shell/help_system.h"

namespace krn::shell {

void HelpSystem::InstallKeys() {
  qApp->installEventFilter(this);
}

void HelpSystem::EnterContextHelpMode() {
  if (contextMode_) return;
  contextMode_ = true;
  QApplication::setOverrideCursor(Qt::WhatsThisCursor);
  if (contextModeChanged) contextModeChanged(true);
}

void HelpSystem::LeaveContextHelpMode() {
  if (!contextMode_) return;
  contextMode_ = false;
  QApplication::restoreOverrideCursor();
  if (contextModeChanged) contextModeChanged(false);
}

uint32_t HelpSystem::ContextAt(QWidget* widget, const QPoint& globalPos) const {
  if (auto* menu = qobject_cast<QMenu*>(widget)) {
    if (QAction* a = menu->actionAt(menu->mapFromGlobal(globalPos)); a && a->data().toInt() > 0)
      return kHelpCommandBase + static_cast<uint32_t>(a->data().toInt());
  }
  if (auto* button = qobject_cast<QToolButton*>(widget)) {
    if (QAction* a = button->defaultAction(); a && a->data().toInt() > 0)
      return kHelpCommandBase + static_cast<uint32_t>(a->data().toInt());
  }
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    const QVariant v = w->property("krnHelpContext");
    if (v.isValid()) return v.toUInt();
  }
  return kHelpResourceBase + kResMainFrame;
}

bool HelpSystem::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_F1 && !key->isAutoRepeat()) {
        if (key->modifiers() & Qt::ShiftModifier) {
          EnterContextHelpMode();
        } else {
          LeaveContextHelpMode();
          const uint32_t context = CurrentContext();
          if (auto* popup = QApplication::activePopupWidget()) popup->close();
          Request(context, HelpKind::Context);
        }
        return true;
      }
      if (contextMode_ && key->key() == Qt::Key_Escape) {
        LeaveContextHelpMode();
        return true;
      }
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      if (!contextMode_ || !watched->isWidgetType()) break;
      auto* widget = static_cast<QWidget*>(watched);
      // The menu bar opens its menus as usual; the item chosen in them is
      // the object of the help request.
      if (qobject_cast<QMenuBar*>(widget)) break;
      const QPoint pos = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      const uint32_t context = ContextAt(widget, pos);
      LeaveContextHelpMode();
      swallowRelease_ = true;
      if (auto* popup = QApplication::activePopupWidget()) popup->close();
      Request(context, HelpKind::Context);
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (swallowRelease_) {
        swallowRelease_ = false;
        return true;
      }
      break;
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace krn::shell
