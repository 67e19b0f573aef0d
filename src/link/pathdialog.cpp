#include "link/pathdialog.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/enip_dtl.h"
#include "link/rswho.h"

namespace krn {

namespace {

constexpr uint32_t kPathDialogHelpContext = 0x20000 + 130;
// The dialog's size in dialog units (a quarter of the average character
// width across, an eighth of the character height down).
constexpr int kWidthUnits = 334;
constexpr int kHeightUnits = 257;

}  // namespace

CPathSelectDlg::CPathSelectDlg(QString settingsApplication, QWidget* parent,
                               std::unique_ptr<Dtl> dtl)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("RsLinx Path Selection"));
  setObjectName(QStringLiteral("CPathSelectDlg"));
  setProperty("krnHelpContext", kPathDialogHelpContext);
  if (!dtl) dtl = std::make_unique<EnipDtl>();

  m_rsWho = new CRSWho(std::move(settingsApplication), std::move(dtl), this);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel_->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cancel_);
  buttons->addWidget(ok_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_rsWho, 1);
  layout->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, &CPathSelectDlg::accept);
  connect(cancel_, &QPushButton::clicked, this, &CPathSelectDlg::reject);
  connect(m_rsWho, &CRSWho::moduleActivated, this, &CPathSelectDlg::accept);
  // Only a module is a path the link can open.
  auto follow = [this] { ok_->setEnabled(m_rsWho->ModuleSelected()); };
  connect(m_rsWho, &CRSWho::selectionChanged, this, follow);
  follow();

  const QFontMetrics fm(font());
  const int unitX = fm.averageCharWidth();
  const int unitY = fm.height();
  resize(kWidthUnits * unitX / 4, kHeightUnits * unitY / 8);
}

CPathSelectDlg::~CPathSelectDlg() = default;

void CPathSelectDlg::accept() {
  if (!m_rsWho->ModuleSelected()) return;
  m_routeText = m_rsWho->PathText().toStdString();
  DtlTarget target;
  if (m_rsWho->Browser().CreateTarget(m_rsWho->PathObject(), target)) {
    m_driverName = target.driverName;
    m_route = std::move(target.route);
  } else {
    m_driverName.clear();
    m_route.clear();
  }
  QDialog::accept();
}

}  // namespace krn
