// The main window's module commands (Upload Config, Download Config, Start
// Auto Configuration) and Export Tags. The sequences themselves are the
// GUI-free module transactions; here they meet the window: the tree, the
// Export Tags item, New File, the path pane and the file chooser.
#include "config/atomic_file.h"
#include "config/messages.h"
#include "config/racks.h"
#include "link/transactions.h"
#include "logix/export_tags_dialog.h"
#include "logix/tag_export.h"
#include "shell/config_tree_view.h"
#include "shell/configurator_app.h"
#include "shell/main_frame.h"
#include "shell/painting_sleep.h"
#include "shell/shell_document.h"

namespace krn::shell {

namespace {

constexpr std::string_view kUnableToOpenTagFile = "Unable to Open Tag Export File";

// What the transactions need of the main window.
class FrameTransactionHost : public TransactionHost {
 public:
  FrameTransactionHost(CMainFrame& frame, ConfiguratorApp& app) : frame_(frame), app_(app) {}

  bool NewFileKeepingLink() override {
    app_.m_bResetLinkOnNew = false;
    return app_.OnFileNew();
  }
  void RebuildTree() override {
    if (ConfigTreeView* view = frame_.GetConfigView()) view->RebuildTree();
  }
  void EnableExportTags() override { frame_.EnableExportTags(); }

 private:
  CMainFrame& frame_;
  ConfiguratorApp& app_;
};

// Without a network layer the link does not exist; say so instead of
// doing nothing.
bool LinkAvailable(const ModuleLink* link, UserInterface& ui) {
  if (link) return true;
  ui.Message("This program was built without a network layer, so it cannot reach a module.", {},
             MsgButtons::Ok, MsgIcon::Stop);
  return false;
}

}  // namespace

void CMainFrame::OnUploadConfig() {
  if (!LinkAvailable(link_.get(), app_.Ui())) return;
  FrameTransactionHost host(*this, app_);
  ModuleTransactions(*link_, document_.Core(), host, heard_, PaintingSleep).UploadConfig();
  RefreshPathPane();
}

void CMainFrame::OnDownloadConfig() {
  if (!LinkAvailable(link_.get(), app_.Ui())) return;
  FrameTransactionHost host(*this, app_);
  ModuleTransactions(*link_, document_.Core(), host, heard_, PaintingSleep).DownloadConfig();
  RefreshPathPane();
}

void CMainFrame::OnStartAutoConfig() {
  if (!LinkAvailable(link_.get(), app_.Ui())) return;
  FrameTransactionHost host(*this, app_);
  ModuleTransactions(*link_, document_.Core(), host, heard_, PaintingSleep)
      .StartAutoConfiguration();
  RefreshPathPane();
}

void CMainFrame::OnExportTags() {
  ConfigDocument& document = document_.Core();
  UserInterface& ui = app_.Ui();
  const ModuleVariant& variant = document.Variant();
  // Refusals end the command whichever button the user presses.
  if (!AllDirectionsDefined(document.Image())) {
    ui.Message(std::string(msg::kDirectionsMissing), {}, MsgButtons::OkCancel, MsgIcon::None);
    return;
  }
  if (!AllAddressesDefined(document.Image())) {
    ui.Message(msg::AddressesMissing(variant), {}, MsgButtons::OkCancel, MsgIcon::None);
    return;
  }
  if (!LinkAvailable(link_.get(), app_.Ui())) return;
  const int16_t slot = link_->ModuleSlot();
  RefreshPathPane();
  if (slot < 0) return;  // the reason was shown

  ExportTagsDialog dialog(variant, app_.fileChooser, this);
  if (dialog.exec() != QDialog::Accepted || dialog.FileName.trimmed().isEmpty()) return;

  // The file is replaced whole or not at all: a failure never leaves a
  // half-written export behind, nor damages the file that was there.
  BusyScope busy(ui);
  const TagExportOptions options{static_cast<unsigned>(slot), dialog.InputOnly != 0};
  const std::string path = dialog.FileName.toStdString();
  const FileStatus written =
      WriteFileAtomically(path, TagExportText(document.Image(), variant, options));
  busy.End();
  if (written.ok()) return;
  if (written.stage == FileStage::Create) {
    ui.Message(std::string(kUnableToOpenTagFile), {}, MsgButtons::Ok, MsgIcon::None);
  } else {
    ui.Message("Unable to Write Tag Export File\n" + FileErrorText(written, path) +
                   "\nThe file was not changed.",
               {}, MsgButtons::Ok, MsgIcon::None);
  }
}

}  // namespace krn::shell
