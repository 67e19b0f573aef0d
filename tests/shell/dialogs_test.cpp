// Rack Properties and Module Properties, opened from the tree's menus and
// answered as the user does.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "config/dialogs/module_properties_dialog.h"
#include "config/dialogs/rack_properties_dialog.h"
#include "shell_fixture.h"

namespace krn::shell::test {
namespace {

class DialogsTest : public ShellTest {};

void ClickOk(QDialog* dialog) {
  dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

TEST_F(DialogsTest, RackPropertiesSetsDirectionsAndRelabelsTheRack) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("heard.lkw"), 1, false, false)));
  const uint32_t before = Image().CfgId;

  QStringList cards;
  QString address;
  bool emptySlotGreyed = false;
  auto watch = WhenShown<RackPropertiesDialog>([&](RackPropertiesDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Rack Properties"));
    address = dialog->AddressText();
    for (int s = 0; s < 6; ++s) cards << dialog->SlotText(s);
    for (int s = 0; s < 12; ++s)
      EXPECT_EQ(dialog->DirectionBox(s)->currentText(), QStringLiteral("Undefined"));
    emptySlotGreyed = !dialog->DirectionBox(3)->isEnabled();
    dialog->DirectionBox(0)->setCurrentIndex(1);  // Output
    dialog->DirectionBox(1)->setCurrentIndex(0);  // Input
    ClickOk(dialog);
  });
  RightClick(View().RackItem(0), true, Choose(QStringLiteral("Edit &Rack Properties")));

  ASSERT_TRUE(watch->Answered());
  EXPECT_EQ(address, QStringLiteral("   0"));
  EXPECT_EQ(cards,
            QStringList({QStringLiteral("Digital 16 bits"), QStringLiteral("Digital 8 bits"),
                         QStringLiteral("Analog 8 channels"), QStringLiteral("Empty Slot"),
                         QStringLiteral("Digital 32 bits"), QStringLiteral("Digital 8 bits")}));
  EXPECT_TRUE(emptySlotGreyed);
  EXPECT_EQ(Image().Racks[0].IOTypeArray[0], kDirOutput);
  EXPECT_EQ(Image().Racks[0].IOTypeArray[1], kDirInput);
  EXPECT_EQ(Image().Racks[0].IOTypeArray[2], kDirUndefined);
  EXPECT_NE(Image().CfgId, before);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_EQ(View().ImageOf(View().SlotItem(0, 0)), 3);
  EXPECT_TRUE(View().SlotItem(0, 0)->text(0).startsWith(
      QStringLiteral("Slot A,  16 bit Digital Output(0 - 15) - Clx Addr: ")));
  EXPECT_TRUE(View().ModuleItem()->text(0).endsWith(QString::asprintf("(%08x)", Image().CfgId)));
}

TEST_F(DialogsTest, RackPropertiesCancelChangesNothing) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("heard.lkw"), 1, false, false)));
  const ConfigImage before = Image();
  auto watch = WhenShown<RackPropertiesDialog>([](RackPropertiesDialog* dialog) {
    dialog->DirectionBox(0)->setCurrentIndex(0);
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  RightClick(View().RackItem(0), true, Choose(QStringLiteral("Edit &Rack Properties")));
  ASSERT_TRUE(watch->Answered());
  EXPECT_EQ(Image(), before);
  EXPECT_FALSE(Doc().IsModified());
}

TEST_F(DialogsTest, ScannerModulePropertiesStoresNameAndRuntimeOption) {
  Start(ScannerVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("two.pcw"), 2, true, true)));
  Image().Options = 0x80000001u;
  UpdateCfgId(Image());
  View().RelabelModule();
  ASSERT_TRUE(View().ModuleItem()->text(0).contains(QStringLiteral("Mode:One P-P per scan")));

  bool oneChosenAtStart = false;
  QString typed;
  auto watch = WhenShown<ModulePropertiesDialog>([&](ModulePropertiesDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("KRN-735 Scanner Properties"));
    EXPECT_EQ(dialog->NameField()->text(), QStringLiteral("Line4"));
    oneChosenAtStart =
        dialog->OneCardButton()->isChecked() && !dialog->AllCardsButton()->isChecked();
    QTest::mouseClick(dialog->AllCardsButton(), Qt::LeftButton);
    dialog->NameField()->selectAll();
    QTest::keyClicks(dialog->NameField(), QStringLiteral("Press_Line_North7"));  // 17 characters
    typed = dialog->NameField()->text();
    QTest::keyClick(dialog->NameField(), Qt::Key_Return);
  });
  RightClick(View().ModuleItem(), true, Choose(QStringLiteral("&Edit Module Properties")));

  ASSERT_TRUE(watch->Answered());
  EXPECT_TRUE(oneChosenAtStart);
  EXPECT_EQ(typed, QStringLiteral("Press_Line_Nort"));
  EXPECT_EQ(ImageName(Image()), "Press_Line_Nort");
  EXPECT_EQ(Image().Options, 0x80000000u);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_EQ(View().ModuleItem()->text(0),
            QString::asprintf("KRN735-Scanner(Press_Line_Nort), Mode:All P-P per scan, "
                              "Configuration Signature (%08x)",
                              Image().CfgId));
}

TEST_F(DialogsTest, MonitorModulePropertiesCancelKeepsAndOkMarksModified) {
  Start(MonitorVariant());
  ASSERT_TRUE(app->OpenDocumentFile(Sample(QStringLiteral("two.lkw"), 2, true, true)));
  const ConfigImage before = Image();

  auto cancel = WhenShown<ModulePropertiesDialog>([](ModulePropertiesDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("KRN-735 Monitor Properties"));
    EXPECT_EQ(dialog->AllCardsButton(), nullptr);
    QTest::keyClicks(dialog->NameField(), QStringLiteral("X"));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  RightClick(View().ModuleItem(), true, Choose(QStringLiteral("&Edit Module Properties")));
  ASSERT_TRUE(cancel->Answered());
  EXPECT_EQ(Image(), before);
  EXPECT_FALSE(Doc().IsModified());

  // OK without a change still counts as an edit.
  auto ok =
      WhenShown<ModulePropertiesDialog>([](ModulePropertiesDialog* dialog) { ClickOk(dialog); });
  RightClick(View().ModuleItem(), true, Choose(QStringLiteral("&Edit Module Properties")));
  ASSERT_TRUE(ok->Answered());
  EXPECT_EQ(Image(), before);
  EXPECT_TRUE(Doc().IsModified());
}

}  // namespace
}  // namespace krn::shell::test
