#include "shell/help_window.h"

#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace krn::shell {

HelpWindow::HelpWindow(const QString& programName, const QString& folder)
    : QWidget(nullptr, Qt::Window),
      folder_(folder),
      startPage_(programName + QStringLiteral(".htm")),
      browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(programName + QStringLiteral(" Help"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(720, 600);

  browser_->setSearchPaths({folder_});
  // Links to the web leave the program's pages to the desktop's browser.
  browser_->setOpenExternalLinks(true);

  auto* bar = new QToolBar(this);
  QAction* back = bar->addAction(QStringLiteral("Back"), browser_, &QTextBrowser::backward);
  QAction* forward = bar->addAction(QStringLiteral("Forward"), browser_, &QTextBrowser::forward);
  bar->addAction(QStringLiteral("Contents"), this, [this] { ShowTopic(startPage_); });
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    if (!title.isEmpty()) setWindowTitle(title);
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(browser_);
}

void HelpWindow::ShowTopic(const QString& topic) {
  QUrl url =
      QUrl::fromLocalFile(folder_ + QLatin1Char('/') + topic.section(QLatin1Char('#'), 0, 0));
  const QString anchor = topic.section(QLatin1Char('#'), 1);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  browser_->setSource(url);
  show();
  raise();
  activateWindow();
}

QString HelpWindow::CurrentTopic() const {
  const QUrl url = browser_->source();
  QString topic = url.fileName();
  if (url.hasFragment()) topic += QLatin1Char('#') + url.fragment();
  return topic;
}

}  // namespace krn::shell
