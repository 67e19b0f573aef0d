// What the module command tests share: a desktop program with its real
// message boxes and dialogs, a script that answers each modal window as it
// appears (recording what it showed), the path dialog answered through its
// browser, and configuration files made from the simulator's demo network.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "config/document.h"
#include "config/racks.h"
#include "link/pathdialog.h"
#include "link/rswho.h"
#include "logix/allocation.h"
#include "shell/config_tree_view.h"
#include "shell/configurator_app.h"
#include "shell/main_frame.h"
#include "shell/shell_document.h"
#include "sim/heard_network.h"
#include "stored_settings.h"
#include "support/recording_ui.h"

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace krn::shell::test {

struct ShownMessage {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
};

// Answers modal windows in the order given. A window nobody expected is
// recorded as a problem and closed, and so is one that stays open long
// after its answer, so a test fails instead of hanging. The progress
// window is left alone unless a step asks for it.
class ModalScript {
 public:
  ModalScript() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
  }

  template <class T>
  void On(std::function<void(T*)> answer) {
    steps_.push_back({&T::staticMetaObject, [answer](QWidget* w) { answer(static_cast<T*>(w)); }});
  }
  // The next window is a message box; press `button`.
  void Press(QMessageBox::StandardButton button) {
    On<QMessageBox>([button](QMessageBox* box) {
      if (QAbstractButton* b = box->button(button))
        b->click();
      else
        box->reject();
    });
  }

  bool Finished() const { return steps_.empty(); }
  std::vector<ShownMessage> messages;
  QStringList problems;

 private:
  struct Step {
    const QMetaObject* type;
    std::function<void(QWidget*)> answer;
  };

  static void Close(QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w))
      d->reject();
    else
      w->close();
  }

  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) return;
    for (auto& [window, since] : handled_) {
      if (window != w) continue;
      // A window under its answer, or back on top after a window its answer
      // opened; only one that stays far too long is a problem.
      if (since.hasExpired(10000)) {
        problems << QStringLiteral("%1 stayed open after its answer").arg(Describe(w));
        since.start();
        Close(w);
      }
      return;
    }
    const bool wanted = !steps_.empty() && steps_.front().type->cast(w) != nullptr;
    if (!wanted && qobject_cast<QProgressDialog*>(w)) return;
    std::erase_if(handled_, [](const auto& h) { return h.first.isNull(); });
    handled_.emplace_back(QPointer<QWidget>(w), QElapsedTimer());
    handled_.back().second.start();
    if (auto* box = qobject_cast<QMessageBox*>(w))
      messages.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
    if (!wanted) {
      problems << QStringLiteral("unexpected %1").arg(Describe(w));
      QTimer::singleShot(0, w, [w] { Close(w); });
      return;
    }
    Step step = steps_.front();
    steps_.pop_front();
    // Answered from the event loop, so that a window the answer opens
    // (a chooser from a dialog) is seen by the next poll.
    QTimer::singleShot(0, w, [w, step] { step.answer(w); });
  }

  static QString Describe(QWidget* w) {
    QString text = QString::fromLatin1(w->metaObject()->className()) + QStringLiteral(" \"") +
                   w->windowTitle() + QLatin1Char('"');
    if (auto* box = qobject_cast<QMessageBox*>(w)) text += QStringLiteral(": ") + box->text();
    return text;
  }

  std::deque<Step> steps_;
  std::vector<std::pair<QPointer<QWidget>, QElapsedTimer>> handled_;
  QTimer timer_;
};

// Picks a module in the path dialog: adds `enetAddress` under ENET first
// when given, then selects the module of `modulePath` and accepts with OK
// or with a double-click on it.
inline void ChooseModule(CPathSelectDlg* dialog, const QString& enetAddress,
                         const QString& modulePath, bool doubleClick) {
  CRSWho* rsWho = dialog->m_rsWho;
  if (!enetAddress.isEmpty()) {
    QTest::keyClicks(rsWho->AddressEdit(), enetAddress);
    QTest::mouseClick(rsWho->AddButton(), Qt::LeftButton);
  }
  EXPECT_TRUE(rsWho->SelectPath(modulePath))
      << modulePath.toStdString() << ": " << rsWho->StatusText().toStdString();
  EXPECT_EQ(rsWho->PathText(), modulePath);
  if (doubleClick) {
    QTreeWidget* tree = rsWho->Tree();
    const QPoint at = tree->visualItemRect(tree->currentItem()).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
  } else {
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  }
}

// Types a path into a file chooser and presses its Save (or Open) button.
inline void TypeFileName(QFileDialog* dialog, const QString& path) {
  auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(edit, nullptr);
  edit->setText(path);
  QTest::keyClick(edit, Qt::Key_Return);
}

// A configuration of the demo network the simulator hears: its three card
// files, optionally with every occupied slot given a direction (analog and
// the second digital slot of each rack outputs) and addresses allocated.
inline ConfigImage DemoConfiguration(const ModuleVariant& variant, bool directions,
                                     bool addresses) {
  krn::test::RecordingUi ui;
  ConfigImage image;
  ClearImage(image, variant);
  const sim::HeardBytes heard = sim::EncodeHeardRecord(sim::DemoNetwork());
  EXPECT_TRUE(BuildFromHeard(image, DecodeHeardConfig(heard.data()), variant, ui));
  for (uint32_t r = 0; directions && r < image.NumRacks; ++r) {
    RackRecord& rack = image.Racks[r];
    for (int slot = 0; slot < kSlotsPerRack; ++slot)
      if (rack.DSlotLen[slot] != 0)
        rack.IOTypeArray[slot] = (rack.ASlotLen[slot] != 0 || slot == 1) ? 1 : 0;
  }
  if (addresses) {
    EXPECT_TRUE(AllocateLogixAddresses(image, variant, ui));
  }
  UpdateCfgId(image);
  return image;
}

class ModuleCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearStoredSettings(); }
  void TearDown() override {
    app.reset();
    EXPECT_TRUE(script.problems.isEmpty()) << script.problems.join(QLatin1Char('\n')).toStdString();
  }

  // The program with its own message boxes and dialogs.
  ConfiguratorApp& Start(const ModuleVariant& variant) {
    variant_ = &variant;
    app = std::make_unique<ConfiguratorApp>(DefaultDocTemplate(variant));
    EXPECT_TRUE(app->InitInstance({}));
    return *app;
  }

  // Writes a configuration file with the program's own writer and opens it.
  void OpenConfiguration(const QString& name, const ConfigImage& image) {
    const QString path = dir.filePath(name);
    krn::test::RecordingUi ui;
    ConfigDocument writer(*variant_, ui);
    writer.Image() = image;
    ASSERT_TRUE(writer.SaveConfiguration(path.toStdString()));
    ASSERT_TRUE(app->OpenDocumentFile(path));
  }

  // Runs a menu command through the main window's routing, then checks
  // that every scripted answer was used and no cursor was left behind.
  void Run(int command) {
    Frame().OnCmdMsg(command);
    EXPECT_TRUE(script.Finished()) << "command " << command << " left scripted answers unused";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "command " << command;
  }

  // The messages shown since the last call.
  std::vector<ShownMessage> TakeMessages() {
    std::vector<ShownMessage> shown;
    shown.swap(script.messages);
    return shown;
  }

  CMainFrame& Frame() { return *app->MainFrame(); }
  ConfigTreeView& View() { return *Frame().GetConfigView(); }
  ConfigDocument& Doc() { return app->Document()->Core(); }
  ConfigImage& Image() { return Doc().Image(); }
  QString PathPane() { return Frame().PathPaneText(); }

  ModalScript script;
  QTemporaryDir dir;
  std::unique_ptr<ConfiguratorApp> app;

 private:
  const ModuleVariant* variant_ = nullptr;
};

}  // namespace krn::shell::test
