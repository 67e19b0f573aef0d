#include "shell/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "shell/command_ids.h"
#include "shell/config_tree_view.h"
#include "shell/configurator_app.h"
#include "shell/help_system.h"
#include "shell/icons.h"
#include "shell/painting_sleep.h"
#include "shell/shell_document.h"

namespace krn::shell {

CMainFrame::CMainFrame(ConfiguratorApp& app, ShellDocument& document, std::unique_ptr<Dtl> dtl)
    : app_(app), document_(document), dtl_(std::move(dtl)) {
  if (dtl_) link_ = std::make_unique<ModuleLink>(*dtl_, app.Variant(), app.Ui(), PaintingSleep);
  setObjectName(QStringLiteral("CMainFrame"));
}

CMainFrame::~CMainFrame() {
  StoreWindowRect();
  // The link closes its driver before the window that owns it goes.
  link_.reset();
}

bool CMainFrame::Create() {
  setWindowIcon(ProgramIcon(app_.Variant()));
  CreateActions();
  CreateMenus();
  if (!CreateToolBar() || !CreateStatusBar()) return false;
  DisableExportTags();
  RestoreWindowRect();

  ConfigDocument& core = document_.Core();
  core.disableExportTags = [this] { DisableExportTags(); };
  core.enableExportTags = [this] { EnableExportTags(); };
  core.closeModuleLink = [this] { ResetModuleLink(); };
  connect(&document_, &ShellDocument::titleChanged, this, &CMainFrame::UpdateTitle);
  connect(&app_, &ConfiguratorApp::recentFilesChanged, this, &CMainFrame::UpdateRecentFileMenu);
  UpdateTitle();
  UpdateRecentFileMenu();
  RefreshPathPane();
  return true;
}

void CMainFrame::SetView(ConfigTreeView* view) {
  view_ = view;
  setCentralWidget(view);
}

void CMainFrame::DisableExportTags() {
  actions_.at(kCmdExportTags)->setEnabled(false);
}
void CMainFrame::EnableExportTags() {
  actions_.at(kCmdExportTags)->setEnabled(true);
}
bool CMainFrame::IsExportTagsEnabled() const {
  return actions_.at(kCmdExportTags)->isEnabled();
}

QAction* CMainFrame::CommandAction(int command) const {
  const auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

bool CMainFrame::OnCmdMsg(int command) {
  const bool handled = (view_ && view_->OnCommand(command)) || document_.OnCommand(command) ||
                       OnCommand(command) || app_.OnCommand(command);
  // Only commands change the link, so the path pane follows each one.
  RefreshPathPane();
  return handled;
}

bool CMainFrame::OnCommand(int command) {
  switch (command) {
    case kCmdStartAutoConfig: OnStartAutoConfig(); return true;
    case kCmdExportTags: OnExportTags(); return true;
    case kCmdUploadConfig: OnUploadConfig(); return true;
    case kCmdDownloadConfig: OnDownloadConfig(); return true;
    case kCmdViewToolbar:
      toolBar_->setVisible(!toolBar_->isVisible());
      actions_.at(kCmdViewToolbar)->setChecked(toolBar_->isVisible());
      return true;
    case kCmdViewStatusBar:
      statusBar()->setVisible(!statusBar()->isVisible());
      actions_.at(kCmdViewStatusBar)->setChecked(statusBar()->isVisible());
      return true;
    case kCmdHelpTopics:
    case kCmdDefaultHelp: app_.Help().Request(0, HelpKind::Contents); return true;
    case kCmdHelp:
      app_.Help().Request(app_.Help().CurrentContext(), HelpKind::Context);
      return true;
    case kCmdContextHelp: app_.Help().EnterContextHelpMode(); return true;
    default: return false;
  }
}

void CMainFrame::ResetModuleLink() {
  if (link_) link_->Close();
  RefreshPathPane();
}

QString CMainFrame::PathPaneText() const {
  if (link_ && link_->pathChosen()) return QString::fromStdString(link_->routeText());
  return QStringLiteral("RsLinx Path Not Set");
}

void CMainFrame::RefreshPathPane() {
  if (!pathPane_) return;
  const QString text = PathPaneText();
  if (pathPane_->text() == text) return;
  pathPane_->setText(text);
  // As wide as its text.
  const int margins = pathPane_->contentsMargins().left() + pathPane_->contentsMargins().right() +
                      2 * pathPane_->frameWidth() + 2 * pathPane_->margin() + 8;
  pathPane_->setFixedWidth(pathPane_->fontMetrics().horizontalAdvance(text) + margins);
}

void CMainFrame::SetContextHelpMode(bool on) {
  contextHelpMode_ = on;
  messagePane_->setText(on ? ContextHelpPrompt() : IdlePrompt());
}

QString CMainFrame::MessagePaneText() const {
  const QString shown = statusBar()->currentMessage();
  return shown.isEmpty() ? messagePane_->text() : shown;
}

void CMainFrame::UpdateTitle() {
  setWindowTitle(document_.Title() + QStringLiteral(" - ") + app_.ApplicationName());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!document_.SaveModified()) {
    event->ignore();
    return;
  }
  StoreWindowRect();
  event->accept();
  // The program ends with its main window, even while the help window is
  // still open.
  QCoreApplication::quit();
}

void CMainFrame::RestoreWindowRect() {
  QRect rect(QPoint(app_.m_nWinMinX, app_.m_nWinMinY),
             QPoint(app_.m_nWinMaxX - 1, app_.m_nWinMaxY - 1));
  // A stored rectangle that is empty or lies on no screen any more (a
  // monitor was removed) would leave the window unreachable.
  bool visible = false;
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().intersects(rect)) visible = true;
  if (rect.width() < 100 || rect.height() < 80 ||
      (!QGuiApplication::screens().isEmpty() && !visible)) {
    const WindowRect fallback;
    rect =
        QRect(QPoint(fallback.minX, fallback.minY), QPoint(fallback.maxX - 1, fallback.maxY - 1));
  }
  setGeometry(rect);
}

void CMainFrame::StoreWindowRect() {
  const QRect normal =
      isMaximized() || isMinimized() || isFullScreen() ? normalGeometry() : geometry();
  if (!normal.isValid()) return;
  app_.m_nWinMinX = normal.left();
  app_.m_nWinMinY = normal.top();
  app_.m_nWinMaxX = normal.right() + 1;
  app_.m_nWinMaxY = normal.bottom() + 1;
}

}  // namespace krn::shell
