// One source, built once per variant: KRN_CLI_VARIANT names the variant's
// accessor (MonitorVariant or ScannerVariant).
#include "cli/cli_context.h"

int main(int argc, char** argv) { return krn::cli::Run(krn::KRN_CLI_VARIANT(), argc, argv); }
