// The application object of a desktop program (CMyLookwellApp and
// CMyPacewellApp derive from it): it owns the per-user settings, the
// recent-file list and the one document type, creates the document with
// its main window and tree at start-up, runs New File, Open File, the
// recent files, About and Exit, and writes the settings back at exit.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

#include "config/module_variant.h"
#include "link/dtl.h"
#include "shell/file_dialogs.h"
#include "shell/recent_file_list.h"
#include "shell/settings_store.h"

namespace krn {
class UserInterface;
}

namespace krn::shell {

class CMainFrame;
class ConfigTreeView;
class HelpSystem;
class QtUserInterface;
class ShellDocument;

// The single document type: the variant and the classes it binds
// (document, tree view; the main window is always CMainFrame).
struct DocTemplate {
  const ModuleVariant* variant = nullptr;
  std::function<std::unique_ptr<ShellDocument>(const ModuleVariant&, UserInterface&)>
      createDocument;
  std::function<ConfigTreeView*(ShellDocument&, UserInterface&, QWidget* parent)> createView;
  // The network layer of the main window's module link; none leaves the
  // link unable to open.
  std::function<std::unique_ptr<Dtl>()> createDtl;
};

enum class OpenOutcome { Opened, Cancelled, Failed };

// The document type of the plain shell classes (used when a program does
// not name its own).
DocTemplate DefaultDocTemplate(const ModuleVariant& variant);

class ConfiguratorApp : public QObject {
  Q_OBJECT

 public:
  // `ui` replaces the Qt message boxes (tests answer through it); by default
  // the application makes its own QtUserInterface.
  explicit ConfiguratorApp(DocTemplate docTemplate, UserInterface* ui = nullptr);
  ~ConfiguratorApp() override;

  // Start-up. `args` are the command-line arguments after the program name;
  // the first that is not a switch names a configuration file to open, which
  // then stays open. False when the program must end without a window.
  bool InitInstance(const QStringList& args);
  // End of the run: the main window goes (storing its rectangle), then the
  // recent-file list and the window rectangle are written.
  void ExitInstance();

  // The commands of the application object.
  // True when the empty configuration was made (false when the user
  // cancelled at the save-changes question).
  bool OnFileNew();
  void OnFileOpen();
  void OnOpenRecentFile(int index);
  void OnAppAbout();
  void OnAppExit();
  bool OnCommand(int command);

  // Opens a file through the document type (save-changes question first).
  bool OpenDocumentFile(const QString& path);
  OpenOutcome OpenDocument(const QString& path);

  const ModuleVariant& Variant() const { return *m_pDocTemplate.variant; }
  QString ApplicationName() const;
  CMainFrame* MainFrame() const { return frame_.get(); }
  ShellDocument* Document() const { return document_.get(); }
  UserInterface& Ui() const { return *ui_; }
  HelpSystem& Help() const { return *help_; }
  RecentFileList& RecentFiles() { return recentFiles_; }
  // The Qt message boxes, or null when the caller supplied its own seam.
  QtUserInterface* QtUi() const { return ownUi_.get(); }

  // Run by the open and save dialogs; tests answer in place of the user.
  FileChooser fileChooser = RunFileDialog;

  // The main window's restored rectangle, read at start-up and replaced when
  // the main window is destroyed.
  int m_nWinMinX = 20;
  int m_nWinMinY = 20;
  int m_nWinMaxX = 480;
  int m_nWinMaxY = 450;
  // Cleared by the auto-configuration for the one New File that keeps the
  // module link; that New File sets it back.
  bool m_bResetLinkOnNew = true;
  DocTemplate m_pDocTemplate;

 signals:
  // The recent-file list changed; the File menu shows it again.
  void recentFilesChanged();

 private:
  bool CreateDocumentAndFrame();
  void NewDocument();
  void OnDocumentOpened(const QString& path);
  void DestroyMainFrame();

  SettingsStore settings_;
  std::unique_ptr<QtUserInterface> ownUi_;
  UserInterface* ui_;
  std::unique_ptr<HelpSystem> help_;
  std::unique_ptr<ShellDocument> document_;
  std::unique_ptr<CMainFrame> frame_;
  RecentFileList recentFiles_;
  bool exited_ = false;
};

}  // namespace krn::shell
