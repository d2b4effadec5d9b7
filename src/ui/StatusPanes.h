#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>
#include <functional>

#include "common/StatusPort.h"

class QStatusBar;

namespace orva {

// The status bar's three panes as the core sees them: pane 0 the menu and
// button help (it takes the remaining width), pane 1 the current table's
// name, pane 2 (one and a half default pane widths) the progress of a running
// cut. The core's status texts are the table name while no cut runs and the
// cut's progress while one does. Texts that arrive before the status bar
// exists are kept and shown once it is attached.
class StatusPanes : public StatusPort {
 public:
  static constexpr int kDefaultPaneWidth = 100;

  void attach(QStatusBar* bar);
  // Tells a cut's progress from the table name.
  void setCutRunning(std::function<bool()> running) { cutRunning_ = std::move(running); }

  void setStatusText(std::string_view text) override;
  void setWaitCursor(bool on) override;

  void ShowTableName(const QString& text);
  void ShowCutProgress(const QString& text);
  QString tableName() const { return table_; }
  QString cutProgress() const { return progress_; }

 private:
  // The panes go with their status bar; a text that arrives later (a cut
  // ending while the program exits) is only kept.
  QPointer<QLabel> help_;
  QPointer<QLabel> tablePane_;
  QPointer<QLabel> progressPane_;
  QString table_;
  QString progress_;
  std::function<bool()> cutRunning_;
  bool waiting_ = false;
};

}  // namespace orva
