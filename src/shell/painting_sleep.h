// A wait on the user-interface thread during module work (between polls,
// before a retry) that keeps the windows painting. The user's input waits
// until the work asks for it (a progress step that can be cancelled).
#pragma once

namespace krn::shell {

void PaintingSleep(int milliseconds);

}  // namespace krn::shell
