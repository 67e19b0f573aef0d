// CPathSelectDlg, "RsLinx Path Selection": the module link asks the user
// for the module's path with it before each opening. It hosts the network
// browser (CRSWho); OK, or a double-click on a module, accepts the module
// selected at that moment.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/dtl.h"

class QPushButton;

namespace krn {

class CRSWho;

class CPathSelectDlg : public QDialog {
  Q_OBJECT

 public:
  // `settingsApplication` is the program whose settings remember the
  // browser's devices; `dtl` (made when none is given) carries the browse
  // requests and makes the target of the accepted path.
  explicit CPathSelectDlg(QString settingsApplication, QWidget* parent = nullptr,
                          std::unique_ptr<Dtl> dtl = nullptr);
  ~CPathSelectDlg() override;

  CRSWho* m_rsWho;
  // Set on acceptance: the driver and the route of the path's target (both
  // empty when no target could be made of it) and the path text.
  std::string m_driverName;
  std::vector<uint8_t> m_route;
  std::string m_routeText;

  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 public slots:
  // Takes the selection of the browser and closes with OK.
  void accept() override;

 private:
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace krn
