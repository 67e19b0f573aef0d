// Module Properties: the module's name (at most 15 characters) and, in the
// scanner build, how push/pull cards are served ("Runtime Options"). It
// ends with 1008 for OK and 1009 for Cancel.
#pragma once

#include <QDialog>
#include <cstdint>

#include "config/module_variant.h"

class QLineEdit;
class QRadioButton;

namespace krn {

class ModulePropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kOk = 1008;
  static constexpr int kCancel = 1009;
  static constexpr int kNameLimit = 15;

  explicit ModulePropertiesDialog(const ModuleVariant& variant, QWidget* parent = nullptr);

  // The name as the module stores it: one byte per character.
  void SetName(const std::string& name);
  std::string Name() const;

  // Scanner only: 1 while "All Push/Pull cards per scan" is chosen, 0 while
  // "Scan One Push/Pull card per scan" is.
  void SetAllCardsPerScan(uint8_t all);
  uint8_t AllCardsPerScan() const { return allCardsPerScan_; }

  QLineEdit* NameField() const { return name_; }
  QRadioButton* AllCardsButton() const { return allCards_; }
  QRadioButton* OneCardButton() const { return oneCard_; }

 public slots:
  void accept() override;
  void reject() override;

 private:
  QLineEdit* name_;
  QRadioButton* allCards_ = nullptr;
  QRadioButton* oneCard_ = nullptr;
  uint8_t allCardsPerScan_ = 1;
};

}  // namespace krn
