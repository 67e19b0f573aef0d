#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace krn::cli {

void RegisterConfigCommands(CLI::App& app, CliContext& ctx) {
  (void)app;
  (void)ctx;
}

}  // namespace krn::cli
