// The application object: the file commands and their dialogs, the
// save-changes question, the recent-file list, the command line, and the
// settings written at exit and read at the next start.
#include <QDir>
#include <QFile>
#include <QSettings>

#include "shell/command_ids.h"
#include "shell/recent_file_list.h"
#include "shell_fixture.h"

namespace krn::shell::test {
namespace {

class AppFilesTest : public ShellTest {
 protected:
  QSettings Stored(const char* program = "Lookwell") {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brightmoor"),
                     QLatin1String(program));
  }
};

TEST_F(AppFilesTest, NewFileAsksToSaveChangesAndSavesUnderTheProposedName) {
  Start(MonitorVariant());
  Doc().SetModified();

  ui.answers = {MsgResult::Cancel};
  Action(kCmdFileNew)->trigger();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Save changes to Untitled?");
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
  EXPECT_TRUE(Doc().IsModified());

  const QString target = dir.filePath(QStringLiteral("first.lkw"));
  ui.answers = {MsgResult::Yes};
  fileAnswers = {target};
  Action(kCmdFileNew)->trigger();
  ASSERT_EQ(fileRequests.size(), 1u);
  const FileDialogRequest& request = fileRequests[0];
  EXPECT_EQ(request.mode, FileDialogMode::Save);
  EXPECT_EQ(request.title, QStringLiteral("Save As"));
  EXPECT_EQ(request.proposedPath, QStringLiteral("Untitled.lkw"));
  EXPECT_EQ(request.filters, QStringList({QStringLiteral("Lookwell Files (*.lkw)"),
                                          QStringLiteral("All Files (*.*)")}));
  EXPECT_EQ(request.defaultSuffix, QStringLiteral("lkw"));
  EXPECT_TRUE(QFile::exists(target));
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Untitled - Lookwell"));
  EXPECT_EQ(app->RecentFiles().Files(), QStringList({target}));

  // A cancelled save stops New File.
  Doc().SetModified();
  ui.answers = {MsgResult::Yes};
  Action(kCmdFileNew)->trigger();
  EXPECT_TRUE(Doc().IsModified());
}

TEST_F(AppFilesTest, OpenFileAsksForAnExistingFileAndCancelChangesNothing) {
  Start(ScannerVariant());
  const QString path = Sample(QStringLiteral("two.pcw"), 2, true, true);
  Action(kCmdFileOpen)->trigger();
  ASSERT_EQ(fileRequests.size(), 1u);
  EXPECT_EQ(fileRequests[0].mode, FileDialogMode::Open);
  EXPECT_EQ(fileRequests[0].title, QStringLiteral("Open"));
  EXPECT_EQ(fileRequests[0].filters[0], QStringLiteral("Pacewell Files (*.pcw)"));
  EXPECT_EQ(Image().NumRacks, 0u);

  fileAnswers = {path};
  Action(kCmdFileOpen)->trigger();
  EXPECT_EQ(Image().NumRacks, 2u);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("two.pcw - Pacewell"));

  // Save File As proposes the file's own path.
  Action(kCmdFileSaveAs)->trigger();
  EXPECT_EQ(fileRequests.back().proposedPath, path);
}

TEST_F(AppFilesTest, RecentFilesKeepTheNewestTwoAndDropAFileThatIsGone) {
  Start(MonitorVariant());
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("plant-north/line-four/configs")));
  const QString a = Sample(QStringLiteral("a.lkw"), 1, true, true);
  const QString b = Sample(QStringLiteral("b.lkw"), 1, true, true);
  const QString c = Sample(QStringLiteral("plant-north/line-four/configs/c.lkw"), 2, true, true);
  for (const QString& path : {a, b, c}) ASSERT_TRUE(app->OpenDocumentFile(path));

  EXPECT_EQ(app->RecentFiles().Files(), QStringList({c, b}));
  EXPECT_EQ(Action(kCmdRecentFile1)->text(), QStringLiteral("&1 /.../line-four/configs/c.lkw"));
  EXPECT_EQ(Action(kCmdRecentFile2)->text(),
            QStringLiteral("&2 ") + AbbreviatePath(b, 30, QDir::currentPath()));
  EXPECT_TRUE(Action(kCmdRecentFile2)->isVisible());

  Action(kCmdRecentFile2)->trigger();
  EXPECT_EQ(Doc().FilePath(), b.toStdString());
  EXPECT_EQ(app->RecentFiles().Files(), QStringList({b, c}));

  // The file already shown: nothing read, nothing asked.
  Doc().SetModified();
  Action(kCmdRecentFile1)->trigger();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(Doc().IsModified());

  ASSERT_TRUE(QFile::remove(c));
  ui.answers = {MsgResult::No};
  Action(kCmdRecentFile2)->trigger();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[1].text.find("was not found"), std::string::npos);
  EXPECT_EQ(app->RecentFiles().Files(), QStringList({b}));
  EXPECT_FALSE(Action(kCmdRecentFile2)->isVisible());

  app.reset();
  QSettings stored = Stored();
  EXPECT_EQ(stored.value(QStringLiteral("Recent File List/File1")).toString(), b);
  EXPECT_FALSE(stored.contains(QStringLiteral("Recent File List/File2")));
}

TEST(RecentFileMenuText, ShortensLeadingFoldersAndKeepsTheName) {
  struct Case {
    const char* path;
    const char* current;
    const char* shown;
  } const cases[] = {
      {"/data/a.lkw", "", "/data/a.lkw"},
      {"/srv/plant/north/line-four/configs/c.lkw", "", "/.../line-four/configs/c.lkw"},
      {"/srv/plant/north/line4.lkw", "/srv/plant/north", "line4.lkw"},
      {"/srv/a_configuration_with_a_very_long_name.lkw", "",
       "a_configuration_with_a_very_long_name.lkw"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AbbreviatePath(QLatin1String(c.path), 30, QLatin1String(c.current)),
              QLatin1String(c.shown))
        << c.path;
}

TEST_F(AppFilesTest, FileOnTheCommandLineStaysOpen) {
  const QString path = WriteSample(dir.filePath(QStringLiteral("cmd.lkw")), MonitorVariant(),
                                   SampleImage(MonitorVariant(), 3, true, true));
  Start(MonitorVariant(), {path});
  ASSERT_TRUE(started);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("cmd.lkw - Lookwell"));
  EXPECT_EQ(View().ModuleItem()->childCount(), 3);
  EXPECT_TRUE(Action(kCmdExportTags)->isEnabled());
  EXPECT_EQ(app->RecentFiles().Files(), QStringList({path}));
}

TEST_F(AppFilesTest, MissingFileOnTheCommandLineEndsStartUp) {
  Start(MonitorVariant(), {dir.filePath(QStringLiteral("gone.lkw"))});
  EXPECT_FALSE(started);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("was not found"), std::string::npos);
  EXPECT_FALSE(app->MainFrame()->isVisible());
}

TEST_F(AppFilesTest, RestoredRectangleIsStoredAtExitAndUsedAtTheNextStart) {
  Start(MonitorVariant());
  Frame().setGeometry(QRect(100, 120, 600, 500));
  Frame().showMaximized();
  app.reset();

  QSettings stored = Stored();
  EXPECT_EQ(stored.value(QStringLiteral("Settings/WinMinX")).toInt(), 100);
  EXPECT_EQ(stored.value(QStringLiteral("Settings/WinMinY")).toInt(), 120);
  EXPECT_EQ(stored.value(QStringLiteral("Settings/WinMaxX")).toInt(), 700);
  EXPECT_EQ(stored.value(QStringLiteral("Settings/WinMaxY")).toInt(), 620);

  Start(MonitorVariant());
  EXPECT_EQ(Frame().geometry(), QRect(100, 120, 600, 500));
  EXPECT_FALSE(Frame().isMaximized());
}

TEST_F(AppFilesTest, UnusableStoredRectanglesFallBackToTheDefault) {
  const int rects[][4] = {{-9000, -9000, -8500, -8600}, {300, 300, 300, 300}};
  for (const auto& r : rects) {
    {
      QSettings stored = Stored();
      stored.setValue(QStringLiteral("Settings/WinMinX"), r[0]);
      stored.setValue(QStringLiteral("Settings/WinMinY"), r[1]);
      stored.setValue(QStringLiteral("Settings/WinMaxX"), r[2]);
      stored.setValue(QStringLiteral("Settings/WinMaxY"), r[3]);
    }
    Start(MonitorVariant());
    EXPECT_EQ(Frame().geometry(), QRect(20, 20, 460, 430)) << r[0];
    app.reset();
  }
}

}  // namespace
}  // namespace krn::shell::test
