// The About box: the program icon, the maker, the program's comment line
// and its version.
#pragma once

#include <QDialog>

#include "config/module_variant.h"

class QLabel;

namespace krn::shell {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(const ModuleVariant& variant, QWidget* parent);

  QString CommentsText() const;
  QString VersionText() const;

 private:
  QLabel* comments_;
  QLabel* version_;
};

}  // namespace krn::shell
