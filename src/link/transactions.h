// The three module transactions of the Actions menu as GUI-free sequences:
// Upload Config, Download Config and Start Auto Configuration. They talk to
// the user through the document's UserInterface and reach the main window
// through a TransactionHost; the main window (or the command line) calls them.
#pragma once

#include "config/document.h"
#include "config/heard_config.h"
#include "config/racks.h"
#include "link/link_result.h"
#include "link/modulelink.h"

namespace krn {

inline constexpr int kAutoScanMaxPolls = 200;
inline constexpr int kAutoScanStartWaitMs = 200;

// What the transactions need from the window that hosts them.
class TransactionHost {
 public:
  virtual ~TransactionHost() = default;
  // New File that leaves the module link open (auto-configuration starts
  // from an empty configuration on the same module). False when the user
  // stopped it at the save-changes question.
  virtual bool NewFileKeepingLink() = 0;
  virtual void RebuildTree() = 0;
  virtual void EnableExportTags() = 0;
};

// How a transaction ended; the main window needs none of it (every failure
// has been reported), the command line turns it into its exit status.
enum class TransactionOutcome {
  Done,       // the sequence ran to its end
  Refused,    // a check refused it, nothing was sent
  Cancelled,  // the user said no, or cancelled the path choice or a wait
  Failed,     // a request failed; its report was shown
};

class ModuleTransactions {
 public:
  ModuleTransactions(ModuleLink& link, ConfigDocument& document, TransactionHost& host,
                     HeardConfig& heard, SleepFunction sleep = SleepMilliseconds);

  // Reads the module's configuration into the document. The document stays
  // as it was until the link is open; a failed read leaves it empty.
  TransactionOutcome UploadConfig();
  // Writes the document's configuration into the module's FLASH.
  TransactionOutcome DownloadConfig();
  // Has the module scan its serial network and builds the racks it heard.
  TransactionOutcome StartAutoConfiguration();

 private:
  void Report(const LinkResult& result, const std::string& title, MsgIcon icon);
  bool Prompt(const std::string& text);
  void Notice(const std::string& text);
  // Polls the heard record until the scan completes; false after a report.
  TransactionOutcome AwaitAutoScan(BusyScope& busy);

  ModuleLink& link_;
  ConfigDocument& document_;
  TransactionHost& host_;
  HeardConfig& heard_;
  SleepFunction sleep_;
  UserInterface& ui_;
  const ModuleVariant& variant_;
};

}  // namespace krn
