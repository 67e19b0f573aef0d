// The configuration tree as the user sees it: nodes, labels, pictures and
// expansion after open, allocation and Delete Rack; the right-click menus
// and the double-click.
#include <QTest>

#include "shell/command_ids.h"
#include "shell_fixture.h"

namespace krn::shell::test {
namespace {

class TreeViewTest : public ShellTest {};

// A double-click as the window system delivers it: press, release, the
// double-click event, release.
void DoubleClick(QWidget* widget, const QPoint& pos) {
  QTest::mousePress(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

QString SignatureLabel(const char* format, uint32_t cfgId) {
  return QString::asprintf(format, cfgId);
}

TEST_F(TreeViewTest, OpenedFileShowsEveryRackAndSlotExpanded) {
  Start(MonitorVariant());
  const QString path = Sample(QStringLiteral("lines.lkw"), 2, true, true);
  ASSERT_TRUE(app->OpenDocumentFile(path));

  ConfigTreeView& view = View();
  ASSERT_EQ(view.topLevelItemCount(), 1);
  QTreeWidgetItem* module = view.ModuleItem();
  EXPECT_EQ(module->text(0),
            SignatureLabel("KRN735-Monitor(Line4), Configuration Signature (%08x)", Image().CfgId));
  EXPECT_EQ(ConfigTreeView::ItemData(module), 0x01000000u);
  EXPECT_EQ(view.ImageOf(module), 0);
  ASSERT_EQ(module->childCount(), 2);
  EXPECT_TRUE(module->isExpanded());

  QTreeWidgetItem* rack1 = view.RackItem(1);
  EXPECT_EQ(rack1->text(0), QStringLiteral("Rack Address: 120"));
  EXPECT_EQ(ConfigTreeView::ItemData(rack1), 0x02000001u);
  EXPECT_EQ(view.ImageOf(rack1), 1);
  EXPECT_TRUE(rack1->isExpanded());
  ASSERT_EQ(rack1->childCount(), 12);

  // Slot A: the first input, at the start of the cards' part of I.Data.
  EXPECT_EQ(view.SlotItem(0, 0)->text(0),
            QStringLiteral("Slot A,  16 bit Digital Input(0 - 15) - Clx Addr: I.Data[2].0-15"));
  EXPECT_TRUE(view.SlotItem(1, 1)->text(0).startsWith(
      QStringLiteral("Slot B,  8 bit Digital Output(136 - 143) - Clx Addr: S.Data[")));
  EXPECT_TRUE(view.SlotItem(1, 2)->text(0).startsWith(
      QStringLiteral("Slot C, 8 channel Analog Input(144 - 159) - Clx Addr: I.Data[")));
  EXPECT_EQ(view.SlotItem(1, 3)->text(0), QStringLiteral("Slot D - Empty Slot"));
  const int images[] = {2, 3, 2, 5, 3, 2, 5, 5, 5, 5, 5, 5};
  for (int s = 0; s < 12; ++s) {
    EXPECT_EQ(view.ImageOf(view.SlotItem(1, s)), images[s]) << "slot " << s;
    EXPECT_EQ(ConfigTreeView::ItemData(view.SlotItem(1, s)), 0u);
  }
  EXPECT_EQ(view.currentItem(), nullptr);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("lines.lkw - Lookwell"));
}

TEST_F(TreeViewTest, SlotsWithoutDirectionShowQuestionMarks) {
  Start(ScannerVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("heard.pcw"), 1, false, false)));
  ConfigTreeView& view = View();
  EXPECT_EQ(
      view.ModuleItem()->text(0),
      SignatureLabel("KRN735-Scanner(Line4), Mode:All P-P per scan, Configuration Signature (%08x)",
                     Image().CfgId));
  EXPECT_EQ(view.SlotItem(0, 0)->text(0),
            QStringLiteral("Slot A, Digital (unknown direction), 16 bit - Clx Addr: Undefined"));
  EXPECT_EQ(view.SlotItem(0, 2)->text(0),
            QStringLiteral("Slot C, Analog (unknown direction), 8 channel - Clx Addr: Undefined"));
  EXPECT_EQ(view.ImageOf(view.SlotItem(0, 0)), 4);
  EXPECT_EQ(view.ImageOf(view.SlotItem(0, 3)), 5);
}

TEST_F(TreeViewTest, AutoAllocateFromTheActionsMenuAddressesEverySlot) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("dirs.lkw"), 16, true, false)));
  ASSERT_FALSE(Action(kCmdExportTags)->isEnabled());
  const uint32_t before = Image().CfgId;

  Action(kCmdAutoAllocate)->trigger();

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_NE(Image().CfgId, before);
  EXPECT_TRUE(View().ModuleItem()->text(0).endsWith(QString::asprintf("(%08x)", Image().CfgId)));
  for (int r = 0; r < 16; ++r) {
    EXPECT_FALSE(View().SlotItem(r, 0)->text(0).endsWith(QStringLiteral("Undefined"))) << r;
    EXPECT_TRUE(View().RackItem(r)->isExpanded());
  }
  EXPECT_TRUE(Action(kCmdExportTags)->isEnabled());
}

TEST_F(TreeViewTest, AutoAllocateRefusesSlotsWithoutDirection) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("heard.lkw"), 2, false, false)));
  const ConfigImage before = Image();

  Action(kCmdAutoAllocate)->trigger();

  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "All I/O slots must have a defined direction (input or output).\n"
            "Edit your Rack properties to define the I/O direction for all I/O slots");
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
  EXPECT_EQ(Image(), before);
  EXPECT_FALSE(Doc().IsModified());
}

TEST_F(TreeViewTest, DeleteRackAsksOnlyWhenAddressesWouldBeLost) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("three.lkw"), 3, true, true)));
  ASSERT_TRUE(Action(kCmdExportTags)->isEnabled());
  const ConfigImage before = Image();
  const QString question =
      QStringLiteral("This operation will clear all the current ControlLogix address information.");

  ui.answers = {MsgResult::Cancel};
  RightClick(View().RackItem(0), true, Choose(QStringLiteral("&Delete Rack")));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(QString::fromStdString(ui.messages[0].text), question);
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(View().ModuleItem()->childCount(), 3);

  ui.answers = {MsgResult::Ok};
  RightClick(View().RackItem(0), true, Choose(QStringLiteral("&Delete Rack")));
  EXPECT_EQ(Image().NumRacks, 2u);
  ASSERT_EQ(View().ModuleItem()->childCount(), 2);
  EXPECT_EQ(View().RackItem(0)->text(0), QStringLiteral("Rack Address: 120"));
  EXPECT_TRUE(View().SlotItem(0, 0)->text(0).endsWith(QStringLiteral("Clx Addr: Undefined")));
  EXPECT_TRUE(View().RackItem(1)->isExpanded());
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_TRUE(Action(kCmdExportTags)->isEnabled());

  // Without complete addresses nothing is asked.
  RightClick(View().RackItem(1), true, Choose(QStringLiteral("&Delete Rack")));
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(Image().NumRacks, 1u);
  EXPECT_EQ(View().RackItem(0)->text(0), QStringLiteral("Rack Address: 120"));
}

TEST_F(TreeViewTest, RightClickOnALabelSelectsItsNodeAndOpensItsMenu) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("two.lkw"), 2, true, true)));
  ConfigTreeView& view = View();

  EXPECT_EQ(RightClick(view.ModuleItem()),
            QStringList({QStringLiteral("&Edit Module Properties"),
                         QStringLiteral("&Auto-allocate ControlLogix Addressing")}));
  EXPECT_EQ(view.currentItem(), view.ModuleItem());

  EXPECT_EQ(RightClick(view.RackItem(1)),
            QStringList({QStringLiteral("Edit &Rack Properties"), QStringLiteral("&Delete Rack")}));
  EXPECT_EQ(view.currentItem(), view.RackItem(1));

  // A slot's label selects the slot but has no menu.
  EXPECT_TRUE(RightClick(view.SlotItem(0, 4)).isEmpty());
  EXPECT_EQ(view.currentItem(), view.SlotItem(0, 4));

  // Off the label (on the picture): no menu, the selection stays.
  EXPECT_TRUE(RightClick(view.RackItem(0), false).isEmpty());
  EXPECT_EQ(view.currentItem(), view.SlotItem(0, 4));
}

TEST_F(TreeViewTest, ScannerRackMenuHasNoDeleteRack) {
  Start(ScannerVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("two.pcw"), 2, true, true)));
  EXPECT_EQ(RightClick(View().RackItem(0)), QStringList({QStringLiteral("Edit &Rack Properties")}));
}

TEST_F(TreeViewTest, DoubleClickOnALabelSelectsWithoutCollapsing) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("two.lkw"), 2, true, true)));
  ConfigTreeView& view = View();
  QTreeWidgetItem* rack = view.RackItem(0);
  const QRect label = view.LabelRect(rack);

  DoubleClick(view.viewport(), label.center());
  EXPECT_EQ(view.currentItem(), rack);
  EXPECT_TRUE(rack->isExpanded());

  // On the picture the tree's own double-click applies: the rack folds.
  DoubleClick(view.viewport(), QPoint(label.left() - 10, label.center().y()));
  EXPECT_FALSE(rack->isExpanded());
}

}  // namespace
}  // namespace krn::shell::test
