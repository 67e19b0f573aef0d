// CRSWho: the network browser of the path dialog. A tree of the drivers
// (ENET for EtherNet/IP devices, SIM for the built-in simulated chassis),
// under ENET the devices the user added by address (remembered in the
// settings), under a device its backplane and the modules that answer in
// its slots, each with its product name. A double-click on a module is the
// browser's accepting event.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

#include "link/chassis_browse.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace krn {

class CRSWho : public QWidget {
  Q_OBJECT

 public:
  enum class ItemKind { Driver, Device, Backplane, Module, Note };

  // `settingsApplication` is the program whose settings remember the ENET
  // devices ("Lookwell" or "Pacewell"); `dtl` carries the browse requests.
  CRSWho(QString settingsApplication, std::unique_ptr<Dtl> dtl, QWidget* parent = nullptr);
  ~CRSWho() override;

  // The current selection as a path text ("ENET\192.168.1.20\Backplane\3");
  // empty when nothing is selected.
  QString PathText() const;
  // The current selection's path object: what the Dtl makes a target of.
  std::string PathObject() const;
  bool ModuleSelected() const;
  ChassisBrowser& Browser() { return browser_; }

  // Adds a device under ENET, remembers it, selects it and browses it.
  // False (and a note below the tree) when the text names no device.
  bool AddDevice(const QString& address);
  // Forgets the selected ENET device.
  void RemoveSelectedDevice();
  // Asks the device who it is and probes its backplane again.
  void BrowseDevice(QTreeWidgetItem* device);
  // The item of a path text, or null.
  QTreeWidgetItem* FindItem(const QString& pathText) const;
  // Selects the item of a path text (browsing its device first when the
  // path names a module); false when it is not in the tree.
  bool SelectPath(const QString& pathText);

  QStringList RememberedDevices() const;
  static ItemKind KindOf(const QTreeWidgetItem* item);

  QTreeWidget* Tree() const { return tree_; }
  QLineEdit* AddressEdit() const { return address_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* RemoveButton() const { return remove_; }
  QPushButton* RefreshButton() const { return refresh_; }
  QString StatusText() const;

 signals:
  void selectionChanged();
  // A module was double-clicked.
  void moduleActivated();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTreeWidgetItem* AddDriver(const QString& driver, const QString& description);
  QTreeWidgetItem* AddDeviceItem(QTreeWidgetItem* driver, const QString& address);
  QTreeWidgetItem* DriverItem(const QString& driver) const;
  void Remember(const QStringList& devices) const;
  void UpdateButtons();
  void SetStatus(const QString& text, bool error = false);

  QString settingsApplication_;
  ChassisBrowser browser_;
  QTreeWidget* tree_;
  QLineEdit* address_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* refresh_;
  QLabel* status_;
};

}  // namespace krn
