#include "shell/command_ids.h"

namespace krn::shell {
namespace {

struct CommandStrings {
  int command;
  const char* prompt;  // "%1" is the module word, "%2" the mode word
  const char* tooltip;
};

constexpr CommandStrings kStrings[] = {
    {kCmdStartAutoConfig, "Read Heard Config from %1 Module", "Automatically Configure %1 Module"},
    {kCmdExportTags, "Export Tags to *.CSV file for Import into RSLogix5000",
     "Export Tags to *.CSV File"},
    {kCmdUploadConfig, "Upload Configuration from %1 Module's FLASH", "Upload Config From Module"},
    {kCmdDownloadConfig, "Download Configuration to %1 Module's FLASH",
     "Download Config to Module"},
    {kCmdEditModuleProperties, "Edit the KRN-735 %2's options", ""},
    {kCmdEditRackProperties, "View/Edit Rack properties", ""},
    {kCmdAutoAllocate, "Assign the ControlLogix address areas automatically", ""},
    {kCmdDeleteRack, "Delete a Rack from Configuration", ""},
    {kCmdFileNew, "Create a new document", "New"},
    {kCmdFileOpen, "Open an existing document", "Open"},
    {kCmdFileSave, "Save the active document", "Save"},
    {kCmdFileSaveAs, "Save the active document with a new name", "Save As"},
    {kCmdRecentFile1, "Open this document", ""},
    {kCmdRecentFile2, "Open this document", ""},
    {kCmdAppAbout, "Display program information, version number and copyright", "About"},
    {kCmdAppExit, "Quit the application; prompts to save documents", "Exit"},
    {kCmdHelpTopics, "List Help topics", "Help Topics"},
    {kCmdViewToolbar, "Show or hide the toolbar", "Toggle ToolBar"},
    {kCmdViewStatusBar, "Show or hide the status bar", "Toggle StatusBar"},
};

QString Fill(const char* text, const ModuleVariant& variant) {
  QString s = QString::fromUtf8(text);
  s.replace(QLatin1String("%1"), QString::fromStdString(variant.moduleWord));
  s.replace(QLatin1String("%2"), QString::fromStdString(variant.modeWord));
  return s;
}

const CommandStrings* Find(int command) {
  for (const auto& s : kStrings)
    if (s.command == command) return &s;
  return nullptr;
}

}  // namespace

QString IdlePrompt() {
  return QStringLiteral("For Help, press F1");
}
QString ContextHelpPrompt() {
  return QStringLiteral("Select an object on which to get Help");
}

QString CommandPrompt(int command, const ModuleVariant& variant) {
  const CommandStrings* s = Find(command);
  return s ? Fill(s->prompt, variant) : QString();
}

QString CommandTooltip(int command, const ModuleVariant& variant) {
  const CommandStrings* s = Find(command);
  return s ? Fill(s->tooltip, variant) : QString();
}

}  // namespace krn::shell
