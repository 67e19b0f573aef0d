// Pacewell: the KRN-735 scanner configurator.
#include "shell/program_main.h"
#include "variants/pacewell/pacewell_app.h"

int main(int argc, char** argv) {
  return krn::shell::RunProgram<CMyPacewellApp>(krn::ScannerVariant(), argc, argv);
}
