// Rack Properties: a rack's bit address, the card in each of its twelve
// slots, and the direction (Input, Output, Undefined) of every occupied
// slot. It never changes slot sizes, addresses or copy tables.
#pragma once

#include <QDialog>
#include <array>

#include "config/edits.h"
#include "config/image.h"

class QComboBox;
class QLabel;

namespace krn {

class RackPropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit RackPropertiesDialog(QWidget* parent = nullptr);

  // Fills the dialog from the rack: address text, slot texts, directions
  // (any value other than input and output shows as Undefined), and greys
  // the choice of every empty slot.
  void LoadFromRack(const RackRecord& rack);
  // After OK: the twelve directions into IOTypeArray, nothing else.
  void StoreToRack(RackRecord& rack) const;

  QString AddressText() const;
  QString SlotText(int slot) const;
  QComboBox* DirectionBox(int slot) const { return choices_[slot]; }
  DirectionChoice Direction(int slot) const { return directions_[slot]; }

  // "%4u" of the bit address; the texts of an empty, analog and digital slot.
  static QString FormatRackAddress(const RackRecord& rack);
  static QString FormatSlotText(const RackRecord& rack, int slot);

 public slots:
  void accept() override;

 private:
  QLabel* address_;
  std::array<QComboBox*, kSlotsPerRack> choices_{};
  std::array<QLabel*, kSlotsPerRack> cards_{};
  std::array<DirectionChoice, kSlotsPerRack> directions_{};
};

}  // namespace krn
