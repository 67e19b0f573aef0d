// Lookwell: the KRN-735 monitor configurator.
#include "shell/program_main.h"
#include "variants/lookwell/lookwell_app.h"

int main(int argc, char** argv) {
  return krn::shell::RunProgram<CMyLookwellApp>(krn::MonitorVariant(), argc, argv);
}
