#include "ui/HelpWindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "common/Messages.h"

namespace orva {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(QString::fromUtf8(messageText(Msg::HelpWindowTitle)));
  browser_->setObjectName(QStringLiteral("manual"));
  browser_->setOpenExternalLinks(true);
  QFile manual(QStringLiteral(":/manual/manual.md"));
  if (manual.open(QIODevice::ReadOnly)) browser_->setMarkdown(QString::fromUtf8(manual.readAll()));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(720, 640);
}

}  // namespace orva
