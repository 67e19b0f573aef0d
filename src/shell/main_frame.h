// CMainFrame: the program's only top-level window. It carries the menus,
// the toolbar and the status bar with the RSLinx path pane, hosts the
// configuration tree, owns the module link, routes every command (active
// view, document, main window, application) and greys or enables Export
// Tags. Its restored rectangle goes back to the application object.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

#include "config/heard_config.h"
#include "link/dtl.h"
#include "link/modulelink.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace krn::shell {

class ConfiguratorApp;
class ConfigTreeView;
class ShellDocument;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // `dtl` carries the module link's requests; without one the link cannot
  // be opened and the path pane keeps "RsLinx Path Not Set".
  CMainFrame(ConfiguratorApp& app, ShellDocument& document, std::unique_ptr<Dtl> dtl);
  ~CMainFrame() override;

  // Toolbar, status bar, Export Tags greyed, the stored restored rectangle.
  // False when a part could not be made (start-up then ends).
  bool Create();

  void SetView(ConfigTreeView* view);
  // The view of the document (its only view), or null before it exists.
  ConfigTreeView* GetConfigView() const { return view_; }

  void DisableExportTags();
  void EnableExportTags();
  bool IsExportTagsEnabled() const;

  // The action of a command number (menus, toolbar and context menus share
  // them); null for an unknown number.
  QAction* CommandAction(int command) const;

  // Command routing: the active view, then the document, then this window,
  // then the application; the first that handles the command ends it.
  bool OnCmdMsg(int command);
  bool OnCommand(int command);

  // The module commands and Export Tags, one handler each.
  void OnStartAutoConfig();
  void OnUploadConfig();
  void OnDownloadConfig();
  void OnExportTags();

  // The module link (null without a Dtl); Close() forgets the chosen path.
  ModuleLink* Link() const { return link_.get(); }
  void ResetModuleLink();

  // The RSLinx path pane: the chosen route, else "RsLinx Path Not Set".
  QString PathPaneText() const;
  void RefreshPathPane();
  // The message pane shows its idle text, or the context-help prompt.
  void SetContextHelpMode(bool on);
  QString MessagePaneText() const;

  // "Untitled - Lookwell", or the file's name.
  void UpdateTitle();
  void UpdateRecentFileMenu();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  bool CreateToolBar();
  bool CreateStatusBar();
  void RestoreWindowRect();
  void StoreWindowRect();
  QAction* MakeAction(int command, const QString& text, const QKeySequence& key = {});

  ConfiguratorApp& app_;
  ShellDocument& document_;
  std::unique_ptr<Dtl> dtl_;
  std::unique_ptr<ModuleLink> link_;
  HeardConfig heard_{};  // what the module heard in its last auto-scan
  ConfigTreeView* view_ = nullptr;
  std::map<int, QAction*> actions_;
  QMenu* fileMenu_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* messagePane_ = nullptr;
  QLabel* pathPane_ = nullptr;
  bool contextHelpMode_ = false;
};

}  // namespace krn::shell
