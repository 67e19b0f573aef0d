// Offline commands on configuration files: the empty configuration, the
// signature, the build from a heard record, and the edits of the Rack and
// Module Properties dialogs and of Delete Rack.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "cli/cli_context.h"
#include "cli/cli_files.h"
#include "config/document.h"
#include "config/edits.h"
#include "config/heard_config.h"
#include "config/messages.h"
#include "config/racks.h"
#include "config/slot_kinds.h"

namespace krn::cli {

namespace {

struct ConfigArgs {
  std::string file;
  std::string out;
  std::string heard;
  std::string dirs;
  std::string name;
  int rack = -1;
  bool onePushPull = false;
  bool allPushPull = false;
  std::vector<std::string> ignored;
};

char SlotLetter(int slot) {
  return static_cast<char>('A' + slot);
}

// Refuses a rack index the configuration does not have.
bool CheckRackIndex(CliContext& ctx, const ConfigImage& image, int rack) {
  if (rack >= 0 && static_cast<uint32_t>(rack) < image.NumRacks) return true;
  if (image.NumRacks == 0) return Refuse(ctx, "The configuration has no racks.");
  return Refuse(ctx, "Rack " + std::to_string(rack) + " does not exist: the configuration has " +
                         std::to_string(image.NumRacks) + " rack(s), numbered 0 to " +
                         std::to_string(image.NumRacks - 1) + ".");
}

std::string CheckDirections(const std::string& dirs) {
  if (dirs.size() != kSlotsPerRack)
    return "DIRS must have 12 characters, one per slot A to L (I, O, U, or . or - for unchanged)";
  for (const char c : dirs)
    if (std::string_view("IOUiou.-").find(c) == std::string_view::npos)
      return std::string("DIRS may hold only I, O, U, . and -, not '") + c + "'";
  return {};
}

void NewCommand(CliContext& ctx, const ConfigArgs& a) {
  ConfigDocument doc(*ctx.variant, ctx.ui);
  doc.NewConfiguration();
  SaveConfigForCommand(ctx, doc.Image(), {}, a.out);
}

void SignatureCommand(CliContext& ctx, const ConfigArgs& a) {
  const auto image = LoadConfigForCommand(ctx, a.file);
  if (!image) return;
  std::printf("%08x\n", static_cast<unsigned>(image->CfgId));
}

void FromHeardCommand(CliContext& ctx, const ConfigArgs& a) {
  const auto bytes = ReadFileForCommand(ctx, a.heard, kHeardConfigSize);
  if (!bytes) return;
  if (bytes->size() != kHeardConfigSize) {
    Refuse(ctx, a.heard + " holds " + std::to_string(bytes->size()) +
                    " bytes; a heard configuration record has exactly 228.");
    return;
  }
  const HeardConfig heard = DecodeHeardConfig(reinterpret_cast<const uint8_t*>(bytes->data()));
  if (!heard.ScanComplete()) {
    Refuse(ctx, std::string(msg::kHeardIncomplete));
    return;
  }
  if (heard.RackCount == 0) {
    Refuse(ctx, std::string(msg::kHeardNoRacks));
    return;
  }
  ConfigImage image;
  ClearImage(image, *ctx.variant);
  NoticeOnlyUi ui(ctx.ui);  // a refusal here ends the command whatever the answer
  if (!BuildFromHeard(image, heard, *ctx.variant, ui)) {
    ctx.exitCode = kExitRefused;
    return;
  }
  SaveConfigForCommand(ctx, image, {}, a.out);
}

void SetDirectionsCommand(CliContext& ctx, const ConfigArgs& a) {
  auto image = LoadConfigForCommand(ctx, a.file);
  if (!image || !CheckRackIndex(ctx, *image, a.rack)) return;
  RackRecord& rack = image->Racks[a.rack];
  std::array<DirectionChoice, kSlotsPerRack> choices{};
  for (int s = 0; s < kSlotsPerRack; ++s) {
    const DirectionChoice shown = ShownDirection(rack.IOTypeArray[s]);
    DirectionChoice wanted = shown;
    switch (a.dirs[s]) {
      case 'I':
      case 'i': wanted = DirectionChoice::Input; break;
      case 'O':
      case 'o': wanted = DirectionChoice::Output; break;
      case 'U':
      case 'u': wanted = DirectionChoice::Undefined; break;
      default: break;
    }
    // The dialog greys an empty slot's choice: it cannot be changed.
    if (wanted != shown && !SlotOccupied(rack, s)) {
      Refuse(ctx, std::string("Slot ") + SlotLetter(s) + " of rack " + std::to_string(a.rack) +
                      " is empty; its direction cannot be changed.");
      return;
    }
    choices[s] = wanted;
  }
  StoreRackDirections(rack, choices);
  UpdateCfgId(*image);
  SaveConfigForCommand(ctx, *image, a.file, a.out);
}

void SetNameCommand(CliContext& ctx, const ConfigArgs& a) {
  if (a.name.size() > static_cast<std::size_t>(kModuleNameMax)) {
    Refuse(ctx, msg::TooManyCharacters(kModuleNameMax));
    return;
  }
  if (a.name.find_first_of("\r\n") != std::string::npos) {
    Refuse(ctx, "The module name cannot contain a line break.");
    return;
  }
  auto image = LoadConfigForCommand(ctx, a.file);
  if (!image) return;
  bool onePerScan = OnePushPullPerScan(*image);
  if (a.onePushPull) onePerScan = true;
  if (a.allPushPull) onePerScan = false;
  StoreModuleProperties(*image, *ctx.variant, a.name, onePerScan);
  UpdateCfgId(*image);
  SaveConfigForCommand(ctx, *image, a.file, a.out);
}

void DeleteRackCommand(CliContext& ctx, const ConfigArgs& a) {
  auto image = LoadConfigForCommand(ctx, a.file);
  if (!image || !CheckRackIndex(ctx, *image, a.rack)) return;
  if (AllAddressesDefined(*image) &&
      ctx.ui.Message(std::string(msg::kClearAddressesQuestion), {}, MsgButtons::OkCancel,
                     MsgIcon::None) != MsgResult::Ok) {
    Refuse(ctx, "Nothing was changed (add --yes to confirm).");
    return;
  }
  DeleteRack(*image, a.rack);
  UpdateCfgId(*image);
  SaveConfigForCommand(ctx, *image, a.file, a.out);
}

}  // namespace

void RegisterConfigCommands(CLI::App& app, CliContext& ctx) {
  auto a = std::make_shared<ConfigArgs>();
  const std::string ext = "." + ctx.variant->fileExtension;

  auto* create = app.add_subcommand("new", "Write the empty configuration, as New File makes it");
  AddOutputOption(*create, a->out, true);
  create->callback([&ctx, a] { NewCommand(ctx, *a); });

  auto* signature = app.add_subcommand(
      "signature", "Print the configuration's signature (Cfg Id) as 8 hex digits");
  signature->add_option("FILE", a->file, "Configuration file (" + ext + ")")->required();
  signature->callback([&ctx, a] { SignatureCommand(ctx, *a); });

  auto* fromHeard = app.add_subcommand(
      "from-heard", "Build a configuration from a raw 228-byte heard configuration record");
  fromHeard->add_option("HEARD", a->heard, "Heard configuration record file")->required();
  AddOutputOption(*fromHeard, a->out, true);
  fromHeard->callback([&ctx, a] { FromHeardCommand(ctx, *a); });

  auto* dirs = app.add_subcommand(
      "set-directions", "Set the slot directions of one rack, as the Rack Properties dialog does");
  dirs->add_option("FILE", a->file, "Configuration file (" + ext + ")")->required();
  dirs->add_option("--rack", a->rack, "Rack index as stored, from 0")->required()->type_name("R");
  dirs->add_option("DIRS", a->dirs,
                   "12 characters for slots A to L: I input, O output, U undefined, . or - "
                   "unchanged (put a DIRS that starts with - after --)")
      ->required()
      ->check(CLI::Validator(CheckDirections, "DIRS"));
  AddOutputOption(*dirs, a->out);
  dirs->callback([&ctx, a] { SetDirectionsCommand(ctx, *a); });

  auto* name = app.add_subcommand(
      "set-name",
      "Set the module name" +
          std::string(ctx.variant->hasPushPullOption ? " and the push/pull option" : "") +
          ", as the Module Properties dialog does");
  name->add_option("FILE", a->file, "Configuration file (" + ext + ")")->required();
  name->add_option("NAME", a->name, "Module name, at most 15 characters (may be empty)")
      ->required();
  if (ctx.variant->hasPushPullOption) {
    auto* one =
        name->add_flag("--one-push-pull", a->onePushPull, "Scan One Push/Pull card per scan");
    auto* all = name->add_flag("--all-push-pull", a->allPushPull, "All Push/Pull cards per scan");
    one->excludes(all);
  }
  AddOutputOption(*name, a->out);
  name->callback([&ctx, a] { SetNameCommand(ctx, *a); });

  if (ctx.variant->hasDeleteRack) {
    auto* del = app.add_subcommand(
        "delete-rack",
        "Delete a rack; the later racks move up and all ControlLogix addresses are "
        "cleared");
    del->add_option("FILE", a->file, "Configuration file (" + ext + ")")->required();
    del->add_option("R", a->rack, "Rack index as stored, from 0")->required();
    AddOutputOption(*del, a->out);
    del->callback([&ctx, a] { DeleteRackCommand(ctx, *a); });
  } else {
    // Not offered by the scanner build; say so instead of a generic parse error.
    auto* del = app.add_subcommand("delete-rack", "");
    del->group("");
    del->add_option("ARGS", a->ignored)->allow_extra_args();
    const std::string program = app.get_name();
    del->callback([&ctx, program] {
      std::fprintf(stderr, "delete-rack is not available in %s: %s has no Delete Rack command.\n",
                   program.c_str(), ctx.variant->programName.c_str());
      ctx.exitCode = kExitUsage;
    });
  }
}

}  // namespace krn::cli
