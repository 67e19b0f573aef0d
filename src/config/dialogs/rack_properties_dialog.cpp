#include "config/dialogs/rack_properties_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace krn {
namespace {

constexpr uint32_t kRackPropertiesHelpContext = 0x20000 + 150;

// The entries are in the order of DirectionChoice: Input, Output, Undefined.
int IndexOf(DirectionChoice choice) {
  return static_cast<int>(choice);
}
DirectionChoice ChoiceAt(int index) {
  return index == 0   ? DirectionChoice::Input
         : index == 1 ? DirectionChoice::Output
                      : DirectionChoice::Undefined;
}

}  // namespace

RackPropertiesDialog::RackPropertiesDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Rack Properties"));
  setObjectName(QStringLiteral("rackPropertiesDialog"));
  setProperty("krnHelpContext", kRackPropertiesHelpContext);

  auto* addressRow = new QHBoxLayout;
  addressRow->addWidget(new QLabel(QStringLiteral("Rack Address:"), this));
  address_ = new QLabel(this);
  address_->setObjectName(QStringLiteral("rackAddress"));
  address_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  address_->setMinimumWidth(address_->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
  address_->setTextFormat(Qt::PlainText);
  addressRow->addWidget(address_);
  addressRow->addStretch(1);

  auto* group = new QGroupBox(QStringLiteral("Slot Direction Options"), this);
  auto* grid = new QGridLayout(group);
  grid->setColumnStretch(2, 1);
  for (int slot = 0; slot < kSlotsPerRack; ++slot) {
    const QChar letter(static_cast<char16_t>(u'A' + slot));
    grid->addWidget(new QLabel(QStringLiteral("Slot %1 : ").arg(letter), group), slot, 0);
    auto* choice = new QComboBox(group);
    choice->setObjectName(QStringLiteral("direction%1").arg(letter));
    choice->setEditable(false);
    choice->addItems(
        {QStringLiteral("Input"), QStringLiteral("Output"), QStringLiteral("Undefined")});
    grid->addWidget(choice, slot, 1);
    auto* card = new QLabel(group);
    card->setObjectName(QStringLiteral("card%1").arg(letter));
    card->setTextFormat(Qt::PlainText);
    grid->addWidget(card, slot, 2);
    choices_[slot] = choice;
    cards_[slot] = card;
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &RackPropertiesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &RackPropertiesDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(addressRow);
  layout->addWidget(group);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  directions_.fill(DirectionChoice::Undefined);
}

QString RackPropertiesDialog::FormatRackAddress(const RackRecord& rack) {
  return QString::asprintf("%4u", static_cast<unsigned>(rack.ByteAddress) * 8u);
}

QString RackPropertiesDialog::FormatSlotText(const RackRecord& rack, int slot) {
  if (rack.DSlotLen[slot] == 0) return QStringLiteral("Empty Slot");
  if (rack.ASlotLen[slot] != 0)
    return QString::asprintf("Analog %u channels", static_cast<unsigned>(rack.ASlotLen[slot]) / 2u);
  return QString::asprintf("Digital %u bits", static_cast<unsigned>(rack.DSlotLen[slot]) * 8u);
}

void RackPropertiesDialog::LoadFromRack(const RackRecord& rack) {
  address_->setText(FormatRackAddress(rack));
  for (int slot = 0; slot < kSlotsPerRack; ++slot) {
    directions_[slot] = ShownDirection(rack.IOTypeArray[slot]);
    cards_[slot]->setText(FormatSlotText(rack, slot));
    choices_[slot]->setCurrentIndex(IndexOf(directions_[slot]));
    choices_[slot]->setEnabled(rack.DSlotLen[slot] != 0);
  }
}

void RackPropertiesDialog::accept() {
  // Every slot, greyed ones included, takes the direction its choice shows.
  for (int slot = 0; slot < kSlotsPerRack; ++slot)
    directions_[slot] = ChoiceAt(choices_[slot]->currentIndex());
  QDialog::accept();
}

void RackPropertiesDialog::StoreToRack(RackRecord& rack) const {
  StoreRackDirections(rack, directions_);
}

QString RackPropertiesDialog::AddressText() const {
  return address_->text();
}
QString RackPropertiesDialog::SlotText(int slot) const {
  return cards_[slot]->text();
}

}  // namespace krn
