// Everything that differs between the monitor build (Lookwell) and the scanner
// build (Pacewell). The variant is a value handed to the core, never a macro.
#pragma once

#include <cstdint>
#include <string>

namespace krn {

enum class ModuleKind { Monitor, Scanner };

struct ModuleVariant {
  ModuleKind kind;

  // Names (program, document type, files).
  std::string programName;    // "Lookwell" / "Pacewell"
  std::string fileExtension;  // "lkw" / "pcw" (without the dot)
  std::string fileFilter;     // "Lookwell Files (*.lkw)"
  std::string docTypeId;      // "Lookwell.Document"
  std::string docTypeName;    // "Lookwell Document"

  // Configuration image.
  uint32_t checkPattern;
  bool hasPushPullOption;  // Options bit 0 means OnePushPullPerScan
  bool hasDeleteRack;

  // ControlLogix mapping: the LogixArea code that receives the outputs
  // (2, S.Data, in the monitor; 3, O.Data, in the scanner) and whether the
  // tag export offers to leave out the control register and the outputs.
  uint8_t outputArea;
  bool hasInputOnlyExport;

  // Words that name the module in texts.
  std::string moduleWord;  // "Sentry" / "Pacer"
  std::string modeWord;    // "Monitor" / "Scanner"

  // Identity the module link expects.
  uint16_t vendorId;
  uint16_t productCode;
  std::string productName;  // 14 characters

  // Auto-scan poll interval between two heard reads.
  int heardPollMs;

  // Module texts that are not built from the words above.
  std::string checksumInvalidText;   // a module image whose words do not add up to 0
  std::string autoScanTimeoutTitle;  // title of the auto-scan time-out report

  // Version data the About box shows (FileVersion and Comments).
  std::string fileVersion;  // "1.0.6" / "1.0.5"
  std::string comments;

  bool IsMonitor() const { return kind == ModuleKind::Monitor; }
  bool IsScanner() const { return kind == ModuleKind::Scanner; }
};

const ModuleVariant& MonitorVariant();
const ModuleVariant& ScannerVariant();

}  // namespace krn
