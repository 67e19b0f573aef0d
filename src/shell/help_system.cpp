#include "shell/help_system.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "config/messages.h"
#include "shell/command_ids.h"
#include "shell/help_window.h"

namespace krn::shell {
namespace {

struct Topic {
  uint32_t context;
  const char* page;  // page#anchor
};

constexpr Topic kTopics[] = {
    {kHelpCommandBase + kCmdFileNew, "file_commands.htm#new"},
    {kHelpCommandBase + kCmdFileOpen, "file_commands.htm#open"},
    {kHelpCommandBase + kCmdFileSave, "file_commands.htm#save"},
    {kHelpCommandBase + kCmdFileSaveAs, "file_commands.htm#save-as"},
    {kHelpCommandBase + kCmdRecentFile1, "file_commands.htm#recent"},
    {kHelpCommandBase + kCmdRecentFile2, "file_commands.htm#recent"},
    {kHelpCommandBase + kCmdAppExit, "file_commands.htm#exit"},
    {kHelpCommandBase + kCmdExportTags, "file_commands.htm#export-tags"},
    {kHelpCommandBase + kCmdUploadConfig, "module_commands.htm#upload"},
    {kHelpCommandBase + kCmdDownloadConfig, "module_commands.htm#download"},
    {kHelpCommandBase + kCmdStartAutoConfig, "module_commands.htm#auto-configuration"},
    {kHelpCommandBase + kCmdAutoAllocate, "tree.htm#auto-allocate"},
    {kHelpCommandBase + kCmdEditModuleProperties, "tree.htm#module-properties"},
    {kHelpCommandBase + kCmdEditRackProperties, "tree.htm#rack-properties"},
    {kHelpCommandBase + kCmdDeleteRack, "tree.htm#delete-rack"},
    {kHelpCommandBase + kCmdViewToolbar, "window.htm#toolbar"},
    {kHelpCommandBase + kCmdViewStatusBar, "window.htm#status-bar"},
    {kHelpCommandBase + kCmdHelpTopics, "window.htm#help"},
    {kHelpCommandBase + kCmdHelp, "window.htm#help"},
    {kHelpCommandBase + kCmdContextHelp, "window.htm#help"},
    {kHelpCommandBase + kCmdAppAbout, "window.htm#about"},
    {kHelpResourceBase + kResAboutBox, "window.htm#about"},
    {kHelpResourceBase + kResMainFrame, "window.htm"},
    {kHelpResourceBase + kResPathDialog, "module_commands.htm#path"},
    {kHelpResourceBase + kResExportTagsDialog, "file_commands.htm#export-tags"},
    {kHelpResourceBase + kResModulePropertiesDialog, "dialogs.htm#module-properties"},
    {kHelpResourceBase + kResRackPropertiesDialog, "dialogs.htm#rack-properties"},
    {kHelpMessageBase + 151, "messages.htm#msg151"},
    {kHelpMessageBase + 152, "messages.htm#msg152"},
    {kHelpMessageBase + 164, "messages.htm#msg164"},
    {kHelpMessageBase + 165, "messages.htm#msg165"},
    {kHelpMessageBase + 202, "messages.htm#msg202"},
    {kHelpMessageBase + 203, "messages.htm#msg203"},
    {kHelpMessageBase + 204, "messages.htm#msg204"},
    {kHelpMessageBase + 205, "messages.htm#msg205"},
};

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

uint32_t MessageHelpContext(const QString& text, const ModuleVariant& variant) {
  if (text == Q(msg::kDirectionsMissing)) return kHelpMessageBase + 151;
  if (text == Q(msg::kFileFormatError)) return kHelpMessageBase + 152;
  if (text == Q(msg::ClearModuleQuestion(variant))) return kHelpMessageBase + 164;
  if (text == Q(msg::AddressesMissing(variant))) return kHelpMessageBase + 165;
  if (text == Q(msg::kConfigurationEmpty)) return kHelpMessageBase + 202;
  // 203 and 204 carry a bit address; their wording before it is fixed.
  const QString overflow = Q(msg::CardFileOverflows(0)).section(QLatin1Char('0'), 0, 0);
  const QString overlap = Q(msg::CardFileOverlaps(0)).section(QLatin1Char('0'), 0, 0);
  if (text.startsWith(overflow) && text.contains(QLatin1String("overflows")))
    return kHelpMessageBase + 203;
  if (text.startsWith(overlap) && text.contains(QLatin1String("overlaps")))
    return kHelpMessageBase + 204;
  if (text == Q(msg::kClearAddressesQuestion)) return kHelpMessageBase + 205;
  return 0;
}

QString HelpTopicOf(uint32_t context, const ModuleVariant& variant) {
  // The scanner has no Delete Rack command and so no page section for it.
  if (context == kHelpCommandBase + kCmdDeleteRack && !variant.hasDeleteRack) return {};
  for (const Topic& t : kTopics)
    if (t.context == context) return QLatin1String(t.page);
  return {};
}

HelpSystem::HelpSystem(const ModuleVariant& variant, UserInterface& ui, const QString& programFile)
    : variant_(variant), ui_(ui) {
  const QString programFolder = QFileInfo(programFile).absolutePath();
  folder_ = QDir::cleanPath(programFolder + QStringLiteral("/../share/") +
                            QString::fromStdString(variant.programName).toLower() +
                            QStringLiteral("/help"));
}

HelpSystem::~HelpSystem() {
  if (window_) delete window_.data();
}

HelpWindow* HelpSystem::Window() const {
  return window_.data();
}

QString HelpSystem::StartPage() const {
  return folder_ + QLatin1Char('/') + QString::fromStdString(variant_.programName) +
         QStringLiteral(".htm");
}

bool HelpSystem::Request(uint32_t context, HelpKind kind) {
  const QString program = QString::fromStdString(variant_.programName);
  QString failure;
  switch (kind) {
    case HelpKind::Context: {
      const QString topic = HelpTopicOf(context, variant_);
      if (!topic.isEmpty() && ShowPage(topic)) return true;
      failure = QStringLiteral(
                    "No help available for this subject OR Unable to open %1.chm in %3. (Must "
                    "be with %2.exe)")
                    .arg(program, program, QDir::toNativeSeparators(StartPage()));
      break;
    }
    case HelpKind::Contents:
      if (ShowPage(QFileInfo(StartPage()).fileName())) return true;
      failure = QStringLiteral("Unable to open %1.chm (Must be with %1.exe)").arg(program);
      break;
    default: failure = QStringLiteral("Unrecognized Help Command"); break;
  }
  ui_.Message(failure.toStdString(), {}, MsgButtons::Ok, MsgIcon::Stop);
  return false;
}

bool HelpSystem::ShowPage(const QString& topic) {
  const QString page = topic.section(QLatin1Char('#'), 0, 0);
  if (!QFileInfo::exists(folder_ + QLatin1Char('/') + page) || !QFileInfo::exists(StartPage()))
    return false;
  if (!window_) window_ = new HelpWindow(QString::fromStdString(variant_.programName), folder_);
  window_->ShowTopic(topic);
  return true;
}

uint32_t HelpSystem::CurrentContext() const {
  if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
    if (QAction* a = menu->activeAction(); a && a->data().toInt() > 0)
      return kHelpCommandBase + static_cast<uint32_t>(a->data().toInt());
  }
  QWidget* w = QApplication::activeModalWidget();
  if (!w) w = QApplication::activeWindow();
  for (; w; w = w->parentWidget()) {
    const QVariant v = w->property("krnHelpContext");
    if (v.isValid()) return v.toUInt();
  }
  return kHelpResourceBase + kResMainFrame;
}

}  // namespace krn::shell
