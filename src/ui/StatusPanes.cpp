#include "ui/StatusPanes.h"

#include <QApplication>
#include <QLabel>
#include <QStatusBar>

#include "common/Messages.h"

namespace orva {

void StatusPanes::attach(QStatusBar* bar) {
  help_ = new QLabel(QString::fromUtf8(messageText(Msg::Ready)), bar);
  help_->setObjectName(QStringLiteral("helpPane"));
  tablePane_ = new QLabel(table_, bar);
  tablePane_->setObjectName(QStringLiteral("tablePane"));
  tablePane_->setMinimumWidth(kDefaultPaneWidth);
  progressPane_ = new QLabel(progress_, bar);
  progressPane_->setObjectName(QStringLiteral("cutProgressPane"));
  progressPane_->setMinimumWidth(static_cast<int>(kDefaultPaneWidth * 1.5));
  for (QLabel* pane : {tablePane_, progressPane_}) {
    pane->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    pane->setContentsMargins(4, 0, 4, 0);
  }
  // The help pane gives way to the menu and button help (the bar's message)
  // and comes back when the message is cleared.
  bar->addWidget(help_, 1);
  bar->addPermanentWidget(tablePane_);
  bar->addPermanentWidget(progressPane_);
}

void StatusPanes::setStatusText(std::string_view text) {
  const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  if (cutRunning_ && cutRunning_()) {
    ShowCutProgress(value);
  } else {
    ShowTableName(value);
  }
}

void StatusPanes::setWaitCursor(bool on) {
  if (on == waiting_) return;
  waiting_ = on;
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void StatusPanes::ShowTableName(const QString& text) {
  table_ = text;
  if (tablePane_) tablePane_->setText(text);
}

void StatusPanes::ShowCutProgress(const QString& text) {
  progress_ = text;
  if (progressPane_) progressPane_->setText(text);
}

}  // namespace orva
