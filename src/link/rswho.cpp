#include "link/rswho.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "shell/settings_store.h"

namespace krn {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kDriverRole = Qt::UserRole + 2;
constexpr int kAddressRole = Qt::UserRole + 3;
constexpr int kBrowsedRole = Qt::UserRole + 4;

const QString kEnetDriver = QStringLiteral("ENET");
const QString kSimDriver = QStringLiteral("SIM");
// The SIM driver's one device: the chassis built into the program.
const QString kSimAddress = QStringLiteral("local");

constexpr const char* kSettingsSection = "RSWho";
constexpr const char* kDevicesValue = "EnetDevices";

QString DriverDescription(const QString& driver) {
  if (driver == kEnetDriver) return QStringLiteral("EtherNet/IP");
  if (driver == kSimDriver) return QStringLiteral("Simulated chassis (built in)");
  return {};
}

QString Latin(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The wait cursor while the network is asked; the browser blocks the
// dialog for at most a few short time-outs.
class BrowseCursor {
 public:
  BrowseCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BrowseCursor() { QApplication::restoreOverrideCursor(); }
  BrowseCursor(const BrowseCursor&) = delete;
  BrowseCursor& operator=(const BrowseCursor&) = delete;
};

QTreeWidgetItem* DeviceOf(QTreeWidgetItem* item) {
  while (item && CRSWho::KindOf(item) != CRSWho::ItemKind::Device) item = item->parent();
  return item;
}

}  // namespace

CRSWho::CRSWho(QString settingsApplication, std::unique_ptr<Dtl> dtl, QWidget* parent)
    : QWidget(parent),
      settingsApplication_(std::move(settingsApplication)),
      browser_(std::move(dtl)) {
  setObjectName(QStringLiteral("CRSWho"));
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("rswhoTree"));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setUniformRowHeights(true);

  auto* label = new QLabel(QStringLiteral("Device &address:"), this);
  address_ = new QLineEdit(this);
  address_->setObjectName(QStringLiteral("rswhoAddress"));
  address_->setPlaceholderText(QStringLiteral("host or host:port"));
  address_->setToolTip(
      QStringLiteral("An EtherNet/IP device (bridge module) by host name or IP address,\n"
                     "optionally with its TCP port, for example 192.168.1.20 or 10.0.0.5:44818"));
  address_->installEventFilter(this);
  label->setBuddy(address_);
  add_ = new QPushButton(QStringLiteral("A&dd Device"), this);
  add_->setAutoDefault(false);
  remove_ = new QPushButton(QStringLiteral("&Remove Device"), this);
  remove_->setAutoDefault(false);
  refresh_ = new QPushButton(QStringLiteral("Re&fresh"), this);
  refresh_->setAutoDefault(false);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("rswhoStatus"));
  status_->setWordWrap(true);

  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(address_, 1);
  row->addWidget(add_);
  row->addWidget(remove_);
  row->addWidget(refresh_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tree_, 1);
  layout->addLayout(row);
  layout->addWidget(status_);

  for (const std::string& name : browser_.Drivers()) {
    const QString driver = Latin(name);
    QTreeWidgetItem* item = AddDriver(driver, DriverDescription(driver));
    if (driver == kEnetDriver) {
      for (const QString& device : RememberedDevices()) AddDeviceItem(item, device);
    } else if (driver == kSimDriver) {
      AddDeviceItem(item, kSimAddress);
    }
    item->setExpanded(true);
  }

  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (KindOf(item) == ItemKind::Device && !item->data(0, kBrowsedRole).toBool())
      BrowseDevice(item);
  });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
    UpdateButtons();
    emit selectionChanged();
  });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (KindOf(item) == ItemKind::Module) emit moduleActivated();
  });
  connect(add_, &QPushButton::clicked, this, [this] { AddDevice(address_->text()); });
  connect(remove_, &QPushButton::clicked, this, &CRSWho::RemoveSelectedDevice);
  connect(refresh_, &QPushButton::clicked, this,
          [this] { BrowseDevice(DeviceOf(tree_->currentItem())); });

  // The built-in chassis answers at once: show it browsed.
  if (QTreeWidgetItem* sim = FindItem(kSimDriver + QLatin1Char('\\') + kSimAddress))
    sim->setExpanded(true);
  SetStatus(
      QStringLiteral("Choose the KRN-735 module. Add an EtherNet/IP device by its address "
                     "to browse its backplane."));
  UpdateButtons();
}

CRSWho::~CRSWho() = default;

CRSWho::ItemKind CRSWho::KindOf(const QTreeWidgetItem* item) {
  return item ? static_cast<ItemKind>(item->data(0, kKindRole).toInt()) : ItemKind::Note;
}

QString CRSWho::PathText() const {
  const QTreeWidgetItem* item = tree_->currentItem();
  return item ? item->data(0, kPathRole).toString() : QString();
}

std::string CRSWho::PathObject() const {
  return PathText().toStdString();
}

bool CRSWho::ModuleSelected() const {
  return KindOf(tree_->currentItem()) == ItemKind::Module;
}

QString CRSWho::StatusText() const {
  return status_->text();
}

QTreeWidgetItem* CRSWho::AddDriver(const QString& driver, const QString& description) {
  auto* item = new QTreeWidgetItem(tree_);
  item->setText(0, description.isEmpty() ? driver : driver + QStringLiteral(", ") + description);
  item->setIcon(0, style()->standardIcon(QStyle::SP_DriveNetIcon));
  item->setData(0, kKindRole, static_cast<int>(ItemKind::Driver));
  item->setData(0, kPathRole, driver);
  item->setData(0, kDriverRole, driver);
  return item;
}

QTreeWidgetItem* CRSWho::AddDeviceItem(QTreeWidgetItem* driver, const QString& address) {
  auto* item = new QTreeWidgetItem(driver);
  const QString name = driver->data(0, kDriverRole).toString();
  item->setText(0, address);
  item->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
  item->setData(0, kKindRole, static_cast<int>(ItemKind::Device));
  item->setData(0, kPathRole, name + QLatin1Char('\\') + address);
  item->setData(0, kDriverRole, name);
  item->setData(0, kAddressRole, address);
  item->setData(0, kBrowsedRole, false);
  // Its backplane is probed when it is first opened.
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return item;
}

QTreeWidgetItem* CRSWho::DriverItem(const QString& driver) const {
  for (int i = 0; i < tree_->topLevelItemCount(); ++i)
    if (tree_->topLevelItem(i)->data(0, kDriverRole).toString() == driver)
      return tree_->topLevelItem(i);
  return nullptr;
}

QStringList CRSWho::RememberedDevices() const {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(shell::kSettingsRoot),
              settingsApplication_);
  s.beginGroup(QLatin1String(kSettingsSection));
  QStringList devices;
  for (const QString& d : s.value(QLatin1String(kDevicesValue)).toStringList())
    if (!d.trimmed().isEmpty() && !devices.contains(d.trimmed(), Qt::CaseInsensitive))
      devices << d.trimmed();
  return devices;
}

void CRSWho::Remember(const QStringList& devices) const {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(shell::kSettingsRoot),
              settingsApplication_);
  s.beginGroup(QLatin1String(kSettingsSection));
  s.setValue(QLatin1String(kDevicesValue), devices);
}

bool CRSWho::AddDevice(const QString& text) {
  const QString address = text.trimmed();
  QTreeWidgetItem* enet = DriverItem(kEnetDriver);
  if (!enet || !browser_.IsDeviceAddress(kEnetDriver.toStdString(), address.toStdString())) {
    SetStatus(QStringLiteral("\"%1\" is not a device address. Type a host name or an IP address, "
                             "optionally with its port, for example 192.168.1.20 or "
                             "192.168.1.20:44818.")
                  .arg(address),
              true);
    return false;
  }
  QTreeWidgetItem* device = nullptr;
  for (int i = 0; i < enet->childCount(); ++i)
    if (enet->child(i)->data(0, kAddressRole).toString().compare(address, Qt::CaseInsensitive) == 0)
      device = enet->child(i);
  if (!device) {
    device = AddDeviceItem(enet, address);
    QStringList devices = RememberedDevices();
    devices << address;
    Remember(devices);
  }
  address_->clear();
  enet->setExpanded(true);
  tree_->setCurrentItem(device);
  device->setExpanded(true);  // browses it the first time
  return true;
}

void CRSWho::RemoveSelectedDevice() {
  QTreeWidgetItem* device = DeviceOf(tree_->currentItem());
  if (!device || device->data(0, kDriverRole).toString() != kEnetDriver) return;
  const QString address = device->data(0, kAddressRole).toString();
  QStringList devices = RememberedDevices();
  devices.removeIf([&](const QString& d) { return d.compare(address, Qt::CaseInsensitive) == 0; });
  Remember(devices);
  delete device;
  SetStatus(QStringLiteral("%1 removed from the list.").arg(address));
  UpdateButtons();
  emit selectionChanged();
}

void CRSWho::BrowseDevice(QTreeWidgetItem* device) {
  if (KindOf(device) != ItemKind::Device) return;
  const QString driver = device->data(0, kDriverRole).toString();
  const QString address = device->data(0, kAddressRole).toString();
  const QString devicePath = device->data(0, kPathRole).toString();
  const bool wasCurrent = DeviceOf(tree_->currentItem()) == device;
  const QString selected = PathText();
  device->setData(0, kBrowsedRole, true);
  qDeleteAll(device->takeChildren());

  SetStatus(QStringLiteral("Browsing %1 ...").arg(devicePath));
  status_->repaint();
  BrowseCursor cursor;
  auto note = [&](QTreeWidgetItem* parent, const std::string& text) {
    auto* item = new QTreeWidgetItem(parent);
    item->setText(0, Latin(text));
    item->setData(0, kKindRole, static_cast<int>(ItemKind::Note));
    item->setFlags(Qt::ItemIsEnabled);
    item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
  };

  const DeviceAnswer who = browser_.Identify(driver.toStdString(), address.toStdString());
  if (!who.answered) {
    device->setText(0, address + QStringLiteral(" (not answering)"));
    note(device, who.error);
    device->setExpanded(true);
    SetStatus(Latin(who.error), true);
    return;
  }
  device->setText(0, address + QStringLiteral(", ") + Latin(who.identity.productName));

  const BackplaneAnswer backplane =
      browser_.ProbeBackplane(driver.toStdString(), address.toStdString());
  auto* bus = new QTreeWidgetItem(device);
  bus->setText(0, QStringLiteral("Backplane"));
  bus->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  bus->setData(0, kKindRole, static_cast<int>(ItemKind::Backplane));
  bus->setData(0, kPathRole, devicePath + QStringLiteral("\\Backplane"));
  for (const BrowsedModule& m : backplane.modules) {
    auto* item = new QTreeWidgetItem(bus);
    item->setText(0, QStringLiteral("%1, %2")
                         .arg(m.slot, 2, 10, QLatin1Char('0'))
                         .arg(Latin(m.identity.productName)));
    item->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    item->setData(0, kKindRole, static_cast<int>(ItemKind::Module));
    item->setData(0, kPathRole, devicePath + QStringLiteral("\\Backplane\\%1").arg(m.slot));
  }
  if (!backplane.error.empty()) {
    note(bus, backplane.error);
    SetStatus(Latin(backplane.error), true);
  } else if (backplane.modules.empty()) {
    note(bus, "No module answered in slots 0 to " + std::to_string(kBrowseLastSlot));
    SetStatus(QStringLiteral("No module answered in the backplane of %1.").arg(devicePath));
  } else {
    SetStatus(QStringLiteral("%1: %2 module(s) in the backplane. Choose the KRN-735 module.")
                  .arg(devicePath)
                  .arg(backplane.modules.size()));
  }
  device->setExpanded(true);
  bus->setExpanded(true);
  // A refresh keeps the selection where it still exists.
  if (wasCurrent) {
    QTreeWidgetItem* again = FindItem(selected);
    tree_->setCurrentItem(again ? again : device);
  }
}

QTreeWidgetItem* CRSWho::FindItem(const QString& pathText) const {
  if (pathText.isEmpty()) return nullptr;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it)
    if ((*it)->data(0, kPathRole).toString() == pathText) return *it;
  return nullptr;
}

bool CRSWho::SelectPath(const QString& pathText) {
  const QStringList parts = pathText.split(QLatin1Char('\\'));
  if (parts.size() >= 2) {
    const QString device = parts[0] + QLatin1Char('\\') + parts[1];
    if (QTreeWidgetItem* item = FindItem(device); item && !item->data(0, kBrowsedRole).toBool())
      item->setExpanded(true);
  }
  QTreeWidgetItem* item = FindItem(pathText);
  if (!item) return false;
  tree_->setCurrentItem(item);
  tree_->scrollToItem(item);
  return true;
}

void CRSWho::UpdateButtons() {
  QTreeWidgetItem* device = DeviceOf(tree_->currentItem());
  remove_->setEnabled(device && device->data(0, kDriverRole).toString() == kEnetDriver);
  refresh_->setEnabled(device != nullptr);
}

void CRSWho::SetStatus(const QString& text, bool error) {
  status_->setText(text);
  QPalette p = palette();
  if (error) p.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
  status_->setPalette(p);
}

bool CRSWho::eventFilter(QObject* watched, QEvent* event) {
  // Return in the address field adds the device instead of accepting the
  // dialog around the browser.
  if (watched == address_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (!address_->text().trimmed().isEmpty()) AddDevice(address_->text());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace krn
