// The tag export: a CSV file that RSLogix 5000 imports, declaring one alias
// tag for every digital point, analog channel and status word the module
// exchanges with the ControlLogix processor.
#pragma once

#include <cstdio>
#include <string>

#include "config/image.h"
#include "config/module_variant.h"

namespace krn {

struct TagExportOptions {
  unsigned moduleSlot = 0;  // the module's slot in the ControlLogix chassis
  bool inputOnly = false;   // scanner only: leave out the control register and the outputs
};

// Appends the whole file to `out`: the two header lines, then the build's
// sections; every line ends with CR LF. Tag names are built from the module
// name and the point's serial bit address; a double quote inside a column
// is doubled, so an odd module name cannot break the file's columns.
void AppendTagExport(const ConfigImage& image, const ModuleVariant& variant,
                     const TagExportOptions& options, std::string& out);
std::string TagExportText(const ConfigImage& image, const ModuleVariant& variant,
                          const TagExportOptions& options);

// Writes the file to an open stream in one write; false when it could not be
// written whole.
bool WriteTagExport(const ConfigImage& image, const ModuleVariant& variant, std::FILE* file,
                    const TagExportOptions& options);

}  // namespace krn
