// The per-user settings of a desktop program: under the settings root
// "Brightmoor" and the program's name, the section "Settings" with the main
// window's restored rectangle and the section "Recent File List".
#pragma once

#include <QString>
#include <QStringList>

namespace krn::shell {

inline constexpr const char* kSettingsRoot = "Brightmoor";

// The main window's restored rectangle: left, top, right, bottom.
struct WindowRect {
  int minX = 20;
  int minY = 20;
  int maxX = 480;
  int maxY = 450;
  bool operator==(const WindowRect&) const = default;
};

class SettingsStore {
 public:
  explicit SettingsStore(QString applicationName);

  // A value that is absent or not a number reads as its default.
  WindowRect ReadWindowRect() const;
  void WriteWindowRect(const WindowRect& rect) const;

  // "File1", "File2", most recent first; absent entries are skipped.
  QStringList ReadRecentFiles(int count) const;
  void WriteRecentFiles(const QStringList& files, int count) const;

 private:
  QString applicationName_;
};

}  // namespace krn::shell
