#pragma once

#include <QDockWidget>
#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "config/TableConfig.h"
#include "driver/ControllerSession.h"
#include "ui/DialogTimer.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace orva {

class ProgramContext;

// The streamer settings of a controller table: its axis letters, receive
// buffer and status interval.
GrblSettings GrblSettingsOfTable(const TableConfig& table);
// The feed of the hand jogs, mm/min: the slower of the table's two axis
// speeds (300 when the table gives none).
double JogFeedOfTable(const TableConfig& table);

// The machine panel, docked beside the windows: the connection to the
// table's G-code controller (port and baud, Connect and Disconnect, the
// firmware's banner), its state, where the four axes are (left tower XG/YG,
// right tower XD/YD, work coordinates), jogging of the left, right or both
// towers by 0.1, 1 or 10 mm (an arrow held down jogs on until released),
// Zero here, Unlock, a heat test, Hold, Resume, the emergency stop, and
// what was exchanged with the controller.
//
// It works on the program's one controller session and never opens a port
// of its own. The status is polled by a window timer at the table's status
// interval (at least 200 ms) while nothing streams; while a cut streams the
// cut's servicing brings the reports and the panel only shows them, and
// only Hold, Resume and the emergency stop are offered.
class MachinePanel : public QDockWidget {

 public:
  enum class Towers { Left, Both, Right };
  static constexpr double kSteps[] = {0.1, 1.0, 10.0};
  // An arrow held longer than this jogs on until it is released.
  static constexpr int kHoldDelayMs = 400;

  MachinePanel(ProgramContext& context, QWidget* parent,
               DialogTimer::Clock clock = DialogTimer::Clock::Real);
  ~MachinePanel() override;

  // Takes the port, baud and poll interval of the current table (after the
  // table changed).
  void syncToTable();
  // Shows the session's connection, state and position; enables the controls.
  void refresh();
  // One tick of the status poll.
  void poll();

  DialogTimer& pollTimer() { return poll_; }
  DialogTimer& holdTimer() { return hold_; }
  QComboBox* portList() const { return port_; }
  QComboBox* baudList() const { return baud_; }
  QPushButton* connectButton() const { return connect_; }
  QPushButton* disconnectButton() const { return disconnect_; }
  // The arrow jogging (dX, dY): (0, 1) up, (0, -1) down, (-1, 0), (1, 0).
  QToolButton* arrow(int dX, int dY) const;
  QAbstractButton* towerButton(Towers towers) const;
  QAbstractButton* stepButton(int index) const;
  QPushButton* zeroButton() const { return zero_; }
  QPushButton* unlockButton() const { return unlock_; }
  QPushButton* heatButton() const { return heat_; }
  QPushButton* holdButton() const { return holdButton_; }
  QPushButton* resumeButton() const { return resume_; }
  QPushButton* stopButton() const { return stop_; }
  QCheckBox* pollsBox() const { return showPolls_; }
  QString bannerText() const;
  QString stateText() const;
  QString positionText(int axis) const;
  // The log as shown: one exchanged line per line, "> " sent, "< " received,
  // as they went over the port; the status polls ("?" and the report it
  // brought) only while "Show status polls" is checked.
  QString logText() const;
  // The last failure the panel showed ("" when none).
  QString failureText() const { return failure_; }

 private:
  struct LogEntry {
    bool sent = false;
    bool poll = false;
    QString text;
  };

  QWidget* buildConnection(QWidget* parent);
  QWidget* buildReadout(QWidget* parent);
  QWidget* buildJog(QWidget* parent);
  QWidget* buildActions(QWidget* parent);
  void connectController();
  void disconnectController();
  void pressArrow(int dX, int dY);
  void releaseArrow();
  void holdElapsed();
  bool jog(int dX, int dY, double distance);
  void toggleHeat(bool on);
  void emergencyStop();
  void fail(const std::string& why);
  void takeLine(const ControllerSession::LogLine& line);
  void addLog(bool sent, bool poll, QString text);
  static QString shownLine(const LogEntry& entry);
  void showLog();
  Towers towers() const;
  double step() const;

  ProgramContext& context_;
  ControllerSession& session_;
  DialogTimer poll_;
  DialogTimer hold_;
  QComboBox* port_ = nullptr;
  QComboBox* baud_ = nullptr;
  QPushButton* connect_ = nullptr;
  QPushButton* disconnect_ = nullptr;
  QLabel* banner_ = nullptr;
  QLabel* state_ = nullptr;
  std::array<QLabel*, 4> axes_{};
  QButtonGroup* towerGroup_ = nullptr;
  QButtonGroup* stepGroup_ = nullptr;
  std::vector<std::pair<QToolButton*, std::array<int, 2>>> arrows_;
  QPushButton* zero_ = nullptr;
  QPushButton* unlock_ = nullptr;
  QPushButton* heat_ = nullptr;
  QPushButton* holdButton_ = nullptr;
  QPushButton* resume_ = nullptr;
  QPushButton* stop_ = nullptr;
  QCheckBox* showPolls_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QLabel* failureLabel_ = nullptr;

  std::optional<std::array<int, 2>> held_;  // the arrow held down
  bool longJog_ = false;                    // the held arrow's jog runs until released
  bool heatOffAfterReset_ = false;          // "M5" once the controller is back after a stop
  // What was exchanged, oldest first: at most kLogLimit polls and as many
  // other lines, so that the polls never push the rest out.
  std::deque<LogEntry> entries_;
  std::size_t pollEntries_ = 0;
  QString failure_;
};

}  // namespace orva
