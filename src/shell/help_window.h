// The help window: the program's help pages in a browser with Back,
// Forward and Contents. It is not modal; the program goes on beside it.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace krn::shell {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  HelpWindow(const QString& programName, const QString& folder);

  // Shows "page.htm" or "page.htm#anchor" of the help folder and raises the
  // window.
  void ShowTopic(const QString& topic);
  QString CurrentTopic() const;
  QTextBrowser* Browser() const { return browser_; }

 private:
  QString folder_;
  QString startPage_;
  QTextBrowser* browser_;
};

}  // namespace krn::shell
