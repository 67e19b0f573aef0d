// The main window: its state after start-up, the menus and toolbar, when
// Export Tags is available, the View toggles, and the Qt message boxes.
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "shell/command_ids.h"
#include "shell/qt_user_interface.h"
#include "shell_fixture.h"

namespace krn::shell::test {
namespace {

class FrameTest : public ShellTest {};

TEST_F(FrameTest, FirstStartShowsAnEmptyConfigurationAtTheDefaultRectangle) {
  Start(MonitorVariant());
  ASSERT_TRUE(started);
  EXPECT_EQ(Frame().geometry(), QRect(QPoint(20, 20), QPoint(479, 449)));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Untitled - Lookwell"));
  EXPECT_FALSE(Action(kCmdExportTags)->isEnabled());
  EXPECT_EQ(Frame().findChild<QLabel*>(QStringLiteral("pathPane"))->text(),
            QStringLiteral("RsLinx Path Not Set"));
  EXPECT_EQ(Frame().MessagePaneText(), QStringLiteral("For Help, press F1"));
  EXPECT_EQ(View().ModuleItem()->text(0),
            QStringLiteral("KRN735-Monitor(), Configuration Signature (00000000)"));
  EXPECT_EQ(View().ModuleItem()->childCount(), 0);
  EXPECT_FALSE(Doc().IsModified());
}

TEST_F(FrameTest, MenusAndToolbarInTheirOrder) {
  Start(ScannerVariant());
  QStringList menus;
  QList<QStringList> items;
  for (QAction* a : Frame().menuBar()->actions()) {
    menus << a->text();
    items << MenuTexts(a->menu());
  }
  EXPECT_EQ(menus, QStringList({"&File", "&Actions", "&View", "&Help"}));
  EXPECT_EQ(items[0], QStringList({"&New File", "&Open File", "&Save File", "Save File &As",
                                   "&Export Tags", "", "E&xit"}));
  EXPECT_EQ(items[1],
            QStringList({"&Upload Config", "&Download Config", "&Start Auto Configuration",
                         "Auto-allocate &Logix Addressing"}));
  EXPECT_EQ(items[2], QStringList({"&Toolbar", "&Status Bar"}));
  EXPECT_EQ(items[3], QStringList({"&Help Topics", "&About Pacewell..."}));
  EXPECT_EQ(Action(kCmdFileSaveAs)->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));

  QStringList tips;
  for (QAction* a : Frame().findChild<QToolBar*>()->actions())
    tips << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
  EXPECT_EQ(tips, QStringList({"Automatically Configure Pacer Module", "Upload Config From Module",
                               "Download Config to Module", "|", "About", "Save"}));
  for (QToolButton* button : Frame().findChild<QToolBar*>()->findChildren<QToolButton*>()) {
    if (button->defaultAction()) {
      EXPECT_FALSE(button->icon().isNull());
    }
  }
  EXPECT_EQ(Action(kCmdUploadConfig)->statusTip(),
            QStringLiteral("Upload Configuration from Pacer Module's FLASH"));
}

TEST_F(FrameTest, ExportTagsFollowsOpenAllocateAndNew) {
  Start(MonitorVariant());
  const QString complete = Sample(QStringLiteral("complete.lkw"), 2, true, true);
  const QString incomplete = Sample(QStringLiteral("incomplete.lkw"), 2, true, false);
  QAction* exportTags = Action(kCmdExportTags);

  struct Step {
    const char* what;
    std::function<void()> run;
    bool enabled;
  };
  const Step steps[] = {
      {"start", [] {}, false},
      {"open complete", [&] { app->OpenDocumentFile(complete); }, true},
      {"open incomplete keeps it", [&] { app->OpenDocumentFile(incomplete); }, true},
      {"new", [&] { Action(kCmdFileNew)->trigger(); }, false},
      {"open incomplete", [&] { app->OpenDocumentFile(incomplete); }, false},
      {"allocate", [&] { Action(kCmdAutoAllocate)->trigger(); }, true},
      {"delete rack keeps it",
       [&] {
         View().setCurrentItem(View().RackItem(0));
         ui.answers = {MsgResult::Ok};
         View().OnCommand(kCmdDeleteRack);
       },
       true},
  };
  for (const Step& step : steps) {
    step.run();
    ui.answers = {MsgResult::No};  // discard changes at the next question
    EXPECT_EQ(exportTags->isEnabled(), step.enabled) << step.what;
  }
}

TEST_F(FrameTest, FileShortcutsWorkWhileTheTreeHasTheFocus) {
  Start(MonitorVariant());
  QApplication::setActiveWindow(&Frame());
  View().setFocus();
  QTest::keyClick(&View(), Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(&View(), Qt::Key_A, Qt::ControlModifier);
  ASSERT_EQ(fileRequests.size(), 2u);
  EXPECT_EQ(fileRequests[0].title, QStringLiteral("Open"));
  EXPECT_EQ(fileRequests[1].title, QStringLiteral("Save As"));
}

TEST_F(FrameTest, ViewTogglesHideAndShowTheBarsWithCheckMarks) {
  Start(MonitorVariant());
  for (int command : {kCmdViewToolbar, kCmdViewStatusBar}) {
    QWidget* bar = command == kCmdViewToolbar
                       ? static_cast<QWidget*>(Frame().findChild<QToolBar*>())
                       : Frame().statusBar();
    QAction* toggle = Action(command);
    ASSERT_TRUE(bar->isVisible());
    ASSERT_TRUE(toggle->isChecked());
    toggle->trigger();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(toggle->isChecked());
    toggle->trigger();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(toggle->isChecked());
  }
}

TEST_F(FrameTest, QtMessageBoxesHaveTheAskedButtonsIconAndTitle) {
  QtUserInterface qtUi(QStringLiteral("Lookwell"));
  struct Case {
    MsgButtons buttons;
    MsgIcon icon;
    std::string title;
    QMessageBox::StandardButton press;
    QMessageBox::StandardButtons expectButtons;
    QMessageBox::Icon expectIcon;
    QString expectTitle;
    MsgResult expectResult;
  };
  const Case cases[] = {
      {MsgButtons::OkCancel, MsgIcon::None, "", QMessageBox::Cancel,
       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon, "Lookwell", MsgResult::Cancel},
      {MsgButtons::YesNoCancel, MsgIcon::Exclamation, "", QMessageBox::No,
       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning, "Lookwell",
       MsgResult::No},
      {MsgButtons::Ok, MsgIcon::Stop, "Start Edits", QMessageBox::Ok, QMessageBox::Ok,
       QMessageBox::Critical, "Start Edits", MsgResult::Ok},
  };
  for (const Case& c : cases) {
    QMessageBox::StandardButtons shownButtons;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    QString shownTitle;
    auto watch = WhenShown<QMessageBox>([&](QMessageBox* box) {
      shownButtons = box->standardButtons();
      shownIcon = box->icon();
      shownTitle = box->windowTitle();
      box->button(c.press)->click();
    });
    EXPECT_EQ(qtUi.Message("text", c.title, c.buttons, c.icon), c.expectResult);
    EXPECT_TRUE(watch->Answered());
    EXPECT_EQ(shownButtons, c.expectButtons);
    EXPECT_EQ(shownIcon, c.expectIcon);
    EXPECT_EQ(shownTitle, c.expectTitle);
  }
}

}  // namespace
}  // namespace krn::shell::test
