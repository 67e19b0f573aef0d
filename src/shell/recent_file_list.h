// The two most recently used configuration files, most recent first, and
// the shortened texts the File menu shows for them.
#pragma once

#include <QString>
#include <QStringList>

namespace krn::shell {

inline constexpr int kRecentFileCount = 2;
inline constexpr int kRecentMenuTextWidth = 30;

// Whether two full paths name the same file: case is ignored only where the
// file system ignores it.
bool SamePath(const QString& a, const QString& b);

// At most `maxWidth` characters: the path whole when it fits, else its root,
// "...", and as many trailing folders as fit before the file name, which
// always stays whole. A file in `currentFolder` is shown by its name alone.
QString AbbreviatePath(const QString& path, int maxWidth, const QString& currentFolder);

class RecentFileList {
 public:
  const QStringList& Files() const { return files_; }
  bool IsEmpty() const { return files_.isEmpty(); }

  // Puts `path` first; an earlier entry of the same file goes, and the list
  // keeps only the newest kRecentFileCount.
  void Add(const QString& path);
  void Remove(int index);
  void Replace(const QStringList& files);

  // "&1 /…/plant/line4.lkw": the number is the item's mnemonic, and an "&"
  // of the path shows as itself.
  QString MenuText(int index, const QString& currentFolder) const;

 private:
  QStringList files_;
};

}  // namespace krn::shell
