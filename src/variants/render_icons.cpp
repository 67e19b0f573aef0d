// Draws a program's icon at the sizes of the desktop's icon theme:
//   krn-render-icons lookwell|pacewell <hicolor folder>
// writes <folder>/<n>x<n>/apps/<program>.png for n = 16 ... 256.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "config/module_variant.h"
#include "shell/icons.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: krn-render-icons lookwell|pacewell <folder>\n");
    return 2;
  }
  const QString program = QString::fromLocal8Bit(argv[1]);
  const krn::ModuleVariant* variant = nullptr;
  if (program == QLatin1String("lookwell")) variant = &krn::MonitorVariant();
  if (program == QLatin1String("pacewell")) variant = &krn::ScannerVariant();
  if (!variant) {
    std::fprintf(stderr, "krn-render-icons: unknown program %s\n", argv[1]);
    return 2;
  }
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QString dir =
        QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
    const QString file = dir + QLatin1Char('/') + program + QStringLiteral(".png");
    if (!QDir().mkpath(dir) || !krn::shell::ProgramIconImage(*variant, size).save(file, "PNG")) {
      std::fprintf(stderr, "krn-render-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
