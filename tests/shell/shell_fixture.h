// What the widget tests share: a running application object answered by a
// scripted user, sample configurations written as real files, and a way to
// answer the modal dialogs and menus the widgets open.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "config/document.h"
#include "logix/allocation.h"
#include "shell/config_tree_view.h"
#include "shell/configurator_app.h"
#include "shell/main_frame.h"
#include "shell/shell_document.h"
#include "stored_settings.h"
#include "support/recording_ui.h"

namespace krn::shell::test {

// `racks` card files; rack r starts at byte 15 r with slot A 16-bit, B 8-bit,
// C analog, D empty, E 32-bit, F 8-bit and G to L empty. With `directions`
// the slots are input, output, input, -, output, input; with `addresses`
// they are allocated as well.
inline ConfigImage SampleImage(const ModuleVariant& variant, int racks, bool directions,
                               bool addresses) {
  ConfigImage image;
  ClearImage(image, variant);
  image.NumRacks = static_cast<uint32_t>(racks);
  StoreModuleName(image, "Line4");
  for (int r = 0; r < racks; ++r) {
    RackRecord& rack = image.Racks[static_cast<std::size_t>(r)];
    rack.ByteAddress = static_cast<uint8_t>(15 * r);
    rack.DSlotLen = {2, 1, 2, 0, 4, 1, 0, 0, 0, 0, 0, 0};
    rack.ASlotLen = {0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    rack.DLen = 10;
    rack.ALen = 16;
    rack.IOTypeArray.fill(kDirUndefined);
    if (directions) rack.IOTypeArray = {0, 1, 0, 0xFF, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  }
  if (addresses) {
    krn::test::RecordingUi ui;
    AllocateLogixAddresses(image, variant, ui);
  }
  UpdateCfgId(image);
  return image;
}

// Writes the image as a configuration file with the program's own writer.
inline QString WriteSample(const QString& path, const ModuleVariant& variant,
                           const ConfigImage& image) {
  krn::test::RecordingUi ui;
  ConfigDocument doc(variant, ui);
  doc.Image() = image;
  EXPECT_TRUE(doc.SaveConfiguration(path.toStdString(), true));
  return path;
}

// Watches for a modal window or popup menu and answers it once; destroying
// the watch stops watching.
class Watch {
 public:
  Watch(QTimer* timer, std::shared_ptr<bool> answered)
      : timer_(timer), answered_(std::move(answered)) {}
  ~Watch() { delete timer_.data(); }
  bool Answered() const { return *answered_; }

 private:
  QPointer<QTimer> timer_;
  std::shared_ptr<bool> answered_;
};

// Calls `answer` with the first widget of type T that becomes the active
// modal window (or, with `popup`, the active popup menu) within 5 seconds.
template <class T>
std::unique_ptr<Watch> WhenShown(std::function<void(T*)> answer, bool popup = false) {
  auto answered = std::make_shared<bool>(false);
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [=] {
    QWidget* w = popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
    if (T* t = qobject_cast<T*>(w)) {
      timer->stop();
      *answered = true;
      answer(t);
    } else if (++*ticks > 500) {
      timer->stop();
    }
  });
  timer->start(10);
  return std::make_unique<Watch>(timer, answered);
}

// The texts of a menu's actions, separators left out.
inline QStringList MenuTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* a : menu->actions())
    if (!a->isSeparator() && a->isVisible()) texts << a->text();
  return texts;
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearStoredSettings(); }
  void TearDown() override { app.reset(); }

  ConfiguratorApp& Start(const ModuleVariant& variant, const QStringList& args = {}) {
    variant_ = &variant;
    app = std::make_unique<ConfiguratorApp>(DefaultDocTemplate(variant), &ui);
    app->fileChooser = [this](const FileDialogRequest& request, QWidget*) {
      fileRequests.push_back(request);
      if (fileAnswers.empty()) return QString();
      const QString answer = fileAnswers.front();
      fileAnswers.pop_front();
      return answer;
    };
    started = app->InitInstance(args);
    return *app;
  }

  // Writes a sample configuration into the test's folder.
  QString Sample(const QString& name, int racks, bool directions, bool addresses) {
    return WriteSample(dir.filePath(name), *variant_,
                       SampleImage(*variant_, racks, directions, addresses));
  }

  // Right-clicks a node's label (or, without `onLabel`, its picture) and
  // returns the texts of the menu it opened, empty when none. `inMenu` acts
  // in the open menu; by default the menu is closed.
  QStringList RightClick(QTreeWidgetItem* item, bool onLabel = true,
                         const std::function<void(QMenu*)>& inMenu = {}) {
    ConfigTreeView& view = View();
    const QRect label = view.LabelRect(item);
    const QPoint pos = onLabel ? label.center() : QPoint(label.left() - 10, label.center().y());
    QStringList texts;
    auto watch = WhenShown<QMenu>(
        [&](QMenu* menu) {
          texts = MenuTexts(menu);
          if (inMenu)
            inMenu(menu);
          else
            menu->close();
        },
        true);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view.viewport()->mapToGlobal(pos));
    QApplication::sendEvent(view.viewport(), &event);
    return texts;
  }

  // Chooses a menu item as the user does: highlight it and press Enter.
  static std::function<void(QMenu*)> Choose(const QString& text) {
    return [text](QMenu* menu) {
      for (QAction* a : menu->actions())
        if (a->text() == text) menu->setActiveAction(a);
      QTest::keyClick(menu, Qt::Key_Return);
    };
  }

  CMainFrame& Frame() { return *app->MainFrame(); }
  ConfigTreeView& View() { return *Frame().GetConfigView(); }
  ConfigDocument& Doc() { return app->Document()->Core(); }
  ConfigImage& Image() { return Doc().Image(); }
  QAction* Action(int command) { return Frame().CommandAction(command); }

  krn::test::RecordingUi ui;
  QTemporaryDir dir;
  std::unique_ptr<ConfiguratorApp> app;
  bool started = false;
  std::vector<FileDialogRequest> fileRequests;
  std::deque<QString> fileAnswers;

 private:
  const ModuleVariant* variant_ = nullptr;
};

}  // namespace krn::shell::test
