#include "shell/settings_store.h"

#include <QSettings>

namespace krn::shell {
namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kRecentSection = "Recent File List";

int ReadInt(const QSettings& s, const char* key, int fallback) {
  bool ok = false;
  const int v = s.value(QLatin1String(key)).toInt(&ok);
  return ok ? v : fallback;
}

}  // namespace

SettingsStore::SettingsStore(QString applicationName)
    : applicationName_(std::move(applicationName)) {}

WindowRect SettingsStore::ReadWindowRect() const {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kSettingsRoot),
              applicationName_);
  s.beginGroup(QLatin1String(kSettingsSection));
  const WindowRect d;
  return {ReadInt(s, "WinMinX", d.minX), ReadInt(s, "WinMinY", d.minY),
          ReadInt(s, "WinMaxX", d.maxX), ReadInt(s, "WinMaxY", d.maxY)};
}

void SettingsStore::WriteWindowRect(const WindowRect& rect) const {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kSettingsRoot),
              applicationName_);
  s.beginGroup(QLatin1String(kSettingsSection));
  s.setValue(QStringLiteral("WinMinX"), rect.minX);
  s.setValue(QStringLiteral("WinMinY"), rect.minY);
  s.setValue(QStringLiteral("WinMaxX"), rect.maxX);
  s.setValue(QStringLiteral("WinMaxY"), rect.maxY);
}

QStringList SettingsStore::ReadRecentFiles(int count) const {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kSettingsRoot),
              applicationName_);
  s.beginGroup(QLatin1String(kRecentSection));
  QStringList files;
  for (int i = 1; i <= count; ++i) {
    const QString path = s.value(QStringLiteral("File%1").arg(i)).toString();
    if (!path.isEmpty()) files.append(path);
  }
  return files;
}

void SettingsStore::WriteRecentFiles(const QStringList& files, int count) const {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kSettingsRoot),
              applicationName_);
  s.beginGroup(QLatin1String(kRecentSection));
  for (int i = 1; i <= count; ++i) {
    const QString key = QStringLiteral("File%1").arg(i);
    if (i <= files.size())
      s.setValue(key, files[i - 1]);
    else
      s.remove(key);
  }
}

}  // namespace krn::shell
