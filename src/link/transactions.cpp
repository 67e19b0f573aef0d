#include "link/transactions.h"

#include <string>

#include "config/messages.h"
#include "link/link_texts.h"

namespace krn {

ModuleTransactions::ModuleTransactions(ModuleLink& link, ConfigDocument& document,
                                       TransactionHost& host, HeardConfig& heard,
                                       SleepFunction sleep)
    : link_(link),
      document_(document),
      host_(host),
      heard_(heard),
      sleep_(std::move(sleep)),
      ui_(document.Ui()),
      variant_(document.Variant()) {}

void ModuleTransactions::Report(const LinkResult& result, const std::string& title, MsgIcon icon) {
  ui_.Message(result.Error(), title, MsgButtons::Ok, icon);
}

bool ModuleTransactions::Prompt(const std::string& text) {
  return ui_.Message(text, {}, MsgButtons::OkCancel, MsgIcon::Exclamation) == MsgResult::Ok;
}

void ModuleTransactions::Notice(const std::string& text) {
  ui_.Message(text, {}, MsgButtons::OkCancel, MsgIcon::None);
}

TransactionOutcome ModuleTransactions::UploadConfig() {
  // Open first: a failed or cancelled opening leaves the document and its
  // view as they were.
  if (!link_.EnsureOpen()) return TransactionOutcome::Cancelled;
  ConfigImage& image = document_.Image();
  ClearImage(image, variant_);

  BusyScope busy(ui_);
  const LinkResult read = link_.ReadConfig(image);
  if (!read.Ok()) {
    busy.End();
    Report(read, std::string(kReadModuleConfigTitle), MsgIcon::None);
  }
  UpdateCfgId(image);
  host_.RebuildTree();
  if (AllDirectionsDefined(image) && AllAddressesDefined(image)) host_.EnableExportTags();
  busy.End();
  document_.SetModified();
  return read.Ok() ? TransactionOutcome::Done : TransactionOutcome::Failed;
}

TransactionOutcome ModuleTransactions::DownloadConfig() {
  ConfigImage& image = document_.Image();
  if (image.NumRacks == 0 && image.CfgId == 0) {
    Notice(std::string(msg::kConfigurationEmpty));
    return TransactionOutcome::Refused;
  }
  if (!AllDirectionsDefined(image)) {
    Notice(std::string(msg::kDirectionsMissing));
    return TransactionOutcome::Refused;
  }
  if (!AllAddressesDefined(image)) {
    Notice(msg::AddressesMissing(variant_));
    return TransactionOutcome::Refused;
  }
  if (!Prompt(msg::ClearModuleQuestion(variant_))) return TransactionOutcome::Cancelled;
  if (!link_.EnsureOpen()) return TransactionOutcome::Cancelled;

  BusyScope busy(ui_);
  auto fail = [&](const LinkResult& result, const std::string& title, MsgIcon icon) {
    busy.End();
    Report(result, title, icon);
    return TransactionOutcome::Failed;
  };
  if (LinkResult r = link_.StartEdits(); !r.Ok())
    return fail(r, std::string(kStartEditsTitle), MsgIcon::Stop);
  if (LinkResult r = link_.ClearConfig(); !r.Ok())
    return fail(r, ClearFailedTitle(variant_), MsgIcon::None);
  if (LinkResult r = link_.WriteConfig(image); !r.Ok())
    return fail(r, WriteFailedTitle(variant_), MsgIcon::Stop);
  if (LinkResult r = link_.EndConfig(); !r.Ok())
    return fail(r, EndFailedTitle(variant_), MsgIcon::Stop);
  return TransactionOutcome::Done;
}

TransactionOutcome ModuleTransactions::StartAutoConfiguration() {
  if (!Prompt(msg::ClearModuleQuestion(variant_))) return TransactionOutcome::Cancelled;
  // Stopped at its save-changes question, New File keeps the user's
  // configuration; building over it would throw it away.
  if (!host_.NewFileKeepingLink()) return TransactionOutcome::Cancelled;
  if (!link_.EnsureOpen()) return TransactionOutcome::Cancelled;

  BusyScope busy(ui_);
  if (LinkResult r = link_.ClearConfig(); !r.Ok()) {
    busy.End();
    Report(r, ClearFailedTitle(variant_), MsgIcon::None);
    return TransactionOutcome::Failed;
  }
  sleep_(kAutoScanStartWaitMs);
  if (LinkResult r = link_.StartAutoScan(); !r.Ok()) {
    busy.End();
    Report(r, AutoScanFailedTitle(variant_), MsgIcon::None);
    return TransactionOutcome::Failed;
  }
  heard_ = HeardConfig{};
  if (const TransactionOutcome polled = AwaitAutoScan(busy); polled != TransactionOutcome::Done)
    return polled;

  // The build may report a card file out of range or overlapping.
  busy.End();
  if (BuildFromHeard(document_.Image(), heard_, variant_, ui_)) host_.RebuildTree();
  document_.SetModified();
  return TransactionOutcome::Done;
}

TransactionOutcome ModuleTransactions::AwaitAutoScan(BusyScope& busy) {
  const int pollMs = variant_.heardPollMs;
  for (int reads = 1; reads <= kAutoScanMaxPolls; ++reads) {
    if (LinkResult r = link_.ReadHeardConfig(heard_); !r.Ok()) {
      ui_.EndProgress();
      busy.End();
      Report(r, HeardReadFailedTitle(variant_), MsgIcon::Stop);
      return TransactionOutcome::Failed;
    }
    if (heard_.ScanComplete()) {
      ui_.EndProgress();
      return TransactionOutcome::Done;
    }
    ProgressStep step;
    const int secondsLeft = ((kAutoScanMaxPolls - reads) * pollMs + 999) / 1000;
    step.text = "Waiting for the " + variant_.moduleWord + "'s auto-scan, " +
                std::to_string(secondsLeft) + " s left";
    step.done = reads;
    step.total = kAutoScanMaxPolls;
    step.cancellable = true;
    if (!ui_.Progress(step)) {
      ui_.EndProgress();
      busy.End();
      Report(LinkResult::Failure(std::string(kOperationCanceled)), variant_.autoScanTimeoutTitle,
             MsgIcon::None);
      return TransactionOutcome::Cancelled;
    }
    sleep_(pollMs);
  }
  ui_.EndProgress();
  busy.End();
  Report(LinkResult::Failure(std::string(kAutoScanTimeout)), variant_.autoScanTimeoutTitle,
         MsgIcon::Stop);
  return TransactionOutcome::Failed;
}

}  // namespace krn
