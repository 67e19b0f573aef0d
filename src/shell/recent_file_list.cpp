#include "shell/recent_file_list.h"

#include <QDir>
#include <QFileInfo>

namespace krn::shell {

bool SamePath(const QString& a, const QString& b) {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
  const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
  return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
             .compare(QDir::cleanPath(QFileInfo(b).absoluteFilePath()), cs) == 0;
}

QString AbbreviatePath(const QString& path, int maxWidth, const QString& currentFolder) {
  const QFileInfo info(path);
  const QString name = info.fileName();
  if (!currentFolder.isEmpty() && SamePath(info.absolutePath(), currentFolder)) return name;

  const QString native = QDir::toNativeSeparators(path);
  if (native.size() <= maxWidth) return native;
  if (name.size() >= maxWidth) return name;

  const QChar sep = QDir::separator();
  QStringList parts = native.split(sep);
  // The root: "/" on Unix, "C:\" or "\\server\share\" on Windows.
  QString root;
  if (native.startsWith(QString(sep) + sep) && parts.size() > 4) {
    root = QString(sep) + sep + parts[2] + sep + parts[3] + sep;
    parts = parts.mid(4);
  } else {
    root = parts.first() + sep;
    parts = parts.mid(1);
  }
  const QString ellipsis = QStringLiteral("...");
  // Keep whole trailing folders as long as they fit.
  QString tail = name;
  for (int i = static_cast<int>(parts.size()) - 2; i >= 0; --i) {
    const QString candidate = parts[i] + sep + tail;
    if (root.size() + ellipsis.size() + 1 + candidate.size() > maxWidth) break;
    tail = candidate;
  }
  QString shortened = root + ellipsis + sep + tail;
  if (shortened.size() > maxWidth) shortened = ellipsis + sep + name;
  if (shortened.size() > maxWidth) shortened = name;
  return shortened;
}

void RecentFileList::Add(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  for (int i = static_cast<int>(files_.size()) - 1; i >= 0; --i)
    if (SamePath(files_[i], full)) files_.removeAt(i);
  files_.prepend(full);
  while (files_.size() > kRecentFileCount) files_.removeLast();
}

void RecentFileList::Remove(int index) {
  if (index >= 0 && index < files_.size()) files_.removeAt(index);
}

void RecentFileList::Replace(const QStringList& files) {
  files_.clear();
  for (auto it = files.crbegin(); it != files.crend(); ++it)
    if (!it->isEmpty()) Add(*it);
}

QString RecentFileList::MenuText(int index, const QString& currentFolder) const {
  if (index < 0 || index >= files_.size()) return {};
  QString shown = AbbreviatePath(files_[index], kRecentMenuTextWidth, currentFolder);
  shown.replace(QLatin1Char('&'), QLatin1String("&&"));
  return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

}  // namespace krn::shell
