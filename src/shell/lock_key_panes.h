// The "CAP", "NUM" and "SCRL" panes of the status bar. Each shows its text
// while its lock key is on; where the platform does not tell the lock
// states, the panes stay blank.
#pragma once

class QStatusBar;

namespace krn::shell {

void AddLockKeyPanes(QStatusBar& bar);

}  // namespace krn::shell
