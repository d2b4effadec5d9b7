#pragma once

#include <QWidget>

class QTextBrowser;

namespace orva {

// The program's user manual in a window of its own (it stays open beside
// the main window).
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace orva
