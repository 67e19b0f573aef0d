// The configuration tree (CMyLookwellView / CMyPacewellView derive from
// it): the module as the root, its racks, and twelve slots per rack, each
// labelled with what matters (address, card, I/O range, ControlLogix
// address). A right-click on the module's or a rack's label opens its menu:
// Module Properties and Auto-allocate, or Rack Properties and (monitor only)
// Delete Rack. After each change it relabels or rebuilds what changed.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <array>
#include <functional>

#include "config/image.h"

class QMenu;

namespace krn {
class UserInterface;
}

namespace krn::shell {

class ShellDocument;

class ConfigTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  ConfigTreeView(ShellDocument& document, UserInterface& ui, QWidget* parent = nullptr);
  ~ConfigTreeView() override;

  ShellDocument& Document() const { return document_; }

  // Builds every node again from the configuration: the module, its racks
  // and their slots, all expanded, nothing selected.
  void RebuildTree();
  void RelabelModule();
  // The labels of rack r and its slots, the pictures of its occupied slots,
  // and the rack expanded.
  void RelabelRack(int rack);
  void RelabelAll();

  // The view's share of command routing: Module Properties, Rack
  // Properties, Auto-allocate and (monitor only) Delete Rack.
  bool OnCommand(int command);
  void OnEditModuleProperties();
  void OnEditRackProperties();
  void OnAutoAllocate();
  void OnDeleteRack();

  QTreeWidgetItem* ModuleItem() const { return moduleItem_; }
  QTreeWidgetItem* RackItem(int rack) const;
  QTreeWidgetItem* SlotItem(int rack, int slot) const;
  // The tree image a node shows (index of the six pictures), -1 when none.
  int ImageOf(const QTreeWidgetItem* item) const;
  static uint32_t ItemData(const QTreeWidgetItem* item);

  // The node whose label text lies under `pos` (viewport coordinates); a
  // point on a node's picture, its button or beside its text finds none.
  QTreeWidgetItem* LabelHitTest(const QPoint& pos) const;
  QRect LabelRect(const QTreeWidgetItem* item) const;

  // Commands of the context menus go through the main window's routing.
  std::function<void(int command)> routeCommand;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void ShowContextMenu(QTreeWidgetItem* item, const QPoint& globalPos);
  QAction* MenuAction(QMenu& menu, int command, const QString& text);
  void SetImage(QTreeWidgetItem* item, int image);
  ConfigImage& Image();
  int SelectedRack() const;

  ShellDocument& document_;
  UserInterface& ui_;
  std::array<QIcon, 6> m_imageList;
  QTreeWidgetItem* moduleItem_ = nullptr;
  std::array<QTreeWidgetItem*, kMaxRacks> rackItems_{};
  std::array<std::array<QTreeWidgetItem*, kSlotsPerRack>, kMaxRacks> slotItems_{};
};

}  // namespace krn::shell
