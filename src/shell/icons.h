// The pictures of the desktop programs, drawn in code: toolbar buttons
// (16 x 15), the six tree images (16 x 16 on white) and the program icon.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "config/module_variant.h"

namespace krn::shell {

// The toolbar picture of a command (Start Auto Configuration, Upload,
// Download, About, Save File); a null icon for any other command.
QIcon ToolbarIcon(int command);

// The tree images in their index order: module, rack, input slot, output
// slot, slot without direction, empty slot.
QPixmap TreePixmap(int image);
inline constexpr int kTreeImageCount = 6;

// The program's icon at `size` pixels square; Lookwell and Pacewell differ in
// colour and badge so that the two are told apart in a task bar.
QImage ProgramIconImage(const ModuleVariant& variant, int size);
QIcon ProgramIcon(const ModuleVariant& variant);

}  // namespace krn::shell
