// Command, resource and string numbers of the desktop programs, and the
// status-bar prompt and tooltip of each command. The numbers are the help
// context numbers' base, so they are fixed.
#pragma once

#include <QString>

#include "config/module_variant.h"

namespace krn::shell {

enum Command : int {
  kCmdStartAutoConfig = 136,
  kCmdExportTags = 137,
  kCmdUploadConfig = 139,
  kCmdEditModuleProperties = 32781,
  kCmdEditRackProperties = 32783,
  kCmdAutoAllocate = 32784,
  kCmdDownloadConfig = 32785,
  kCmdDeleteRack = 32787,
  kCmdFileNew = 57600,
  kCmdFileOpen = 57601,
  kCmdFileSave = 57603,
  kCmdFileSaveAs = 57604,
  kCmdRecentFile1 = 57616,
  kCmdRecentFile2 = 57617,
  kCmdAppAbout = 57664,
  kCmdAppExit = 57665,
  kCmdHelpTopics = 57667,
  kCmdContextHelp = 57669,
  kCmdHelp = 57670,
  kCmdDefaultHelp = 57671,
  kCmdViewToolbar = 59392,
  kCmdViewStatusBar = 59393,
};

// Resource numbers of the windows and dialogs (help contexts 0x20000 + n).
enum Resource : int {
  kResAboutBox = 100,
  kResMainFrame = 128,
  kResPathDialog = 130,
  kResExportTagsDialog = 140,
  kResModulePropertiesDialog = 149,
  kResRackPropertiesDialog = 150,
};

// Numbered messages (help contexts 0x30000 + n).
enum MessageNumber : int {
  kMsgNoDirection = 151,
  kMsgClearsAddresses = 205,
};

// The message pane while no menu item is highlighted, and in context-help
// mode.
QString IdlePrompt();
QString ContextHelpPrompt();

// The status-bar prompt and the tooltip of a command (empty when it has
// none), with the variant's module words filled in.
QString CommandPrompt(int command, const ModuleVariant& variant);
QString CommandTooltip(int command, const ModuleVariant& variant);

}  // namespace krn::shell
