// Configuration files as the commands meet them: load one with the
// document's own open (same checks, same messages), write one atomically,
// and refuse a command with the system's message. Every failure is shown
// through ctx.ui (stderr) and sets ctx.exitCode to kExitRefused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_context.h"
#include "config/image.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace krn::cli {

// Shows `text` (exclamation, OK) and marks the command refused. Returns false
// so that callers can write `return Refuse(ctx, "...");`.
bool Refuse(CliContext& ctx, const std::string& text);

// Opens a configuration file as Open File does. A file error or a format
// error (string 152) is shown and refuses the command: a command never goes
// on with a configuration that was read only in part.
std::optional<ConfigImage> LoadConfigForCommand(CliContext& ctx, const std::string& path);

// Saves `image` as Save File does, atomically: to `outPath`, or back to
// `inputPath` when `outPath` is empty. A failure is shown and refuses the
// command; the previous file is then untouched and no new file is left.
bool SaveConfigForCommand(CliContext& ctx, const ConfigImage& image, const std::string& inputPath,
                          const std::string& outPath);

// Writes any text file (a tag export, for instance) atomically; a failure is
// shown with the file-error texts and refuses the command.
bool WriteTextFileForCommand(CliContext& ctx, const std::string& path, std::string_view content);

// Reads a whole (small) file; failures as above. `maxBytes` guards against
// being handed a huge file by mistake.
std::optional<std::string> ReadFileForCommand(CliContext& ctx, const std::string& path,
                                              std::size_t maxBytes = 1u << 20);

// The common `-o,--output OUT` option.
CLI::Option* AddOutputOption(CLI::App& command, std::string& outPath, bool required = false);

// A user interface for refusals that must not stop for an answer: the message
// goes to ctx.ui as a notice and every OK/Cancel box answers Cancel. Questions
// that should go on with --yes are asked through ctx.ui itself.
class NoticeOnlyUi : public UserInterface {
 public:
  explicit NoticeOnlyUi(UserInterface& target) : target_(&target) {}
  MsgResult Message(const std::string& text, const std::string& title, MsgButtons buttons,
                    MsgIcon icon) override;
  void BeginBusy() override { target_->BeginBusy(); }
  void EndBusy() override { target_->EndBusy(); }
  std::optional<std::string> ChooseModulePath() override { return target_->ChooseModulePath(); }

 private:
  UserInterface* target_;
};

}  // namespace krn::cli
