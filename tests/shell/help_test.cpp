// Help and About: the pages every context number leads to, F1 and the help
// mode's contexts, the failure texts when the pages are missing, and the
// About box.
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include "config/dialogs/rack_properties_dialog.h"
#include "config/messages.h"
#include "shell/about_dialog.h"
#include "shell/command_ids.h"
#include "shell/help_system.h"
#include "shell/help_window.h"
#include "shell_fixture.h"

namespace krn::shell::test {
namespace {

class HelpTest : public ShellTest {};

// Every context number the program can ask for.
std::vector<uint32_t> AllContexts() {
  std::vector<uint32_t> contexts;
  for (int c : {136,   137,   139,   32781, 32783, 32784, 32785, 32787, 57600, 57601, 57603,
                57604, 57616, 57617, 57664, 57665, 57667, 57669, 57670, 59392, 59393})
    contexts.push_back(kHelpCommandBase + static_cast<uint32_t>(c));
  for (int r : {100, 128, 130, 140, 149, 150})
    contexts.push_back(kHelpResourceBase + static_cast<uint32_t>(r));
  for (int m : {151, 152, 164, 165, 202, 203, 204, 205})
    contexts.push_back(kHelpMessageBase + static_cast<uint32_t>(m));
  return contexts;
}

TEST_F(HelpTest, EveryContextLeadsToAnInstalledPageAndAnchor) {
  for (const ModuleVariant* variant : {&MonitorVariant(), &ScannerVariant()}) {
    const QString program = QString::fromStdString(variant->programName);
    HelpSystem help(*variant, ui, QStringLiteral(KRN_BIN_DIR "/") + program.toLower());
    EXPECT_EQ(help.HelpFolder(), QStringLiteral(KRN_BUILD_SHARE_DIR "/") + program.toLower() +
                                     QStringLiteral("/help"));
    for (uint32_t context : AllContexts()) {
      const QString topic = HelpTopicOf(context, *variant);
      if (context == kHelpCommandBase + kCmdDeleteRack && variant->IsScanner()) {
        EXPECT_TRUE(topic.isEmpty());
        continue;
      }
      ASSERT_FALSE(topic.isEmpty()) << program.toStdString() << " " << std::hex << context;
      QFile page(help.HelpFolder() + QLatin1Char('/') + topic.section(QLatin1Char('#'), 0, 0));
      ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
      const QString anchor = topic.section(QLatin1Char('#'), 1);
      if (!anchor.isEmpty()) {
        EXPECT_TRUE(page.readAll().contains(("id=\"" + anchor + "\"").toUtf8()))
            << topic.toStdString();
      }
    }
    ASSERT_TRUE(help.Request(0, HelpKind::Contents));
    EXPECT_EQ(help.Window()->CurrentTopic(), program + QStringLiteral(".htm"));
    EXPECT_FALSE(help.Window()->Browser()->toPlainText().isEmpty());
    ASSERT_TRUE(help.Request(kHelpCommandBase + kCmdAutoAllocate, HelpKind::Context));
    EXPECT_EQ(help.Window()->CurrentTopic(), QStringLiteral("tree.htm#auto-allocate"));
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(HelpTest, MissingPagesAreReportedWithWhereTheyWereExpected) {
  // A program file in a folder without help pages.
  HelpSystem help(MonitorVariant(), ui, dir.filePath(QStringLiteral("bin/lookwell")));
  EXPECT_FALSE(help.Request(0, HelpKind::Contents));
  EXPECT_FALSE(help.Request(kHelpResourceBase + kResMainFrame, HelpKind::Context));
  EXPECT_FALSE(help.Request(0, static_cast<HelpKind>(5)));

  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text, "Unable to open Lookwell.chm (Must be with Lookwell.exe)");
  EXPECT_EQ(ui.messages[1].text,
            "No help available for this subject OR Unable to open Lookwell.chm in " +
                dir.filePath(QStringLiteral("share/lookwell/help/Lookwell.htm")).toStdString() +
                ". (Must be with Lookwell.exe)");
  EXPECT_EQ(ui.messages[2].text, "Unrecognized Help Command");
  for (const auto& m : ui.messages) {
    EXPECT_EQ(m.icon, MsgIcon::Stop);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.title, "");
  }
}

TEST_F(HelpTest, HelpTopicsAndF1OpenTheHelpWindow) {
  Start(ScannerVariant());  // the test program lies beside the programs and their pages
  Action(kCmdHelpTopics)->trigger();
  ASSERT_NE(app->Help().Window(), nullptr);
  EXPECT_TRUE(app->Help().Window()->isVisible());
  EXPECT_EQ(app->Help().Window()->CurrentTopic(), QStringLiteral("Pacewell.htm"));

  QTest::keyClick(&Frame(), Qt::Key_F1);
  EXPECT_EQ(app->Help().Window()->CurrentTopic(), QStringLiteral("window.htm"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(HelpTest, F1AsksForTheDialogMenuItemOrWindowInUse) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("one.lkw"), 1, true, true)));
  EXPECT_EQ(app->Help().CurrentContext(), kHelpResourceBase + kResMainFrame);

  uint32_t inDialog = 0;
  auto watch = WhenShown<RackPropertiesDialog>([&](RackPropertiesDialog* dialog) {
    inDialog = app->Help().CurrentContext();
    dialog->reject();
  });
  RightClick(View().RackItem(0), true, Choose(QStringLiteral("Edit &Rack Properties")));
  ASSERT_TRUE(watch->Answered());
  EXPECT_EQ(inDialog, kHelpResourceBase + kResRackPropertiesDialog);

  uint32_t inMenu = 0;
  RightClick(View().RackItem(0), true, [&](QMenu* menu) {
    menu->setActiveAction(menu->actions().at(1));
    inMenu = app->Help().CurrentContext();
    menu->close();
  });
  EXPECT_EQ(inMenu, kHelpCommandBase + kCmdDeleteRack);

  const ModuleVariant& v = MonitorVariant();
  EXPECT_EQ(MessageHelpContext(QString::fromUtf8(msg::kDirectionsMissing.data()), v),
            kHelpMessageBase + 151);
  EXPECT_EQ(MessageHelpContext(QString::fromStdString(msg::CardFileOverlaps(144)), v),
            kHelpMessageBase + 204);
  EXPECT_EQ(MessageHelpContext(QStringLiteral("Something else"), v), 0u);
}

TEST_F(HelpTest, ContextHelpModeAsksForTheNextClickedObject) {
  Start(MonitorVariant());
  QTest::keyClick(&Frame(), Qt::Key_F1, Qt::ShiftModifier);
  EXPECT_TRUE(app->Help().InContextHelpMode());
  EXPECT_EQ(Frame().MessagePaneText(), QStringLiteral("Select an object on which to get Help"));

  // A toolbar button: help on its command, and the command does not run.
  QToolButton* upload = nullptr;
  for (QToolButton* b : Frame().findChildren<QToolButton*>())
    if (b->defaultAction() == Action(kCmdUploadConfig)) upload = b;
  ASSERT_NE(upload, nullptr);
  QTest::mouseClick(upload, Qt::LeftButton);
  EXPECT_FALSE(app->Help().InContextHelpMode());
  EXPECT_EQ(Frame().MessagePaneText(), QStringLiteral("For Help, press F1"));
  EXPECT_EQ(app->Help().Window()->CurrentTopic(), QStringLiteral("module_commands.htm#upload"));
  EXPECT_TRUE(ui.messages.empty());

  QTest::keyClick(&Frame(), Qt::Key_F1, Qt::ShiftModifier);
  QTest::keyClick(&Frame(), Qt::Key_Escape);
  EXPECT_FALSE(app->Help().InContextHelpMode());
}

TEST_F(HelpTest, AboutBoxShowsTheCommentsAndVersion) {
  for (const ModuleVariant* variant : {&MonitorVariant(), &ScannerVariant()}) {
    Start(*variant);
    QString title, comments, version;
    auto watch = WhenShown<AboutDialog>([&](AboutDialog* about) {
      title = about->windowTitle();
      comments = about->CommentsText();
      version = about->VersionText();
      about->accept();
    });
    Action(kCmdAppAbout)->trigger();
    ASSERT_TRUE(watch->Answered());
    if (variant->IsMonitor()) {
      EXPECT_EQ(title, QStringLiteral("About Lookwell"));
      EXPECT_EQ(comments, QStringLiteral("KRN-735 Serial I/O Monitor Configuration Utility"));
      EXPECT_EQ(version, QStringLiteral("1.0.6"));
    } else {
      EXPECT_EQ(title, QStringLiteral("About Pacewell"));
      EXPECT_EQ(comments, QStringLiteral("KRN-735 Serial I/O Scanner Configuration Utility"));
      EXPECT_EQ(version, QStringLiteral("1.0.5"));
    }
    app.reset();
  }
}

}  // namespace
}  // namespace krn::shell::test
