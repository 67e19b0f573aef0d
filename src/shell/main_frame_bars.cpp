// The main window's menus, toolbar and status bar.
#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "shell/command_ids.h"
#include "shell/configurator_app.h"
#include "shell/icons.h"
#include "shell/lock_key_panes.h"
#include "shell/main_frame.h"

namespace krn::shell {

QAction* CMainFrame::MakeAction(int command, const QString& text, const QKeySequence& key) {
  auto* action = new QAction(text, this);
  action->setData(command);
  action->setStatusTip(CommandPrompt(command, app_.Variant()));
  const QString tip = CommandTooltip(command, app_.Variant());
  action->setToolTip(tip.isEmpty() ? QString(text).remove(QLatin1Char('&')) : tip);
  action->setIcon(ToolbarIcon(command));
  action->setIconVisibleInMenu(false);
  if (!key.isEmpty()) action->setShortcut(key);
  connect(action, &QAction::triggered, this, [this, command] { OnCmdMsg(command); });
  actions_[command] = action;
  return action;
}

void CMainFrame::CreateActions() {
  const QString program = app_.ApplicationName();
  MakeAction(kCmdFileNew, QStringLiteral("&New File"), QKeySequence(Qt::CTRL | Qt::Key_N));
  MakeAction(kCmdFileOpen, QStringLiteral("&Open File"), QKeySequence(Qt::CTRL | Qt::Key_O));
  MakeAction(kCmdFileSave, QStringLiteral("&Save File"), QKeySequence(Qt::CTRL | Qt::Key_S));
  MakeAction(kCmdFileSaveAs, QStringLiteral("Save File &As"), QKeySequence(Qt::CTRL | Qt::Key_A));
  MakeAction(kCmdExportTags, QStringLiteral("&Export Tags"));
  MakeAction(kCmdRecentFile1, QString());
  MakeAction(kCmdRecentFile2, QString());
  MakeAction(kCmdAppExit, QStringLiteral("E&xit"));
  MakeAction(kCmdUploadConfig, QStringLiteral("&Upload Config"));
  MakeAction(kCmdDownloadConfig, QStringLiteral("&Download Config"));
  MakeAction(kCmdStartAutoConfig, QStringLiteral("&Start Auto Configuration"));
  MakeAction(kCmdAutoAllocate, QStringLiteral("Auto-allocate &Logix Addressing"));
  MakeAction(kCmdViewToolbar, QStringLiteral("&Toolbar"))->setCheckable(true);
  MakeAction(kCmdViewStatusBar, QStringLiteral("&Status Bar"))->setCheckable(true);
  MakeAction(kCmdHelpTopics, QStringLiteral("&Help Topics"));
  MakeAction(kCmdAppAbout, QStringLiteral("&About %1...").arg(program));
  // The recent-file items and the toolbar toggles keep their own state.
  actions_[kCmdViewToolbar]->setChecked(true);
  actions_[kCmdViewStatusBar]->setChecked(true);
}

void CMainFrame::CreateMenus() {
  QMenuBar* bar = menuBar();
  fileMenu_ = bar->addMenu(QStringLiteral("&File"));
  for (int c : {kCmdFileNew, kCmdFileOpen, kCmdFileSave, kCmdFileSaveAs})
    fileMenu_->addAction(actions_[c]);
  fileMenu_->addSeparator();
  fileMenu_->addAction(actions_[kCmdExportTags]);
  fileMenu_->addSeparator();
  fileMenu_->addAction(actions_[kCmdRecentFile1]);
  fileMenu_->addAction(actions_[kCmdRecentFile2]);
  fileMenu_->addSeparator();
  fileMenu_->addAction(actions_[kCmdAppExit]);

  QMenu* actions = bar->addMenu(QStringLiteral("&Actions"));
  for (int c : {kCmdUploadConfig, kCmdDownloadConfig, kCmdStartAutoConfig, kCmdAutoAllocate})
    actions->addAction(actions_[c]);

  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  view->addAction(actions_[kCmdViewToolbar]);
  view->addAction(actions_[kCmdViewStatusBar]);

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  help->addAction(actions_[kCmdHelpTopics]);
  help->addSeparator();
  help->addAction(actions_[kCmdAppAbout]);
}

bool CMainFrame::CreateToolBar() {
  toolBar_ = new QToolBar(QStringLiteral("Toolbar"), this);
  toolBar_->setObjectName(QStringLiteral("toolBar"));
  toolBar_->setIconSize(QSize(16, 15));
  toolBar_->setMovable(true);
  toolBar_->setFloatable(true);
  toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolBar_->addAction(actions_[kCmdStartAutoConfig]);
  toolBar_->addAction(actions_[kCmdUploadConfig]);
  toolBar_->addAction(actions_[kCmdDownloadConfig]);
  toolBar_->addSeparator();
  toolBar_->addAction(actions_[kCmdAppAbout]);
  toolBar_->addAction(actions_[kCmdFileSave]);
  addToolBar(Qt::TopToolBarArea, toolBar_);
  // The check mark follows the bar, also when it is closed while floating.
  connect(toolBar_, &QToolBar::visibilityChanged, this,
          [this](bool visible) { actions_[kCmdViewToolbar]->setChecked(visible); });
  return true;
}

bool CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("statusBar"));
  messagePane_ = new QLabel(IdlePrompt(), bar);
  messagePane_->setObjectName(QStringLiteral("messagePane"));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    messagePane_->setMinimumWidth(screen->geometry().width() / 8);
  bar->addWidget(messagePane_, 1);

  pathPane_ = new QLabel(bar);
  pathPane_->setObjectName(QStringLiteral("pathPane"));
  pathPane_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  pathPane_->setAlignment(Qt::AlignCenter);
  bar->addPermanentWidget(pathPane_);

  AddLockKeyPanes(*bar);
  return true;
}

void CMainFrame::UpdateRecentFileMenu() {
  const RecentFileList& list = app_.RecentFiles();
  const QString folder = QDir::currentPath();
  QAction* first = actions_[kCmdRecentFile1];
  QAction* second = actions_[kCmdRecentFile2];
  first->setText(list.MenuText(0, folder));
  first->setEnabled(!list.IsEmpty());
  second->setText(list.MenuText(1, folder));
  second->setVisible(list.Files().size() > 1);
}

}  // namespace krn::shell
