#include "cli/cli_files.h"

#include <CLI/CLI.hpp>

#include "config/atomic_file.h"
#include "config/document.h"
#include "config/input_file.h"

namespace krn::cli {

bool Refuse(CliContext& ctx, const std::string& text) {
  ctx.ui.Tell(text, MsgIcon::Exclamation);
  ctx.exitCode = kExitRefused;
  return false;
}

std::optional<ConfigImage> LoadConfigForCommand(CliContext& ctx, const std::string& path) {
  ConfigDocument doc(*ctx.variant, ctx.ui);
  if (!doc.OpenConfiguration(path) || doc.LastFormatError()) {
    ctx.exitCode = kExitRefused;  // the document has shown why
    return std::nullopt;
  }
  return doc.Image();
}

bool SaveConfigForCommand(CliContext& ctx, const ConfigImage& image, const std::string& inputPath,
                          const std::string& outPath) {
  ConfigDocument doc(*ctx.variant, ctx.ui);
  doc.Image() = image;
  if (!doc.SaveConfiguration(outPath.empty() ? inputPath : outPath)) {
    ctx.exitCode = kExitRefused;
    return false;
  }
  return true;
}

bool WriteTextFileForCommand(CliContext& ctx, const std::string& path, std::string_view content) {
  if (const FileStatus status = WriteFileAtomically(path, content); !status.ok())
    return Refuse(ctx, FileErrorText(status, path));
  return true;
}

std::optional<std::string> ReadFileForCommand(CliContext& ctx, const std::string& path,
                                              std::size_t maxBytes) {
  std::string content;
  if (const FileStatus status = ReadFileHead(path, content, maxBytes); !status.ok()) {
    Refuse(ctx, FileErrorText(status, path));
    return std::nullopt;
  }
  if (content.size() > maxBytes) {
    Refuse(ctx, path + " is larger than " + std::to_string(maxBytes) +
                    " bytes and cannot be the file this command expects.");
    return std::nullopt;
  }
  return content;
}

CLI::Option* AddOutputOption(CLI::App& command, std::string& outPath, bool required) {
  auto* option = command.add_option(
      "-o,--output", outPath,
      required ? "File to write" : "File to write (default: write back to the input file)");
  option->type_name("OUT");
  if (required) option->required();
  return option;
}

MsgResult NoticeOnlyUi::Message(const std::string& text, const std::string& title,
                                MsgButtons buttons, MsgIcon icon) {
  target_->Message(text, title, MsgButtons::Ok, icon);
  return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

}  // namespace krn::cli
