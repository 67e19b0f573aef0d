#include "shell/configurator_app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "link/enip_dtl.h"
#include "shell/about_dialog.h"
#include "shell/command_ids.h"
#include "shell/config_tree_view.h"
#include "shell/help_system.h"
#include "shell/main_frame.h"
#include "shell/qt_user_interface.h"
#include "shell/shell_document.h"

namespace krn::shell {

DocTemplate DefaultDocTemplate(const ModuleVariant& variant) {
  DocTemplate t;
  t.variant = &variant;
  t.createDocument = [](const ModuleVariant& v, UserInterface& ui) {
    return std::make_unique<ShellDocument>(v, ui);
  };
  t.createView = [](ShellDocument& doc, UserInterface& ui, QWidget* parent) {
    return new ConfigTreeView(doc, ui, parent);
  };
  t.createDtl = [] { return std::make_unique<EnipDtl>(); };
  return t;
}

ConfiguratorApp::ConfiguratorApp(DocTemplate docTemplate, UserInterface* ui)
    : m_pDocTemplate(std::move(docTemplate)),
      settings_(QString::fromStdString(m_pDocTemplate.variant->programName)) {
  if (!ui) {
    ownUi_ = std::make_unique<QtUserInterface>(ApplicationName());
    const ModuleVariant* variant = m_pDocTemplate.variant;
    ownUi_->messageHelpContext = [variant](const QString& text) {
      return static_cast<int>(MessageHelpContext(text, *variant));
    };
    ui = ownUi_.get();
  }
  ui_ = ui;
  help_ = std::make_unique<HelpSystem>(Variant(), *ui_, QCoreApplication::applicationFilePath());
}

ConfiguratorApp::~ConfiguratorApp() {
  ExitInstance();
  // The window and tree refer to the document; they go first.
  frame_.reset();
  document_.reset();
}

QString ConfiguratorApp::ApplicationName() const {
  return QString::fromStdString(Variant().programName);
}

bool ConfiguratorApp::InitInstance(const QStringList& args) {
  recentFiles_.Replace(settings_.ReadRecentFiles(kRecentFileCount));
  const WindowRect rect = settings_.ReadWindowRect();
  m_nWinMinX = rect.minX;
  m_nWinMinY = rect.minY;
  m_nWinMaxX = rect.maxX;
  m_nWinMaxY = rect.maxY;

  QString file;
  for (const QString& arg : args)
    if (!arg.startsWith(QLatin1Char('-'))) {
      file = arg;
      break;
    }

  if (!CreateDocumentAndFrame()) {
    ui_->Tell("The main window could not be created.", MsgIcon::Stop);
    return false;
  }
  help_->InstallKeys();

  if (file.isEmpty()) {
    NewDocument();
    // A second New File resets the module link of the now existing window.
    OnFileNew();
  } else if (!OpenDocumentFile(file)) {
    // The reason was shown; without its file the program does not start.
    return false;
  }
  frame_->show();
  return true;
}

bool ConfiguratorApp::CreateDocumentAndFrame() {
  document_ = m_pDocTemplate.createDocument(Variant(), *ui_);
  if (!document_) return false;
  document_->fileChooser = [this](const FileDialogRequest& r, QWidget* parent) {
    return fileChooser(r, parent);
  };
  connect(document_.get(), &ShellDocument::fileSaved, this, [this](const QString& path) {
    recentFiles_.Add(path);
    emit recentFilesChanged();
  });

  std::unique_ptr<Dtl> dtl = m_pDocTemplate.createDtl ? m_pDocTemplate.createDtl() : nullptr;
  frame_ = std::make_unique<CMainFrame>(*this, *document_, std::move(dtl));
  if (!frame_->Create()) return false;
  document_->dialogParent = frame_.get();
  if (ownUi_) ownUi_->SetParentWindow(frame_.get());
  help_->contextModeChanged = [this](bool on) {
    if (frame_) frame_->SetContextHelpMode(on);
  };

  ConfigTreeView* view = m_pDocTemplate.createView(*document_, *ui_, frame_.get());
  if (!view) return false;
  view->routeCommand = [this](int command) { frame_->OnCmdMsg(command); };
  frame_->SetView(view);
  return true;
}

void ConfiguratorApp::NewDocument() {
  document_->Core().NewConfiguration();
  emit document_->titleChanged();
  if (ConfigTreeView* view = frame_->GetConfigView()) view->RebuildTree();
}

bool ConfiguratorApp::OnFileNew() {
  if (m_bResetLinkOnNew) {
    if (frame_) frame_->ResetModuleLink();
  } else {
    m_bResetLinkOnNew = true;
  }
  if (!document_->SaveModified()) return false;
  NewDocument();
  return true;
}

void ConfiguratorApp::OnFileOpen() {
  const QString path = fileChooser(OpenFileRequest(Variant()), frame_.get());
  if (path.isEmpty()) return;
  OpenDocumentFile(path);
}

OpenOutcome ConfiguratorApp::OpenDocument(const QString& path) {
  if (!document_->SaveModified()) return OpenOutcome::Cancelled;
  ConfigDocument& core = document_->Core();
  const bool wasModified = core.IsModified();
  const ConfigImage before = core.Image();
  core.SetModified(false);
  if (!core.OpenConfiguration(QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdString())) {
    if (core.Image() == before && !core.IsModified()) {
      // The file could not be opened: the configuration is as it was.
      core.SetModified(wasModified);
    } else {
      // Reading failed part way: the configuration is the empty one.
      NewDocument();
    }
    return OpenOutcome::Failed;
  }
  recentFiles_.Add(document_->FilePath());
  emit recentFilesChanged();
  emit document_->titleChanged();
  if (ConfigTreeView* view = frame_->GetConfigView()) view->RebuildTree();
  if (frame_) frame_->RefreshPathPane();
  return OpenOutcome::Opened;
}

bool ConfiguratorApp::OpenDocumentFile(const QString& path) {
  return OpenDocument(path) == OpenOutcome::Opened;
}

void ConfiguratorApp::OnOpenRecentFile(int index) {
  if (index < 0 || index >= recentFiles_.Files().size()) return;
  const QString path = recentFiles_.Files()[index];
  // The configuration already shown: nothing is read and nothing asked.
  if (!document_->FilePath().isEmpty() && SamePath(path, document_->FilePath())) return;
  if (OpenDocument(path) == OpenOutcome::Failed) {
    const qsizetype at = recentFiles_.Files().indexOf(path);
    recentFiles_.Remove(static_cast<int>(at));
    emit recentFilesChanged();
  }
}

void ConfiguratorApp::OnAppAbout() {
  AboutDialog about(Variant(), frame_.get());
  about.exec();
}

void ConfiguratorApp::OnAppExit() {
  if (frame_) frame_->close();
}

bool ConfiguratorApp::OnCommand(int command) {
  switch (command) {
    case kCmdFileNew: OnFileNew(); return true;
    case kCmdFileOpen: OnFileOpen(); return true;
    case kCmdRecentFile1: OnOpenRecentFile(0); return true;
    case kCmdRecentFile2: OnOpenRecentFile(1); return true;
    case kCmdAppAbout: OnAppAbout(); return true;
    case kCmdAppExit: OnAppExit(); return true;
    default: return false;
  }
}

void ConfiguratorApp::ExitInstance() {
  if (exited_) return;
  exited_ = true;
  // The main window stores its rectangle and closes its module link as it
  // goes; then the recent files, last the window rectangle.
  frame_.reset();
  settings_.WriteRecentFiles(recentFiles_.Files(), kRecentFileCount);
  settings_.WriteWindowRect({m_nWinMinX, m_nWinMinY, m_nWinMaxX, m_nWinMaxY});
}

}  // namespace krn::shell
