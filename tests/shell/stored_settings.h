// Each widget test starts from empty per-user settings of both programs.
#pragma once

#include <QSettings>

#include "shell/settings_store.h"

namespace krn::shell::test {

inline void ClearStoredSettings() {
  for (const char* program : {"Lookwell", "Pacewell"})
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kSettingsRoot),
              QLatin1String(program))
        .clear();
}

}  // namespace krn::shell::test
