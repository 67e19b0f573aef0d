// What every command of the command-line companion shares: the build's
// variant, the terminal's user interface and the exit status.
#pragma once

#include <string>

#include "config/module_variant.h"
#include "config/user_interface.h"

namespace CLI {
class App;
}

namespace krn::cli {

enum ExitCode { kExitOk = 0, kExitRefused = 1, kExitUsage = 2 };

// Messages go to stderr; questions are answered by `assumeYes`, else asked
// on the terminal, else refused when stdin is not a terminal.
class TerminalUi : public UserInterface {
 public:
  bool assumeYes = false;
  std::string modulePath;  // from --path; ChooseModulePath returns it

  MsgResult Message(const std::string& text, const std::string& title, MsgButtons buttons,
                    MsgIcon icon) override;
  void BeginBusy() override {}
  void EndBusy() override {}
  std::optional<std::string> ChooseModulePath() override;
  bool Progress(const ProgressStep& step) override;
  void EndProgress() override;

 private:
  bool progressShown_ = false;
};

struct CliContext {
  const ModuleVariant* variant = nullptr;
  TerminalUi ui;
  int exitCode = kExitOk;
};

// Each subsystem registers its commands; the callbacks set ctx.exitCode.
void RegisterConfigCommands(CLI::App& app, CliContext& ctx);
void RegisterLogixCommands(CLI::App& app, CliContext& ctx);
void RegisterLinkCommands(CLI::App& app, CliContext& ctx);

int Run(const ModuleVariant& variant, int argc, char** argv);

}  // namespace krn::cli
