// Offline commands of the ControlLogix mapping: the configuration tree as
// text, the auto-allocation of ControlLogix addresses and the tag export.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "cli/cli_context.h"
#include "cli/cli_files.h"
#include "config/messages.h"
#include "config/racks.h"
#include "logix/allocation.h"
#include "logix/tag_export.h"
#include "logix/tree_labels.h"

namespace krn::cli {

namespace {

struct LogixArgs {
  std::string file;
  std::string out;
  unsigned slot = 0;
  bool inputOnly = false;
};

// The highest slot number of a ControlLogix chassis (17 slots).
constexpr unsigned kMaxChassisSlot = 16;

// 151 and 165 end the command whatever the answer, so they are notices here.
bool RefuseWithGate(CliContext& ctx, const std::string& text) {
  NoticeOnlyUi ui(ctx.ui);
  ui.Message(text, {}, MsgButtons::OkCancel, MsgIcon::None);
  ctx.exitCode = kExitRefused;
  return false;
}

bool DirectionsDefined(CliContext& ctx, const ConfigImage& image) {
  return AllDirectionsDefined(image) || RefuseWithGate(ctx, std::string(msg::kDirectionsMissing));
}

void ShowCommand(CliContext& ctx, const LogixArgs& a) {
  const auto image = LoadConfigForCommand(ctx, a.file);
  if (!image) return;
  std::string text = ModuleLabel(*image, *ctx.variant) + '\n';
  const int racks = static_cast<int>(std::min<uint32_t>(image->NumRacks, kMaxRacks));
  for (int r = 0; r < racks; ++r) {
    const RackRecord& rack = image->Racks[r];
    text += "  " + RackLabel(rack) + '\n';
    for (const std::string& label : SlotLabels(rack)) text += "    " + label + '\n';
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void AllocateCommand(CliContext& ctx, const LogixArgs& a) {
  auto image = LoadConfigForCommand(ctx, a.file);
  if (!image || !DirectionsDefined(ctx, *image)) return;
  if (!AllocateLogixAddresses(*image, *ctx.variant, ctx.ui)) {
    // The message said which space ran out; a half-allocated configuration
    // is not written.
    ctx.exitCode = kExitRefused;
    return;
  }
  UpdateCfgId(*image);
  SaveConfigForCommand(ctx, *image, a.file, a.out);
}

void ExportTagsCommand(CliContext& ctx, const LogixArgs& a) {
  const auto image = LoadConfigForCommand(ctx, a.file);
  if (!image || !DirectionsDefined(ctx, *image)) return;
  if (!AllAddressesDefined(*image)) {
    RefuseWithGate(ctx, msg::AddressesMissing(*ctx.variant));
    return;
  }
  const TagExportOptions options{.moduleSlot = a.slot, .inputOnly = a.inputOnly};
  WriteTextFileForCommand(ctx, a.out, TagExportText(*image, *ctx.variant, options));
}

std::string CheckFileName(const std::string& name) {
  if (name.find_first_not_of(" \t") == std::string::npos) return "OUT must name a file";
  return {};
}

}  // namespace

void RegisterLogixCommands(CLI::App& app, CliContext& ctx) {
  auto a = std::make_shared<LogixArgs>();
  const std::string fileHelp = "Configuration file (." + ctx.variant->fileExtension + ")";

  auto* show = app.add_subcommand(
      "show", "Print the configuration tree: the module, its racks and their slots");
  show->add_option("FILE", a->file, fileHelp)->required();
  show->callback([&ctx, a] { ShowCommand(ctx, *a); });

  auto* allocate = app.add_subcommand(
      "allocate", "Assign the ControlLogix address areas automatically (Auto-allocate)");
  allocate->add_option("FILE", a->file, fileHelp)->required();
  AddOutputOption(*allocate, a->out);
  allocate->callback([&ctx, a] { AllocateCommand(ctx, *a); });

  auto* exportTags =
      app.add_subcommand("export-tags", "Export Tags to a *.CSV file for Import into RSLogix5000");
  exportTags->add_option("FILE", a->file, fileHelp)->required();
  exportTags->add_option("--slot", a->slot, "The module's slot in the ControlLogix chassis")
      ->required()
      ->type_name("N")
      ->check(CLI::Range(0u, kMaxChassisSlot));
  AddOutputOption(*exportTags, a->out, true)->check(CLI::Validator(CheckFileName, "OUT"));
  if (ctx.variant->hasInputOnlyExport)
    exportTags->add_flag("--input-only", a->inputOnly,
                         "Leave out the scanner control register and the outputs");
  exportTags->callback([&ctx, a] { ExportTagsCommand(ctx, *a); });
}

}  // namespace krn::cli
