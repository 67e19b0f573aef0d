// Pacewell: the KRN-735 scanner configurator.
#include <QApplication>

#include "shell/icons.h"
#include "variants/pacewell/pacewell_app.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Brightmoor"));
  QApplication::setApplicationName(QStringLiteral("Pacewell"));
  QApplication::setApplicationVersion(QString::fromStdString(krn::ScannerVariant().fileVersion));
  QApplication::setWindowIcon(krn::shell::ProgramIcon(krn::ScannerVariant()));
  QApplication::setDesktopFileName(QStringLiteral("pacewell"));

  CMyPacewellApp app;
  if (!app.InitInstance(QApplication::arguments().mid(1))) {
    app.ExitInstance();
    return 1;
  }
  const int status = QApplication::exec();
  app.ExitInstance();
  return status;
}
