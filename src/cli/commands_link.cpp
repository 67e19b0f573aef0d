// Module commands: explain a CIP status, and upload, download and
// auto-configure over a module path, with the same sequences, questions and
// reports as the desktop program.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/cli_context.h"
#include "cli/cli_files.h"
#include "config/document.h"
#include "config/messages.h"
#include "link/cipstatus.h"
#include "link/enip_dtl.h"
#include "link/modulelink.h"
#include "link/transactions.h"

namespace krn::cli {

namespace {

// Refusals (OK and Cancel without an icon) end a command whatever the
// answer, so they are shown without waiting for one; questions go to the
// terminal, where --yes answers them.
class ModuleCommandUi : public UserInterface {
 public:
  explicit ModuleCommandUi(TerminalUi& terminal) : terminal_(terminal) {}

  MsgResult Message(const std::string& text, const std::string& title, MsgButtons buttons,
                    MsgIcon icon) override {
    if (buttons == MsgButtons::OkCancel && icon == MsgIcon::None) {
      terminal_.Message(text, title, MsgButtons::Ok, icon);
      return MsgResult::Cancel;
    }
    return terminal_.Message(text, title, buttons, icon);
  }
  void BeginBusy() override { terminal_.BeginBusy(); }
  void EndBusy() override { terminal_.EndBusy(); }
  std::optional<std::string> ChooseModulePath() override { return terminal_.ChooseModulePath(); }
  bool Progress(const ProgressStep& step) override { return terminal_.Progress(step); }
  void EndProgress() override { terminal_.EndProgress(); }

 private:
  TerminalUi& terminal_;
};

// The command line has no tree and no menu: New File only empties the
// configuration.
class CommandHost : public TransactionHost {
 public:
  explicit CommandHost(ConfigDocument& document) : document_(document) {}
  bool NewFileKeepingLink() override {
    ClearImage(document_.Image(), document_.Variant());
    document_.SetModified(false);
    return true;
  }
  void RebuildTree() override {}
  void EnableExportTags() override {}

 private:
  ConfigDocument& document_;
};

// Everything one module command works with, opened on `path`.
struct ModuleSession {
  ModuleSession(CliContext& ctx, const std::string& path)
      : ui(ctx.ui),
        document(*ctx.variant, ui),
        link(dtl, *ctx.variant, ui),
        host(document),
        transactions(link, document, host, heard) {
    ctx.ui.modulePath = path;
  }

  ModuleCommandUi ui;
  EnipDtl dtl;
  ConfigDocument document;
  ModuleLink link;
  CommandHost host;
  HeardConfig heard{};
  ModuleTransactions transactions;
};

int ExitFor(TransactionOutcome outcome) {
  return outcome == TransactionOutcome::Done ? kExitOk : kExitRefused;
}

// A question that could not be asked: say how to answer it.
void ExplainUnansweredQuestion(CliContext& ctx, TransactionOutcome outcome) {
  if (outcome == TransactionOutcome::Cancelled && !ctx.ui.assumeYes && !isatty(STDIN_FILENO))
    std::cerr << "Nothing was sent to the module: the question needs an answer; pass --yes to "
                 "answer OK.\n";
}

const char* const kPathHelp =
    "module path DRIVER\\ADDRESS\\Backplane\\SLOT, e.g. ENET\\192.168.1.20\\Backplane\\3 or "
    "SIM\\local\\Backplane\\3";

void AddExplainStatus(CLI::App& app, CliContext& ctx) {
  auto* cmd = app.add_subcommand(
      "explain-status", "Show the text for a CIP general status and its first extended status");
  auto status = std::make_shared<uint32_t>(0);
  auto extended = std::make_shared<uint16_t>(0);
  cmd->add_option("STATUS", *status,
                  "status word or CIP general status (0x prefix for hexadecimal); only its low "
                  "byte counts")
      ->required();
  cmd->add_option("EXTENDED", *extended, "first extended-status word (0x prefix for hexadecimal)")
      ->required();
  cmd->callback([&ctx, status, extended] {
    std::string text = CipStatusText(*status, *extended);
    // One line break per line on the terminal.
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    std::cout << text << '\n';
    ctx.exitCode = kExitOk;
  });
}

void AddUpload(CLI::App& app, CliContext& ctx) {
  auto* cmd = app.add_subcommand(
      "upload", "Read the module's configuration and save it as a configuration file");
  auto path = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  cmd->add_option("--path", *path, kPathHelp)->required();
  AddOutputOption(*cmd, *out, /*required=*/true);
  cmd->callback([&ctx, path, out] {
    ModuleSession session(ctx, *path);
    const TransactionOutcome outcome = session.transactions.UploadConfig();
    // A failed read leaves an empty configuration: never save that.
    if (outcome == TransactionOutcome::Done &&
        !SaveConfigForCommand(ctx, session.document.Image(), {}, *out))
      return;
    ctx.exitCode = ExitFor(outcome);
  });
}

void AddDownload(CLI::App& app, CliContext& ctx) {
  auto* cmd = app.add_subcommand(
      "download", "Write a configuration file into the module's FLASH (clears the module first)");
  auto path = std::make_shared<std::string>();
  auto file = std::make_shared<std::string>();
  auto yes = std::make_shared<bool>(false);
  cmd->add_option("--path", *path, kPathHelp)->required();
  cmd->add_option("FILE", *file, "configuration file to download")->required();
  cmd->add_flag("--yes,-y", *yes, "answer OK to the question before the module is cleared");
  cmd->callback([&ctx, path, file, yes] {
    const std::optional<ConfigImage> image = LoadConfigForCommand(ctx, *file);
    if (!image) return;
    ctx.ui.assumeYes = *yes;
    ModuleSession session(ctx, *path);
    session.document.Image() = *image;
    const TransactionOutcome outcome = session.transactions.DownloadConfig();
    ExplainUnansweredQuestion(ctx, outcome);
    ctx.exitCode = ExitFor(outcome);
  });
}

void AddAutoConfig(CLI::App& app, CliContext& ctx) {
  auto* cmd = app.add_subcommand(
      "autoconfig",
      "Have the module scan its serial network and save the racks it heard as a configuration "
      "file (clears the module first)");
  auto path = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  auto yes = std::make_shared<bool>(false);
  cmd->add_option("--path", *path, kPathHelp)->required();
  AddOutputOption(*cmd, *out, /*required=*/true);
  cmd->add_flag("--yes,-y", *yes, "answer OK to the question before the module is cleared");
  cmd->callback([&ctx, path, out, yes] {
    ctx.ui.assumeYes = *yes;
    ModuleSession session(ctx, *path);
    const TransactionOutcome outcome = session.transactions.StartAutoConfiguration();
    ExplainUnansweredQuestion(ctx, outcome);
    if (outcome != TransactionOutcome::Done) {
      ctx.exitCode = ExitFor(outcome);
      return;
    }
    if (session.document.Image().NumRacks == 0) {
      // Nothing to build from; a heard record that was refused was reported.
      if (session.heard.RackCount == 0) Refuse(ctx, std::string(msg::kHeardNoRacks));
      ctx.exitCode = kExitRefused;
      return;
    }
    if (!SaveConfigForCommand(ctx, session.document.Image(), {}, *out)) return;
    ctx.exitCode = kExitOk;
  });
}

}  // namespace

void RegisterLinkCommands(CLI::App& app, CliContext& ctx) {
  AddExplainStatus(app, ctx);
  AddUpload(app, ctx);
  AddDownload(app, ctx);
  AddAutoConfig(app, ctx);
}

}  // namespace krn::cli
