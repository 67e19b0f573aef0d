#include "shell/lock_key_panes.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <array>

namespace krn::shell {
namespace {

struct LockPane {
  const char* text;
  unsigned indicatorBit;  // the keyboard's standard indicator order
};
constexpr std::array<LockPane, 3> kPanes{{{"CAP", 0}, {"NUM", 1}, {"SCRL", 2}}};

// The lit keyboard indicators, or false when they cannot be read (defined
// last: the X11 headers' macros clash with Qt's names).
bool ReadIndicators(unsigned& state);

// Follows the lock keys: refreshed after each key and when the program
// becomes active again.
class LockKeyWatcher : public QObject {
 public:
  LockKeyWatcher(std::array<QLabel*, 3> labels, QObject* parent)
      : QObject(parent), labels_(labels) {
    qApp->installEventFilter(this);
    Refresh();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type t = event->type();
    if (t == QEvent::KeyRelease || t == QEvent::ApplicationActivate) Refresh();
    return QObject::eventFilter(watched, event);
  }

 private:
  void Refresh() {
    unsigned state = 0;
    const bool known = ReadIndicators(state);
    for (std::size_t i = 0; i < kPanes.size(); ++i) {
      const bool on = known && (state & (1u << kPanes[i].indicatorBit)) != 0;
      labels_[i]->setText(on ? QLatin1String(kPanes[i].text) : QString());
    }
  }

  std::array<QLabel*, 3> labels_;
};

}  // namespace

void AddLockKeyPanes(QStatusBar& bar) {
  std::array<QLabel*, 3> labels{};
  for (std::size_t i = 0; i < kPanes.size(); ++i) {
    auto* label = new QLabel(&bar);
    label->setObjectName(QLatin1String(kPanes[i].text));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
    bar.addPermanentWidget(label);
    labels[i] = label;
  }
  new LockKeyWatcher(labels, &bar);
}

}  // namespace krn::shell

#ifdef KRN_HAVE_X11
#include <X11/XKBlib.h>
#endif

namespace krn::shell {
namespace {

bool ReadIndicators(unsigned& state) {
#ifdef KRN_HAVE_X11
  if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
    if (Display* display = x11->display())
      return XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == Success;
  }
#endif
  (void)state;
  return false;
}

}  // namespace
}  // namespace krn::shell
