#include "config/dialogs/module_properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace krn {
namespace {

constexpr uint32_t kModulePropertiesHelpContext = 0x20000 + 149;

}  // namespace

ModulePropertiesDialog::ModulePropertiesDialog(const ModuleVariant& variant, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(
      QStringLiteral("KRN-735 %1 Properties").arg(QString::fromStdString(variant.modeWord)));
  setObjectName(QStringLiteral("modulePropertiesDialog"));
  setProperty("krnHelpContext", kModulePropertiesHelpContext);

  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("moduleName"));
  name_->setMaxLength(kNameLimit);
  name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * kNameLimit);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Module Name:"), name_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);

  if (variant.hasPushPullOption) {
    auto* group = new QGroupBox(QStringLiteral("Runtime Options"), this);
    allCards_ = new QRadioButton(QStringLiteral("All Push/Pull cards per scan"), group);
    allCards_->setObjectName(QStringLiteral("allCardsPerScan"));
    oneCard_ = new QRadioButton(QStringLiteral("Scan One Push/Pull card per scan"), group);
    oneCard_->setObjectName(QStringLiteral("oneCardPerScan"));
    auto* options = new QVBoxLayout(group);
    options->addWidget(allCards_);
    options->addWidget(oneCard_);
    layout->addWidget(group);
    // The two exclude each other; the choice follows every click.
    connect(allCards_, &QRadioButton::toggled, this,
            [this](bool on) { allCardsPerScan_ = on ? 1 : 0; });
    SetAllCardsPerScan(1);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &ModulePropertiesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ModulePropertiesDialog::reject);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ModulePropertiesDialog::SetName(const std::string& name) {
  name_->setText(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

std::string ModulePropertiesDialog::Name() const {
  const QByteArray bytes = name_->text().left(kNameLimit).toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void ModulePropertiesDialog::SetAllCardsPerScan(uint8_t all) {
  allCardsPerScan_ = all ? 1 : 0;
  if (!allCards_) return;
  allCards_->setChecked(all != 0);
  oneCard_->setChecked(all == 0);
}

void ModulePropertiesDialog::accept() {
  done(kOk);
}
void ModulePropertiesDialog::reject() {
  done(kCancel);
}

}  // namespace krn
