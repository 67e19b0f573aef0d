// Lookwell: the KRN-735 monitor configurator.
#include <QApplication>

#include "shell/icons.h"
#include "variants/lookwell/lookwell_app.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Brightmoor"));
  QApplication::setApplicationName(QStringLiteral("Lookwell"));
  QApplication::setApplicationVersion(QString::fromStdString(krn::MonitorVariant().fileVersion));
  QApplication::setWindowIcon(krn::shell::ProgramIcon(krn::MonitorVariant()));
  QApplication::setDesktopFileName(QStringLiteral("lookwell"));

  CMyLookwellApp app;
  if (!app.InitInstance(QApplication::arguments().mid(1))) {
    app.ExitInstance();
    return 1;
  }
  const int status = QApplication::exec();
  app.ExitInstance();
  return status;
}
