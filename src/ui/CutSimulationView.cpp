#include "ui/CutSimulationView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "motion/CutEnvironment.h"
#include "render/ScenePainter.h"
#include "ui/JobRunner.h"

namespace orva {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Frames of the play timer, ms.
constexpr int kPlayFrameMs = 40;
// The most warnings the list shows without scrolling.
constexpr int kWarningRows = 4;
// Degrees the oblique view turns per pixel dragged.
constexpr double kDegreesPerPixel = 0.4;

}  // namespace

CutSimulationView::CutSimulationView(CT1Doc& doc, const CommandCatalogue& commands,
                                     CutEnvironment& env, JobRunner* runner, QWidget* parent)
    : SceneView(doc, commands, parent), env_(env), runner_(runner) {
  setObjectName(QStringLiteral("cutView"));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  buildTimeLine();

  // A command may change the project several times: plan once afterwards.
  replanSoon_.setSingleShot(true);
  replanSoon_.setInterval(0);
  connect(&replanSoon_, &QTimer::timeout, this, &CutSimulationView::replan);
  token_ = doc.subscribe([this](DocChanges changes) {
    if (changes.has(DocChange::PanelList) || changes.has(DocChange::CurrentPanel) ||
        changes.has(DocChange::PanelGeometry)) {
      replanSoon_.start();
    }
  });

  play_.setInterval(kPlayFrameMs);
  connect(&play_, &QTimer::timeout, this, &CutSimulationView::tick);

  if (runner_) {
    connect(runner_, &JobRunner::progressed, this, &CutSimulationView::followJob);
    connect(runner_, &JobRunner::finished, this, [this] {
      following_ = false;
      showState();
    });
  }
  replan();
  // A new window shows the whole cut: every path, the wire at the end.
  setTime(sim_.totalTime);
}

CutSimulationView::~CutSimulationView() {
  if (CT1Doc* doc = document()) doc->unsubscribe(token_);
}

void CutSimulationView::buildTimeLine() {
  timeLine_ = new QWidget(this);
  timeLine_->setObjectName(QStringLiteral("timeLine"));
  timeLine_->setAutoFillBackground(true);
  auto* column = new QVBoxLayout(timeLine_);
  column->setContentsMargins(6, 4, 6, 4);
  column->setSpacing(2);

  auto* controls = new QHBoxLayout;
  const auto button = [this](const char* name, Msg text, QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(timeLine_);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(qs(messageText(text)));
    b->setIcon(style()->standardIcon(icon));
    b->setToolTip(qs(messageText(text)));
    b->setAccessibleName(qs(messageText(text)));
    b->setAutoRaise(true);
    return b;
  };
  previous_ = button("previousMove", Msg::SimPreviousMove, QStyle::SP_MediaSkipBackward);
  playButton_ = button("playButton", Msg::SimPlay, QStyle::SP_MediaPlay);
  next_ = button("nextMove", Msg::SimNextMove, QStyle::SP_MediaSkipForward);
  threeDButton_ = new QToolButton(timeLine_);
  threeDButton_->setObjectName(QStringLiteral("threeDButton"));
  threeDButton_->setText(qs(messageText(Msg::SimThreeD)));
  threeDButton_->setToolTip(qs(messageText(Msg::SimObliqueTitle)));
  threeDButton_->setCheckable(true);
  slider_ = new QSlider(Qt::Horizontal, timeLine_);
  slider_->setObjectName(QStringLiteral("timeSlider"));
  speedList_ = new QComboBox(timeLine_);
  speedList_->setObjectName(QStringLiteral("speedList"));
  for (int speed : kSpeeds) speedList_->addItem(QStringLiteral("%1\u00D7").arg(speed), speed);
  controls->addWidget(previous_);
  controls->addWidget(playButton_);
  controls->addWidget(next_);
  controls->addWidget(slider_, 1);
  controls->addWidget(speedList_);
  controls->addWidget(threeDButton_);
  column->addLayout(controls);

  moveText_ = new QLabel(timeLine_);
  moveText_->setObjectName(QStringLiteral("moveReadout"));
  timeText_ = new QLabel(timeLine_);
  timeText_->setObjectName(QStringLiteral("timeReadout"));
  speedText_ = new QLabel(timeLine_);
  speedText_->setObjectName(QStringLiteral("speedReadout"));
  auto* readouts = new QHBoxLayout;
  readouts->addWidget(moveText_, 1);
  readouts->addWidget(timeText_);
  column->addLayout(readouts);
  column->addWidget(speedText_);
  for (QLabel* label : {moveText_, timeText_, speedText_}) {
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  // The warnings of the planned cut; choosing one goes to the move concerned.
  warnings_ = new QListWidget(timeLine_);
  warnings_->setObjectName(QStringLiteral("warningList"));
  warnings_->setAccessibleName(qs(messageText(Msg::SimWarningsTitle)));
  warnings_->setToolTip(qs(messageText(Msg::SimWarningsHint)));
  warnings_->hide();
  column->addWidget(warnings_);

  connect(slider_, &QSlider::valueChanged, this, [this](int value) {
    const double t = static_cast<double>(value) / kSliderSteps;
    // The slider follows the state; only a user's move of it sets the time.
    if (std::abs(t - state_.time) * kSliderSteps >= 0.5) setTime(t);
  });
  connect(playButton_, &QToolButton::clicked, this, [this] { playing() ? pause() : play(); });
  connect(previous_, &QToolButton::clicked, this, [this] { stepMove(-1); });
  connect(next_, &QToolButton::clicked, this, [this] { stepMove(1); });
  connect(threeDButton_, &QToolButton::toggled, this, &CutSimulationView::setThreeD);
  // A click, the arrow keys or Enter on a warning show the wire at its move.
  const auto goToWarning = [this](QListWidgetItem* item) {
    if (item) goToMove(static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong()));
  };
  connect(warnings_, &QListWidget::currentItemChanged, this, goToWarning);
  connect(warnings_, &QListWidget::itemClicked, this, goToWarning);
  connect(warnings_, &QListWidget::itemActivated, this, goToWarning);
}

void CutSimulationView::replan() {
  CT1Doc* doc = document();
  if (!doc) return;
  const double t = state_.time;
  sim_ = CutSimulation::plan(*doc, env_);
  {
    // A new list goes nowhere by itself.
    const QSignalBlocker quiet(warnings_);
    warnings_->clear();
    for (const SimulationWarning& w : sim_.warnings) {
      // The text names the move by the number the time line and the
      // picture's ring show.
      auto* item = new QListWidgetItem(qs(w.text), warnings_);
      item->setToolTip(qs(w.text));
      item->setData(Qt::UserRole, static_cast<qulonglong>(w.moveIndex));
    }
    warnings_->setCurrentRow(-1);
  }
  // As high as its warnings, at most kWarningRows of them, with no row cut off.
  const int rows = std::min(warnings_->count(), kWarningRows);
  if (rows > 0) {
    warnings_->setFixedHeight(warnings_->sizeHintForRow(0) * rows + 2 * warnings_->frameWidth());
  }
  warnings_->setVisible(!sim_.warnings.empty());
  // A cut of more than a few years would not fit the slider's steps.
  const double steps = std::min(std::ceil(sim_.totalTime * kSliderSteps), 1e9);
  slider_->setRange(0, static_cast<int>(steps));
  slider_->setPageStep(std::max(1, slider_->maximum() / 20));
  state_ = sim_.at(t);
  showState();
  resizeEvent(nullptr);
}

void CutSimulationView::setTime(double seconds) {
  if (following_) return;
  state_ = sim_.at(seconds);
  showState();
}

void CutSimulationView::setThreeD(bool on) {
  threeD_ = on;
  if (threeDButton_->isChecked() != on) threeDButton_->setChecked(on);
  viewport()->update();
}

void CutSimulationView::play() {
  if (following_ || sim_.moves.empty()) return;
  if (state_.time >= sim_.totalTime) setTime(0.0);
  clock_.start();
  play_.start();
  playButton_->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
  playButton_->setToolTip(qs(messageText(Msg::SimPause)));
}

void CutSimulationView::pause() {
  play_.stop();
  playButton_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  playButton_->setToolTip(qs(messageText(Msg::SimPlay)));
}

int CutSimulationView::speedFactor() const {
  const int speed = speedList_->currentData().toInt();
  return speed > 0 ? speed : 1;
}

void CutSimulationView::tick() {
  const double dt = static_cast<double>(clock_.restart()) / 1000.0;
  const double t = std::min(state_.time + dt * speedFactor(), sim_.totalTime);
  setTime(t);
  if (t >= sim_.totalTime) pause();
}

void CutSimulationView::stepMove(int direction) {
  if (sim_.moves.empty()) return;
  pause();
  std::size_t i = std::min(state_.move, sim_.moves.size() - 1);
  if (direction > 0 && state_.fraction >= 1.0 && i + 1 < sim_.moves.size()) {
    // Shown at the end of its move (a warning's): the next move starts there.
    setTime(sim_.moveStart(i + 1));
    return;
  }
  if (direction > 0) {
    // The end of the move running, or of the next one when already there.
    double end = sim_.moveStart(i) + sim_.moves[i].duration;
    while (end <= state_.time && i + 1 < sim_.moves.size()) {
      ++i;
      end = sim_.moveStart(i) + sim_.moves[i].duration;
    }
    setTime(end);
  } else {
    // The start of the move running, or of the one before when at its start.
    while (i > 0 && sim_.moveStart(i) >= state_.time) --i;
    setTime(sim_.moveStart(i));
  }
}

void CutSimulationView::goToMove(std::size_t index) {
  if (following_ || sim_.moves.empty()) return;
  pause();
  state_ = sim_.atMoveEnd(std::min(index, sim_.moves.size() - 1));
  showState();
}

void CutSimulationView::followJob() {
  if (!runner_) return;
  following_ = true;
  pause();
  state_ = sim_.follow(runner_->job().progress());
  showState();
}

void CutSimulationView::showState() {
  const QSignalBlocker block(slider_);
  slider_->setValue(static_cast<int>(std::lround(state_.time * kSliderSteps)));
  for (QWidget* w : std::initializer_list<QWidget*>{slider_, playButton_, previous_, next_}) {
    w->setEnabled(!following_ && sim_.ok());
  }
  if (!sim_.ok()) {
    moveText_->setText(qs(formatMessage(Msg::SimNotPlanned, {sim_.error})));
    timeText_->clear();
    speedText_->clear();
  } else {
    const std::string move =
        state_.move < sim_.moves.size()
            ? formatMessage(Msg::SimMoveReadout, {intText(static_cast<long long>(MoveNumber(state_.move))),
                                                  intText(static_cast<long long>(sim_.moves.size())),
                                                  state_.label})
            : state_.label;
    moveText_->setText(following_ ? qs(messageText(Msg::SimFollowingCut)) + QStringLiteral(" \u2014 ") +
                                        qs(move)
                                  : qs(move));
    timeText_->setText(qs(formatMessage(Msg::SimTimeReadout,
                                        {fixedText(state_.time, 1), fixedText(state_.remaining, 1),
                                         fixedText(sim_.totalTime, 1)})));
    speedText_->setText(qs(formatMessage(
        Msg::SimSpeedsReadout, {fixedText(state_.rootSpeed, 2), fixedText(state_.tipSpeed, 2),
                                fixedText(state_.leftSpeed, 2), fixedText(state_.rightSpeed, 2)})));
  }
  viewport()->update();
}

Scene CutSimulationView::buildScene(bool printing) const {
  if (!sim_.ok()) return Scene{};
  // On paper the picture tells the move and the time itself.
  if (printing) return build(CutSceneStyle{});
  return build(screenStyle_);
}

Scene CutSimulationView::build(const CutSceneStyle& style) const {
  return threeD_ ? CutSimulationScene::oblique(sim_, state_, angles_, style)
                 : CutSimulationScene::front(sim_, state_, style);
}

QTransform CutSimulationView::fit(const Scene& s) const {
  const double w = std::max(1.0, s.frame.width());
  const double h = std::max(1.0, s.frame.height());
  const QSize size = viewport()->size();
  const double k = std::max(1e-9, std::min(size.width() / w, size.height() / h));
  const double dx = (size.width() - k * w) / 2.0;
  const double dy = (size.height() - k * h) / 2.0;
  return QTransform(k, 0.0, 0.0, -k, dx - k * s.frame.left, dy + k * s.frame.top);
}

void CutSimulationView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  if (!document() || !sim_.ok()) {
    painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12), Qt::AlignLeft | Qt::TextWordWrap,
                     moveText_->text());
    return;
  }
  // The whole drawing fitted into the view, centred, with texts and lines
  // of the same size on screen whatever the size of the drawing: the scale
  // of a first picture gives their size in the drawing.
  const double k = fit(build(CutSceneStyle{false, 0.0, 0.0})).m11();
  const double px = fontMetrics().height();
  screenStyle_ = CutSceneStyle{false, px / k, 1.5 / k};
  const Scene s = build(screenStyle_);
  ScenePainter::paint(s, painter, fit(s));
}

void CutSimulationView::resizeEvent(QResizeEvent* event) {
  if (event) SceneView::resizeEvent(event);
  const int h = timeLine_->sizeHint().height();
  setViewportMargins(0, 0, 0, h);
  const QRect area = contentsRect();
  timeLine_->setGeometry(area.left(), area.bottom() + 1 - h, area.width(), h);
}

void CutSimulationView::mousePressEvent(QMouseEvent* event) {
  dragFrom_ = event->position().toPoint();
  SceneView::mousePressEvent(event);
}

void CutSimulationView::mouseMoveEvent(QMouseEvent* event) {
  if (!threeD_ || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint at = event->position().toPoint();
  const QPoint d = at - dragFrom_;
  dragFrom_ = at;
  angles_.azimuth = std::fmod(angles_.azimuth + d.x() * kDegreesPerPixel, 360.0);
  angles_.elevation = std::clamp(angles_.elevation + d.y() * kDegreesPerPixel, -85.0, 85.0);
  viewport()->update();
}

void CutSimulationView::contextMenuEvent(QContextMenuEvent*) {}

}  // namespace orva
