#include "shell/config_tree_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleOptionViewItem>

#include "config/dialogs/module_properties_dialog.h"
#include "config/dialogs/rack_properties_dialog.h"
#include "config/edits.h"
#include "config/messages.h"
#include "config/racks.h"
#include "logix/allocation.h"
#include "logix/tree_labels.h"
#include "shell/command_ids.h"
#include "shell/icons.h"
#include "shell/shell_document.h"

namespace krn::shell {
namespace {

constexpr int kItemDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr uint32_t kKindMask = 0xFF000000u;
constexpr uint32_t kModuleKind = 0x01000000u;
constexpr uint32_t kRackKind = 0x02000000u;

QString Text(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

ConfigTreeView::ConfigTreeView(ShellDocument& document, UserInterface& ui, QWidget* parent)
    : QTreeWidget(parent), document_(document), ui_(ui) {
  setObjectName(QStringLiteral("configTree"));
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setItemsExpandable(true);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(16, 16));
  setFrameShape(QFrame::StyledPanel);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  // Long slot labels scroll sideways rather than being cut.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  for (int i = 0; i < kTreeImageCount; ++i) {
    const QPixmap pm = TreePixmap(i);
    QIcon icon;
    // The same picture whether the node is selected or not.
    icon.addPixmap(pm, QIcon::Normal);
    icon.addPixmap(pm, QIcon::Selected);
    icon.addPixmap(pm, QIcon::Active);
    m_imageList[static_cast<std::size_t>(i)] = icon;
  }
}

ConfigTreeView::~ConfigTreeView() = default;

ConfigImage& ConfigTreeView::Image() {
  return document_.Core().Image();
}

QTreeWidgetItem* ConfigTreeView::RackItem(int rack) const {
  return rack >= 0 && rack < kMaxRacks ? rackItems_[static_cast<std::size_t>(rack)] : nullptr;
}

QTreeWidgetItem* ConfigTreeView::SlotItem(int rack, int slot) const {
  if (rack < 0 || rack >= kMaxRacks || slot < 0 || slot >= kSlotsPerRack) return nullptr;
  return slotItems_[static_cast<std::size_t>(rack)][static_cast<std::size_t>(slot)];
}

int ConfigTreeView::ImageOf(const QTreeWidgetItem* item) const {
  const QVariant v = item ? item->data(0, kImageRole) : QVariant();
  return v.isValid() ? v.toInt() : -1;
}

uint32_t ConfigTreeView::ItemData(const QTreeWidgetItem* item) {
  return item ? item->data(0, kItemDataRole).toUInt() : 0;
}

void ConfigTreeView::SetImage(QTreeWidgetItem* item, int image) {
  item->setIcon(0, m_imageList[static_cast<std::size_t>(image)]);
  item->setData(0, kImageRole, image);
}

void ConfigTreeView::RebuildTree() {
  setUpdatesEnabled(false);
  clear();
  rackItems_.fill(nullptr);
  for (auto& rack : slotItems_) rack.fill(nullptr);

  moduleItem_ = new QTreeWidgetItem(this);
  SetImage(moduleItem_, kImageModule);
  moduleItem_->setData(0, kItemDataRole, kModuleItemData);
  RelabelModule();

  const ConfigImage& image = Image();
  // The image holds 16 rack records; a count beyond that names no more.
  const int racks = static_cast<int>(std::min<uint32_t>(image.NumRacks, kMaxRacks));
  for (int r = 0; r < racks; ++r) {
    const RackRecord& rack = image.Racks[static_cast<std::size_t>(r)];
    auto* rackItem = new QTreeWidgetItem(moduleItem_);
    SetImage(rackItem, kImageRack);
    rackItem->setData(0, kItemDataRole, RackItemData(r));
    rackItems_[static_cast<std::size_t>(r)] = rackItem;
    for (int s = 0; s < kSlotsPerRack; ++s) {
      auto* slotItem = new QTreeWidgetItem(rackItem);
      SetImage(slotItem, SlotImage(rack, s));
      slotItem->setData(0, kItemDataRole, kSlotItemData);
      slotItems_[static_cast<std::size_t>(r)][static_cast<std::size_t>(s)] = slotItem;
    }
    RelabelRack(r);
  }
  moduleItem_->setExpanded(true);
  setCurrentItem(nullptr);
  clearSelection();
  setUpdatesEnabled(true);
}

void ConfigTreeView::RelabelModule() {
  if (moduleItem_) moduleItem_->setText(0, Text(ModuleLabel(Image(), document_.Variant())));
}

void ConfigTreeView::RelabelRack(int r) {
  QTreeWidgetItem* rackItem = RackItem(r);
  if (!rackItem) return;
  const RackRecord& rack = Image().Racks[static_cast<std::size_t>(r)];
  rackItem->setText(0, Text(RackLabel(rack)));
  const auto labels = SlotLabels(rack);
  for (int s = 0; s < kSlotsPerRack; ++s) {
    QTreeWidgetItem* slotItem = SlotItem(r, s);
    slotItem->setText(0, Text(labels[static_cast<std::size_t>(s)]));
    // An empty slot keeps the picture the rebuild gave it.
    if (rack.DSlotLen[static_cast<std::size_t>(s)] != 0) SetImage(slotItem, SlotImage(rack, s));
  }
  rackItem->setExpanded(true);
}

void ConfigTreeView::RelabelAll() {
  RelabelModule();
  const int racks = static_cast<int>(std::min<uint32_t>(Image().NumRacks, kMaxRacks));
  for (int r = 0; r < racks; ++r) RelabelRack(r);
}

bool ConfigTreeView::OnCommand(int command) {
  switch (command) {
    case kCmdEditModuleProperties: OnEditModuleProperties(); return true;
    case kCmdEditRackProperties: OnEditRackProperties(); return true;
    case kCmdAutoAllocate: OnAutoAllocate(); return true;
    case kCmdDeleteRack:
      if (!document_.Variant().hasDeleteRack) return false;
      OnDeleteRack();
      return true;
    default: return false;
  }
}

int ConfigTreeView::SelectedRack() const {
  const uint32_t itemData = ItemData(currentItem());
  if ((itemData & kKindMask) != kRackKind) return -1;
  const int r = static_cast<int>(itemData & 0xFFu);
  return r < static_cast<int>(std::min<uint32_t>(document_.Core().Image().NumRacks, kMaxRacks))
             ? r
             : -1;
}

void ConfigTreeView::OnEditModuleProperties() {
  const ModuleVariant& variant = document_.Variant();
  ConfigImage& image = Image();
  ModulePropertiesDialog dialog(variant, window());
  dialog.SetName(ImageName(image));
  if (variant.hasPushPullOption) dialog.SetAllCardsPerScan(OnePushPullPerScan(image) ? 0 : 1);
  if (dialog.exec() != ModulePropertiesDialog::kOk) return;
  StoreModuleProperties(image, variant, dialog.Name(), dialog.AllCardsPerScan() == 0);
  UpdateCfgId(image);
  document_.Core().SetModified();
  RelabelModule();
}

void ConfigTreeView::OnEditRackProperties() {
  // Reached from a rack's menu, which selected its rack; with any other
  // node selected there is no rack to edit.
  const int r = SelectedRack();
  if (r < 0) return;
  RackRecord& rack = Image().Racks[static_cast<std::size_t>(r)];
  RackPropertiesDialog dialog(window());
  dialog.LoadFromRack(rack);
  if (dialog.exec() != QDialog::Accepted) return;
  dialog.StoreToRack(rack);
  UpdateCfgId(Image());
  document_.Core().SetModified();
  RelabelRack(r);
  RelabelModule();
}

void ConfigTreeView::OnAutoAllocate() {
  ConfigImage& image = Image();
  if (!AllDirectionsDefined(image)) {
    ui_.Message(std::string(msg::kDirectionsMissing), {}, MsgButtons::OkCancel, MsgIcon::None);
    return;
  }
  AllocateLogixAddresses(image, document_.Variant(), ui_);
  UpdateCfgId(image);
  document_.Core().SetModified();
  if (AllAddressesDefined(image) && document_.Core().enableExportTags)
    document_.Core().enableExportTags();
  // Also after an overflow stop: the racks placed before it hold new
  // addresses and the signature changed, and the tree shows what is stored.
  RelabelAll();
}

void ConfigTreeView::OnDeleteRack() {
  const int r = SelectedRack();
  if (r < 0) return;
  ConfigImage& image = Image();
  if (AllAddressesDefined(image) &&
      ui_.Message(std::string(msg::kClearAddressesQuestion), {}, MsgButtons::OkCancel,
                  MsgIcon::None) != MsgResult::Ok)
    return;
  DeleteRack(image, r);
  UpdateCfgId(image);
  document_.Core().SetModified();
  RebuildTree();
}

QRect ConfigTreeView::LabelRect(const QTreeWidgetItem* item) const {
  if (!item) return {};
  QStyleOptionViewItem option;
  const_cast<ConfigTreeView*>(this)->initViewItemOption(&option);
  option.rect = visualItemRect(item);
  option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
  option.text = item->text(0);
  option.icon = item->icon(0);
  option.decorationSize = iconSize();
  const QRect textRect = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this) + 1;
  const int width = fontMetrics().horizontalAdvance(item->text(0)) + 2 * margin;
  return QRect(textRect.left(), textRect.top(), std::min(width, textRect.width()),
               textRect.height());
}

QTreeWidgetItem* ConfigTreeView::LabelHitTest(const QPoint& pos) const {
  QTreeWidgetItem* item = itemAt(pos);
  return item && LabelRect(item).contains(pos) ? item : nullptr;
}

void ConfigTreeView::mousePressEvent(QMouseEvent* event) {
  // The right button selects only through the context menu, and only on a
  // label.
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

void ConfigTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    if (QTreeWidgetItem* item = LabelHitTest(event->position().toPoint())) {
      // On a label a double-click selects; it neither expands nor collapses.
      setCurrentItem(item);
      event->accept();
      return;
    }
  }
  QTreeWidget::mouseDoubleClickEvent(event);
}

void ConfigTreeView::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Keyboard) {
    // The menu key: the menu of the selected node, at its label.
    QTreeWidgetItem* item = currentItem();
    if (item) ShowContextMenu(item, viewport()->mapToGlobal(LabelRect(item).center()));
    return;
  }
  QTreeWidgetItem* item = LabelHitTest(event->pos());
  if (!item) return;
  setCurrentItem(item);
  ShowContextMenu(item, event->globalPos());
}

QAction* ConfigTreeView::MenuAction(QMenu& menu, int command, const QString& text) {
  QAction* action = menu.addAction(text);
  action->setData(command);
  action->setStatusTip(CommandPrompt(command, document_.Variant()));
  connect(action, &QAction::triggered, this, [this, command] {
    if (routeCommand)
      routeCommand(command);
    else
      OnCommand(command);
  });
  return action;
}

void ConfigTreeView::ShowContextMenu(QTreeWidgetItem* item, const QPoint& globalPos) {
  const uint32_t kind = ItemData(item) & kKindMask;
  if (kind != kModuleKind && kind != kRackKind) return;
  QMenu menu(this);
  menu.setObjectName(kind == kModuleKind ? QStringLiteral("moduleMenu")
                                         : QStringLiteral("rackMenu"));
  if (kind == kModuleKind) {
    MenuAction(menu, kCmdEditModuleProperties, QStringLiteral("&Edit Module Properties"));
    MenuAction(menu, kCmdAutoAllocate, QStringLiteral("&Auto-allocate ControlLogix Addressing"));
  } else {
    MenuAction(menu, kCmdEditRackProperties, QStringLiteral("Edit &Rack Properties"));
    if (document_.Variant().hasDeleteRack)
      MenuAction(menu, kCmdDeleteRack, QStringLiteral("&Delete Rack"));
  }
  menu.exec(globalPos);
}

}  // namespace krn::shell
