#include "config/module_variant.h"

namespace krn {

const ModuleVariant& MonitorVariant() {
  static const ModuleVariant v{
      .kind = ModuleKind::Monitor,
      .programName = "Lookwell",
      .fileExtension = "lkw",
      .fileFilter = "Lookwell Files (*.lkw)",
      .docTypeId = "Lookwell.Document",
      .docTypeName = "Lookwell Document",
      .checkPattern = 0x54CD35EDu,
      .hasPushPullOption = false,
      .hasDeleteRack = true,
      .outputArea = 2,
      .hasInputOnlyExport = false,
      .moduleWord = "Sentry",
      .modeWord = "Monitor",
      .vendorId = 1733,
      .productCode = 1021,
      .productName = "CLX-KRN735-MON",
      .heardPollMs = 300,
      .checksumInvalidText = "Lookwell Invalid, CheckSum Invalid",
      .autoScanTimeoutTitle = "KRN Monitor AutoScan",
      .fileVersion = "1.0.6",
      .comments = "KRN-735 Serial I/O Monitor Configuration Utility",
  };
  return v;
}

const ModuleVariant& ScannerVariant() {
  static const ModuleVariant v{
      .kind = ModuleKind::Scanner,
      .programName = "Pacewell",
      .fileExtension = "pcw",
      .fileFilter = "Pacewell Files (*.pcw)",
      .docTypeId = "Pacewell.Document",
      .docTypeName = "Pacewell Document",
      .checkPattern = 0x54BC35DCu,
      .hasPushPullOption = true,
      .hasDeleteRack = false,
      .outputArea = 3,
      .hasInputOnlyExport = true,
      .moduleWord = "Pacer",
      .modeWord = "Scanner",
      .vendorId = 1733,
      .productCode = 1020,
      .productName = "CLX-KRN735-MAS",
      .heardPollMs = 100,
      .checksumInvalidText = "Fernhall Invalid, CheckSum Invalid",
      .autoScanTimeoutTitle = "KRN Master AutoScan",
      .fileVersion = "1.0.5",
      .comments = "KRN-735 Serial I/O Scanner Configuration Utility",
  };
  return v;
}

}  // namespace krn
