#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "cli/cli_context.h"

namespace krn::cli {

namespace {

std::string Lowercase(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

MsgResult TerminalUi::Message(const std::string& text, const std::string& title, MsgButtons buttons,
                              MsgIcon icon) {
  (void)icon;
  EndProgress();
  if (!title.empty()) std::cerr << title << ": ";
  std::cerr << text << '\n';
  if (buttons == MsgButtons::Ok) return MsgResult::Ok;
  // A question or a refusal with OK and Cancel. Refusals end the command
  // whatever the answer, so only questions really need an answer here.
  if (assumeYes) return buttons == MsgButtons::YesNoCancel ? MsgResult::Yes : MsgResult::Ok;
  if (!isatty(STDIN_FILENO)) return MsgResult::Cancel;
  std::cerr << "Continue? [y/N] " << std::flush;
  std::string answer;
  std::getline(std::cin, answer);
  const bool yes = !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
  if (buttons == MsgButtons::YesNoCancel) return yes ? MsgResult::Yes : MsgResult::Cancel;
  return yes ? MsgResult::Ok : MsgResult::Cancel;
}

std::optional<std::string> TerminalUi::ChooseModulePath() {
  if (modulePath.empty()) return std::nullopt;
  return modulePath;
}

bool TerminalUi::Progress(const ProgressStep& step) {
  if (!isatty(STDERR_FILENO)) return true;
  if (step.total > 0)
    std::fprintf(stderr, "\r%s: %d/%d   ", step.text.c_str(), step.done, step.total);
  else
    std::fprintf(stderr, "\r%s: %d   ", step.text.c_str(), step.done);
  std::fflush(stderr);
  progressShown_ = true;
  return true;
}

void TerminalUi::EndProgress() {
  if (progressShown_) std::fputs("\n", stderr);
  progressShown_ = false;
}

int Run(const ModuleVariant& variant, int argc, char** argv) {
  CliContext ctx;
  ctx.variant = &variant;
  CLI::App app{variant.programName + " command-line companion: offline and online jobs of the " +
                   variant.programName + " configurator (KRN-735 " + variant.modeWord + " module)",
               Lowercase(variant.programName) + "-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", variant.fileVersion);
  app.add_flag("-y,--yes", ctx.ui.assumeYes,
               "Answer OK to every question (for example before addresses are cleared)");
  // Common options such as --yes may also stand after the command's name.
  app.fallthrough();

  RegisterConfigCommands(app, ctx);
  RegisterLogixCommands(app, ctx);
  RegisterLinkCommands(app, ctx);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? kExitOk : kExitUsage;
  }
  ctx.ui.EndProgress();
  return ctx.exitCode;
}

}  // namespace krn::cli
