#include "ui/MachinePanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QSerialPortInfo>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/ProgramContext.h"
#include "common/Messages.h"
#include "ui/FormDialog.h"

namespace orva {

namespace {

QString msg(Msg id) { return uiText(messageText(id)); }

QString mm(double value) { return QString::number(value, 'f', 3); }

// The colour of a controller state: green at rest, blue while moving, amber
// while held, red in alarm.
QString stateColour(const std::string& state) {
  if (state == "Idle") return QStringLiteral("#2e7d32");
  if (state == "Run" || state == "Jog" || state == "Home") return QStringLiteral("#1565c0");
  if (state == "Hold") return QStringLiteral("#ef6c00");
  if (state == "Alarm") return QStringLiteral("#c62828");
  if (state == "Door") return QStringLiteral("#ad1457");
  return QStringLiteral("#616161");
}

// A scroll area as high as its content when the dock has room for it, lower
// (with a scroll bar) when not; never scrolled sideways.
class FittingScrollArea : public QScrollArea {
 public:
  explicit FittingScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  QSize sizeHint() const override {
    const QSize content = widget() != nullptr ? widget()->sizeHint() : QSize(0, 0);
    return {content.width() + barWidth(), content.height()};
  }
  // The content grows with what it shows (the banner, a failure): the
  // dock's layout is told so.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
    return QScrollArea::eventFilter(watched, event);
  }
  QSize minimumSizeHint() const override {
    const QSize content = widget() != nullptr ? widget()->minimumSizeHint() : QSize(0, 0);
    return {content.width() + barWidth(),
            std::min(content.height(), fontMetrics().height() * 6)};
  }

 private:
  int barWidth() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent); }
};

constexpr int kBauds[] = {9600, 19200, 38400, 57600, 115200, 230400, 250000, 500000, 921600};

}  // namespace

GrblSettings GrblSettingsOfTable(const TableConfig& table) {
  GrblSettings settings;
  settings.axisLetters = table.controller.CtlAxes;
  settings.rxBufferSize = table.controller.CtlRxBuffer;
  settings.statusInterval = std::chrono::milliseconds(std::max(table.controller.CtlStatusMs, 200));
  return settings;
}

double JogFeedOfTable(const TableConfig& table) {
  const double x = MaxAxisSpeed(table.XPas, table.XNtour, table.XVmax);
  const double y = MaxAxisSpeed(table.YPas, table.YNtour, table.YVmax);
  const double slower = std::min(x, y);
  return slower > 0.0 && std::isfinite(slower) ? slower * 60.0 : 300.0;
}

MachinePanel::MachinePanel(ProgramContext& context, QWidget* parent, DialogTimer::Clock clock)
    : QDockWidget(msg(Msg::MachinePanelTitle), parent),
      context_(context),
      session_(context.controllerSession()),
      poll_(clock, this),
      hold_(clock, this) {
  setObjectName(QStringLiteral("machinePanel"));
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  // Connection, position and jog scroll when the dock is too low for them
  // (large text scaling); the actions with the emergency stop and the log
  // stay in view.
  auto* scroll = new FittingScrollArea(body);
  scroll->setObjectName(QStringLiteral("machineScroll"));
  auto* controls = new QWidget(scroll);
  auto* controlsLayout = new QVBoxLayout(controls);
  controlsLayout->setContentsMargins(0, 0, 0, 0);
  controlsLayout->addWidget(buildConnection(controls));
  controlsLayout->addWidget(buildReadout(controls));
  controlsLayout->addWidget(buildJog(controls));
  scroll->setWidget(controls);
  layout->addWidget(scroll);
  layout->addWidget(buildActions(body));

  failureLabel_ = new QLabel(body);
  failureLabel_->setObjectName(QStringLiteral("machineFailure"));
  failureLabel_->setWordWrap(true);
  failureLabel_->setStyleSheet(QStringLiteral("color: #c62828"));
  failureLabel_->setVisible(false);
  layout->addWidget(failureLabel_);

  auto* logBox = new QGroupBox(msg(Msg::MachineExchange), body);
  auto* logLayout = new QVBoxLayout(logBox);
  log_ = new QPlainTextEdit(logBox);
  log_->setObjectName(QStringLiteral("machineLog"));
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(static_cast<int>(ControllerSession::kLogLimit));
  log_->setFont(QFont(QStringLiteral("monospace")));
  // The log takes the height left over above its minimum: when the dock is
  // low the controls keep theirs first.
  log_->setMinimumHeight(120);
  log_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  // One exchanged line per line, as on the wire: long reports scroll sideways.
  log_->setLineWrapMode(QPlainTextEdit::NoWrap);
  logLayout->addWidget(log_);
  showPolls_ = new QCheckBox(msg(Msg::MachineShowPolls), logBox);
  showPolls_->setObjectName(QStringLiteral("machineShowPolls"));
  logLayout->addWidget(showPolls_);
  layout->addWidget(logBox, 1);
  setWidget(body);

  connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) syncToTable();
  });
  connect(showPolls_, &QCheckBox::toggled, this, [this] { showLog(); });
  poll_.setAction([this] { poll(); });
  hold_.setAction([this] { holdElapsed(); });
  // What was exchanged before the panel was made, then every line as it goes.
  for (const ControllerSession::LogLine& line : session_.log()) {
    addLog(line.sent, line.poll, uiText(line.text));
  }
  showLog();
  session_.setTrafficObserver([this](const ControllerSession::LogLine& line) { takeLine(line); });
  syncToTable();
  refresh();
}

MachinePanel::~MachinePanel() { session_.setTrafficObserver({}); }

QWidget* MachinePanel::buildConnection(QWidget* parent) {
  auto* box = new QGroupBox(parent);
  auto* form = new QFormLayout(box);
  port_ = new QComboBox(box);
  port_->setObjectName(QStringLiteral("machinePort"));
  port_->setEditable(true);
  port_->setInsertPolicy(QComboBox::NoInsert);
  port_->setMinimumContentsLength(14);
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    port_->addItem(info.systemLocation());
  }
  baud_ = new QComboBox(box);
  baud_->setObjectName(QStringLiteral("machineBaud"));
  baud_->setEditable(true);
  for (const int baud : kBauds) baud_->addItem(QString::number(baud));
  baud_->lineEdit()->setValidator(nullptr);
  form->addRow(msg(Msg::MachinePort), port_);
  form->addRow(msg(Msg::MachineBaud), baud_);
  auto* buttons = new QHBoxLayout;
  connect_ = new QPushButton(msg(Msg::MachineConnect), box);
  connect_->setObjectName(QStringLiteral("machineConnect"));
  disconnect_ = new QPushButton(msg(Msg::MachineDisconnect), box);
  disconnect_->setObjectName(QStringLiteral("machineDisconnect"));
  buttons->addWidget(connect_);
  buttons->addWidget(disconnect_);
  form->addRow(buttons);
  banner_ = new QLabel(box);
  banner_->setObjectName(QStringLiteral("machineBanner"));
  banner_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  banner_->setWordWrap(true);
  form->addRow(msg(Msg::MachineFirmware), banner_);
  state_ = new QLabel(box);
  state_->setObjectName(QStringLiteral("machineState"));
  state_->setAlignment(Qt::AlignCenter);
  form->addRow(msg(Msg::MachineState), state_);
  connect(connect_, &QPushButton::clicked, this, &MachinePanel::connectController);
  connect(disconnect_, &QPushButton::clicked, this, &MachinePanel::disconnectController);
  return box;
}

QWidget* MachinePanel::buildReadout(QWidget* parent) {
  auto* box = new QGroupBox(msg(Msg::MachinePosition), parent);
  auto* row = new QHBoxLayout(box);
  static const char* const kAxisNames[] = {"XG", "YG", "XD", "YD"};
  for (int tower = 0; tower < 2; ++tower) {
    auto* group = new QGroupBox(msg(tower == 0 ? Msg::MachineLeft : Msg::MachineRight), box);
    auto* rows = new QFormLayout(group);
    for (int k = 0; k < 2; ++k) {
      const int axis = tower * 2 + k;
      auto* label = new QLabel(group);
      label->setObjectName(QStringLiteral("machinePosition%1").arg(QLatin1String(kAxisNames[axis])));
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-0000.000 ")));
      label->setTextInteractionFlags(Qt::TextSelectableByMouse);
      QFont font = label->font();
      font.setBold(true);
      label->setFont(font);
      axes_[static_cast<std::size_t>(axis)] = label;
      rows->addRow(QLatin1String(kAxisNames[axis]), label);
    }
    row->addWidget(group);
  }
  return box;
}

QWidget* MachinePanel::buildJog(QWidget* parent) {
  auto* box = new QGroupBox(msg(Msg::MachineJog), parent);
  auto* layout = new QVBoxLayout(box);

  // Segmented choices: which towers, how far.
  const auto segmented = [box](QButtonGroup*& group, const std::vector<std::pair<QString, QString>>& items) {
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    group = new QButtonGroup(box);
    group->setExclusive(true);
    int id = 0;
    for (const auto& [text, name] : items) {
      auto* button = new QToolButton(box);
      button->setText(text);
      button->setObjectName(name);
      button->setCheckable(true);
      button->setToolButtonStyle(Qt::ToolButtonTextOnly);
      button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
      group->addButton(button, id++);
      row->addWidget(button);
    }
    group->button(1)->setChecked(true);
    return row;
  };
  layout->addLayout(segmented(towerGroup_, {{msg(Msg::MachineLeft), QStringLiteral("machineJogLeft")},
                                            {msg(Msg::MachineBoth), QStringLiteral("machineJogBoth")},
                                            {msg(Msg::MachineRight), QStringLiteral("machineJogRight")}}));
  auto* steps = new QHBoxLayout;
  steps->addWidget(new QLabel(msg(Msg::MachineStep), box));
  std::vector<std::pair<QString, QString>> stepItems;
  for (const double s : kSteps) {
    stepItems.emplace_back(QString::number(s), QStringLiteral("machineStep%1").arg(stepItems.size()));
  }
  steps->addLayout(segmented(stepGroup_, stepItems), 1);
  layout->addLayout(steps);

  auto* grid = new QGridLayout;
  grid->setSpacing(2);
  const struct {
    int dX, dY, row, column;
    Qt::ArrowType type;
    const char* name;
  } arrows[] = {{0, 1, 0, 1, Qt::UpArrow, "machineArrowUp"},
                {-1, 0, 1, 0, Qt::LeftArrow, "machineArrowLeft"},
                {1, 0, 1, 2, Qt::RightArrow, "machineArrowRight"},
                {0, -1, 2, 1, Qt::DownArrow, "machineArrowDown"}};
  for (const auto& a : arrows) {
    auto* button = new QToolButton(box);
    button->setObjectName(QLatin1String(a.name));
    button->setArrowType(a.type);
    const int side = button->fontMetrics().height() * 2;
    button->setFixedSize(side, side);
    grid->addWidget(button, a.row, a.column);
    arrows_.push_back({button, {a.dX, a.dY}});
    connect(button, &QToolButton::pressed, this, [this, dX = a.dX, dY = a.dY] { pressArrow(dX, dY); });
    connect(button, &QToolButton::released, this, &MachinePanel::releaseArrow);
  }
  zero_ = new QPushButton(msg(Msg::MachineZeroHere), box);
  zero_->setObjectName(QStringLiteral("machineZeroHere"));
  grid->addWidget(zero_, 1, 1);
  auto* centred = new QHBoxLayout;
  centred->addStretch(1);
  centred->addLayout(grid);
  centred->addStretch(1);
  layout->addLayout(centred);
  connect(zero_, &QPushButton::clicked, this, [this] {
    if (!session_.setWorkZero()) fail(session_.failureText());
    refresh();
  });
  return box;
}

QWidget* MachinePanel::buildActions(QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  const auto button = [box](Msg text, const char* name) {
    auto* b = new QPushButton(msg(text), box);
    b->setObjectName(QLatin1String(name));
    return b;
  };
  unlock_ = button(Msg::MachineUnlock, "machineUnlock");
  heat_ = button(Msg::MachineHeatTest, "machineHeat");
  heat_->setCheckable(true);
  holdButton_ = button(Msg::MachineHold, "machineHold");
  resume_ = button(Msg::MachineResume, "machineResume");
  stop_ = button(Msg::MachineEmergencyStop, "machineEmergencyStop");
  stop_->setStyleSheet(QStringLiteral(
      "QPushButton { background: #c62828; color: white; font-weight: bold; padding: 6px; }"
      "QPushButton:disabled { background: #e0a0a0; color: #f5f5f5; }"));
  grid->addWidget(unlock_, 0, 0);
  grid->addWidget(heat_, 0, 1);
  grid->addWidget(holdButton_, 1, 0);
  grid->addWidget(resume_, 1, 1);
  grid->addWidget(stop_, 2, 0, 1, 2);
  connect(unlock_, &QPushButton::clicked, this, [this] {
    if (!session_.unlock()) fail(session_.failureText());
    refresh();
  });
  connect(heat_, &QPushButton::clicked, this, [this](bool on) { toggleHeat(on); });
  connect(holdButton_, &QPushButton::clicked, this, [this] {
    if (GrblStreamer* streamer = session_.streamer()) streamer->hold();
  });
  connect(resume_, &QPushButton::clicked, this, [this] {
    if (GrblStreamer* streamer = session_.streamer()) streamer->resume();
  });
  connect(stop_, &QPushButton::clicked, this, &MachinePanel::emergencyStop);
  return box;
}

void MachinePanel::syncToTable() {
  const ControllerLink& link = context_.machine.table.controller;
  if (!session_.connected()) {
    if (link.isGrbl() && !link.CtlPort.empty()) port_->setCurrentText(uiText(link.CtlPort));
    baud_->setCurrentText(QString::number(link.isGrbl() ? link.CtlBaud : 115200));
  }
  poll_.start(std::max(link.CtlStatusMs, 200));
}

void MachinePanel::connectController() {
  const std::string port = port_->currentText().trimmed().toStdString();
  bool baudOk = false;
  const int baud = baud_->currentText().trimmed().toInt(&baudOk);
  if (!baudOk || baud <= 0) {
    fail(formatMessage(Msg::CtlBaudInvalid, {baud_->currentText().toStdString()}));
    return;
  }
  failure_.clear();
  if (!session_.connect(port, baud, GrblSettingsOfTable(context_.machine.table))) {
    fail(formatMessage(Msg::MachineConnectFailed, {port, session_.failureText()}));
  }
  heat_->setChecked(false);
  refresh();
}

void MachinePanel::disconnectController() {
  if (session_.busy()) return;
  releaseArrow();
  session_.disconnect();
  heat_->setChecked(false);
  refresh();
}

void MachinePanel::poll() {
  if (!session_.connected()) return;
  if (!session_.busy()) {
    // The query and its report reach the log through the session's traffic.
    if (!session_.refreshStatus()) fail(session_.failureText());
    if (heatOffAfterReset_ && session_.lastStatus() && session_.lastStatus()->state == "Idle") {
      heatOffAfterReset_ = false;
      session_.setHeat(std::nullopt);
    }
  }
  refresh();
}

void MachinePanel::refresh() {
  const bool connected = session_.connected();
  const bool busy = session_.busy();
  const std::optional<GrblStatus> status = session_.lastStatus();
  banner_->setText(connected ? uiText(session_.banner()) : QString());
  const std::string state = !connected ? std::string() : status ? status->state : std::string("?");
  state_->setText(connected ? uiText(busy ? formatMessage(Msg::MachineCutStreaming) + " — " + state : state)
                            : msg(Msg::MachineNotConnected));
  state_->setStyleSheet(QStringLiteral("QLabel { background: %1; color: white; font-weight: bold; "
                                       "padding: 3px; border-radius: 3px; }")
                            .arg(connected ? stateColour(state) : QStringLiteral("#9e9e9e")));
  const GrblStreamer* streamer = session_.streamer();
  const std::optional<std::array<double, 4>> position = streamer ? streamer->position() : std::nullopt;
  for (std::size_t axis = 0; axis < 4; ++axis) {
    axes_[axis]->setText(position ? mm((*position)[axis]) : msg(Msg::CutProgressNoValue));
  }
  // The position is only trusted once zeroed: unknown values are greyed.
  const bool known = session_.positionKnown();
  for (QLabel* label : axes_) {
    label->setStyleSheet(known ? QString() : QStringLiteral("color: #9e9e9e"));
  }

  port_->setEnabled(!connected);
  baud_->setEnabled(!connected);
  connect_->setEnabled(!connected);
  disconnect_->setEnabled(connected && !busy);
  const bool manual = connected && !busy;
  for (const auto& [button, direction] : arrows_) button->setEnabled(manual);
  for (QAbstractButton* b : towerGroup_->buttons()) b->setEnabled(manual);
  for (QAbstractButton* b : stepGroup_->buttons()) b->setEnabled(manual);
  zero_->setEnabled(manual);
  unlock_->setEnabled(manual);
  const bool heatByHand = context_.machine.table.controller.CtlHeatS <= 0.0;
  heat_->setEnabled(manual && !heatByHand);
  heat_->setToolTip(heatByHand ? msg(Msg::MachineHeatByHand) : QString());
  holdButton_->setEnabled(connected);
  resume_->setEnabled(connected);
  stop_->setEnabled(connected);
  if (!connected) heat_->setChecked(false);
  failureLabel_->setText(failure_);
  failureLabel_->setVisible(!failure_.isEmpty());
}

MachinePanel::Towers MachinePanel::towers() const {
  return static_cast<Towers>(std::clamp(towerGroup_->checkedId(), 0, 2));
}

double MachinePanel::step() const {
  return kSteps[std::clamp(stepGroup_->checkedId(), 0, 2)];
}

bool MachinePanel::jog(int dX, int dY, double distance) {
  std::array<std::optional<double>, 4> delta{};
  const Towers which = towers();
  for (int tower = 0; tower < 2; ++tower) {
    if ((tower == 0 && which == Towers::Right) || (tower == 1 && which == Towers::Left)) continue;
    const auto x = static_cast<std::size_t>(tower) * 2;
    if (dX != 0) delta[x] = dX * distance;
    if (dY != 0) delta[x + 1] = dY * distance;
  }
  if (session_.jog(delta, JogFeedOfTable(context_.machine.table))) return true;
  fail(session_.failureText());
  return false;
}

void MachinePanel::pressArrow(int dX, int dY) {
  if (!session_.connected() || session_.busy()) return;
  held_ = std::array<int, 2>{dX, dY};
  longJog_ = false;
  failure_.clear();
  jog(dX, dY, step());
  hold_.start(kHoldDelayMs);
  refresh();
}

void MachinePanel::holdElapsed() {
  hold_.stop();
  if (!held_ || longJog_) return;
  // Held on: one jog as far as the table reaches, cancelled on release.
  const TableConfig& table = context_.machine.table;
  const double reach = std::max(table.AxesX, table.AxesY) > 0 ? std::max(table.AxesX, table.AxesY) : 1000.0;
  longJog_ = jog((*held_)[0], (*held_)[1], reach);
}

void MachinePanel::releaseArrow() {
  hold_.stop();
  if (!held_) return;
  held_.reset();
  if (longJog_) {
    longJog_ = false;
    if (GrblStreamer* streamer = session_.streamer()) streamer->jogCancel();
  }
  refresh();
}

void MachinePanel::toggleHeat(bool on) {
  const double full = context_.machine.table.controller.CtlHeatS;
  const bool done = session_.setHeat(on ? std::optional<double>(full) : std::nullopt);
  if (!done) {
    fail(session_.failureText());
    heat_->setChecked(!on && session_.connected());
  }
  refresh();
}

void MachinePanel::emergencyStop() {
  GrblStreamer* streamer = session_.streamer();
  if (!streamer) return;
  hold_.stop();
  held_.reset();
  longJog_ = false;
  // The soft reset stops at once and switches the spindle output off; "M5"
  // follows once the controller reports Idle again (in alarm it refuses it).
  streamer->emergencyStop();
  heatOffAfterReset_ = true;
  heat_->setChecked(false);
  refresh();
}

void MachinePanel::fail(const std::string& why) {
  failure_ = uiText(why);
  refresh();
}

void MachinePanel::takeLine(const ControllerSession::LogLine& line) {
  addLog(line.sent, line.poll, uiText(line.text));
  if (line.poll && !showPolls_->isChecked()) return;
  // Appended, not rebuilt: a cut exchanges two lines per move. The view
  // follows the end.
  log_->appendPlainText(shownLine(entries_.back()));
  log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

void MachinePanel::addLog(bool sent, bool poll, QString text) {
  entries_.push_back({sent, poll, std::move(text)});
  if (poll) ++pollEntries_;
  const std::size_t others = entries_.size() - pollEntries_;
  if (pollEntries_ > ControllerSession::kLogLimit || others > ControllerSession::kLogLimit) {
    const bool dropPoll = pollEntries_ > ControllerSession::kLogLimit;
    const auto oldest = std::find_if(entries_.begin(), entries_.end(),
                                     [dropPoll](const LogEntry& e) { return e.poll == dropPoll; });
    entries_.erase(oldest);
    if (dropPoll) --pollEntries_;
  }
}

QString MachinePanel::shownLine(const LogEntry& entry) {
  return (entry.sent ? QStringLiteral("> ") : QStringLiteral("< ")) + entry.text;
}

void MachinePanel::showLog() {
  QStringList lines;
  for (const LogEntry& entry : entries_) {
    if (entry.poll && !showPolls_->isChecked()) continue;
    lines << shownLine(entry);
  }
  log_->setPlainText(lines.join(QLatin1Char('\n')));
  log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

QToolButton* MachinePanel::arrow(int dX, int dY) const {
  for (const auto& [button, direction] : arrows_) {
    if (direction[0] == dX && direction[1] == dY) return button;
  }
  return nullptr;
}

QAbstractButton* MachinePanel::towerButton(Towers which) const {
  return towerGroup_->button(static_cast<int>(which));
}

QAbstractButton* MachinePanel::stepButton(int index) const { return stepGroup_->button(index); }

QString MachinePanel::bannerText() const { return banner_->text(); }
QString MachinePanel::stateText() const { return state_->text(); }
QString MachinePanel::positionText(int axis) const {
  return axis >= 0 && axis < 4 ? axes_[static_cast<std::size_t>(axis)]->text() : QString();
}
QString MachinePanel::logText() const { return log_->toPlainText(); }

}  // namespace orva
