// The entry of a desktop program: the Qt application with the build's names
// and icon, then the application object's start-up, message loop and exit.
#pragma once

#include <QApplication>

#include "config/module_variant.h"
#include "shell/icons.h"

namespace krn::shell {

template <typename App>
int RunProgram(const ModuleVariant& variant, int argc, char** argv) {
  QApplication qt(argc, argv);
  const QString name = QString::fromStdString(variant.programName);
  QApplication::setOrganizationName(QStringLiteral("Brightmoor"));
  QApplication::setApplicationName(name);
  QApplication::setApplicationVersion(QString::fromStdString(variant.fileVersion));
  QApplication::setWindowIcon(ProgramIcon(variant));
  QApplication::setDesktopFileName(name.toLower());

  App app;
  if (!app.InitInstance(QApplication::arguments().mid(1))) {
    app.ExitInstance();
    return 1;
  }
  const int status = QApplication::exec();
  app.ExitInstance();
  return status;
}

}  // namespace krn::shell
