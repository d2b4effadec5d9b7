#include "ui/CutProgressPanel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <iterator>

#include "app/ProgramContext.h"
#include "common/Messages.h"
#include "ui/FormDialog.h"
#include "ui/JobRunner.h"

namespace orva {

namespace {

QString msg(Msg id) { return uiText(messageText(id)); }

QString mm(double value) { return QString::number(value, 'f', 2); }

QLabel* valueLabel(QWidget* parent, const QString& name) {
  auto* label = new QLabel(msg(Msg::CutProgressNoValue), parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

CutProgressPanel::CutProgressPanel(JobRunner& runner, ProgramContext& context, QWidget* parent)
    : QDockWidget(msg(Msg::CutProgressTitle), parent), runner_(runner), context_(context) {
  setObjectName(QStringLiteral("cutProgress"));
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);

  auto* body = new QWidget(this);
  auto* layout = new QHBoxLayout(body);

  auto* left = new QVBoxLayout;
  bar_ = new QProgressBar(body);
  bar_->setObjectName(QStringLiteral("cutProgressBar"));
  bar_->setMinimumWidth(320);
  bar_->setRange(0, 1);
  bar_->setValue(0);
  bar_->setFormat(msg(Msg::CutProgressNoValue));  // no cut yet
  left->addWidget(bar_);
  auto* times = new QFormLayout;
  elapsed_ = valueLabel(body, QStringLiteral("cutElapsed"));
  remaining_ = valueLabel(body, QStringLiteral("cutRemaining"));
  move_ = valueLabel(body, QStringLiteral("cutMove"));
  move_->setMinimumWidth(260);
  heat_ = valueLabel(body, QStringLiteral("cutHeat"));
  times->addRow(msg(Msg::CutProgressElapsed), elapsed_);
  times->addRow(msg(Msg::CutProgressRemaining), remaining_);
  times->addRow(msg(Msg::CutProgressMove), move_);
  times->addRow(msg(Msg::CutProgressHeat), heat_);
  left->addLayout(times);
  layout->addLayout(left, 1);

  // Where the wire is: each tower's X and Y.
  static const char* const kAxisNames[] = {"XG", "YG", "XD", "YD"};
  for (int tower = 0; tower < 2; ++tower) {
    auto* group = new QGroupBox(msg(tower == 0 ? Msg::CutProgressLeftTower : Msg::CutProgressRightTower), body);
    auto* rows = new QFormLayout(group);
    for (int k = 0; k < 2; ++k) {
      const int axis = tower * 2 + k;
      axes_[axis] = valueLabel(group, QStringLiteral("cutPosition%1").arg(QLatin1String(kAxisNames[axis])));
      axes_[axis]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      axes_[axis]->setMinimumWidth(axes_[axis]->fontMetrics().horizontalAdvance(QStringLiteral("-0000.00 ")));
      rows->addRow(QLatin1String(kAxisNames[axis]), axes_[axis]);
    }
    layout->addWidget(group);
  }

  auto* right = new QVBoxLayout;
  retreating_ = new QLabel(msg(Msg::CutProgressRetreating), body);
  retreating_->setObjectName(QStringLiteral("cutRetreating"));
  QFont bold = retreating_->font();
  bold.setBold(true);
  retreating_->setFont(bold);
  retreating_->setVisible(false);
  right->addWidget(retreating_);
  ended_ = new QLabel(msg(Msg::CutProgressEnded), body);
  ended_->setObjectName(QStringLiteral("cutEnded"));
  ended_->setFont(bold);
  ended_->setVisible(false);
  right->addWidget(ended_);
  auto* pacing = new QFormLayout;
  speedup_ = new QComboBox(body);
  speedup_->setObjectName(QStringLiteral("cutSpeedup"));
  for (const double speedup : kSpeedups) {
    speedup_->addItem(speedup > 0.0 ? QStringLiteral("%1\u00d7").arg(speedup) : msg(Msg::SpeedupAtOnce), speedup);
  }
  pacing->addRow(msg(Msg::CutProgressSpeedup), speedup_);
  right->addLayout(pacing);
  right->addStretch(1);
  cancel_ = new QPushButton(msg(Msg::Cancel), body);
  cancel_->setObjectName(QStringLiteral("cutCancel"));
  cancel_->setEnabled(false);  // until a cut runs
  right->addWidget(cancel_, 0, Qt::AlignRight);
  layout->addLayout(right);
  setWidget(body);

  connect(speedup_, &QComboBox::activated, this, [this](int index) {
    if (index < 0) return;
    context_.setSimulationSpeedup(speedup_->itemData(index).toDouble());
    syncSpeedup();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    runner_.cancel();
    showProgress(runner_.job().progress());
  });
  connect(&runner_, &JobRunner::started, this, &CutProgressPanel::started);
  connect(&runner_, &JobRunner::progressed, this, [this] { showProgress(runner_.job().progress()); });
  connect(&runner_, &JobRunner::finished, this, &CutProgressPanel::finished);
  syncSpeedup();
  setVisible(false);
}

void CutProgressPanel::syncSpeedup() {
  const std::optional<double> speedup = context_.simulationSpeedup();
  speedup_->setEnabled(speedup.has_value());
  if (!speedup) return;
  int index = -1;
  for (int i = 0; i < speedup_->count(); ++i) {
    if (speedup_->itemData(i).toDouble() == *speedup) index = i;
  }
  speedup_->setCurrentIndex(index);
}

void CutProgressPanel::showEvent(QShowEvent* event) {
  syncSpeedup();
  QDockWidget::showEvent(event);
}

void CutProgressPanel::started() {
  syncSpeedup();
  ended_->setVisible(false);
  showProgress(runner_.job().progress());
  openedForCut_ = isHidden();
  setVisible(true);
  raise();
}

void CutProgressPanel::finished() {
  showProgress(runner_.job().progress());
  ended_->setVisible(true);
  if (openedForCut_) setVisible(false);
  openedForCut_ = false;
}

void CutProgressPanel::showProgress(const CutJobProgress& p) {
  const int count = static_cast<int>(std::min<std::size_t>(p.moveCount, 1u << 30));
  bar_->setRange(0, std::max(count, 1));
  bar_->setValue(static_cast<int>(std::min<std::size_t>(p.moveIndex, static_cast<std::size_t>(count))));
  bar_->setFormat(uiText(formatMessage(Msg::CutProgressMoves, {std::to_string(p.moveIndex),
                                                               std::to_string(p.moveCount)})));
  elapsed_->setText(uiText(CutJob::TimeText(p.elapsedSeconds)));
  remaining_->setText(uiText(CutJob::TimeText(p.remainingSeconds)));
  move_->setText(p.label.empty() ? msg(Msg::CutProgressNoValue) : uiText(p.label));
  heat_->setText(uiText(formatMessage(Msg::CutProgressHeatValue, {std::to_string(p.heatPercent)})));
  const double values[4] = {p.position ? p.position->XG : 0.0, p.position ? p.position->YG : 0.0,
                            p.position ? p.position->XD : 0.0, p.position ? p.position->YD : 0.0};
  for (int axis = 0; axis < 4; ++axis) {
    axes_[axis]->setText(p.position && std::isfinite(values[axis]) ? mm(values[axis])
                                                                   : msg(Msg::CutProgressNoValue));
  }
  retreating_->setVisible(p.retreating);
  cancel_->setEnabled(runner_.job().running() && !p.retreating);
}

QString CutProgressPanel::positionText(int axis) const {
  return axis >= 0 && axis < 4 ? axes_[axis]->text() : QString();
}
QString CutProgressPanel::moveText() const { return move_->text(); }
QString CutProgressPanel::elapsedText() const { return elapsed_->text(); }
QString CutProgressPanel::remainingText() const { return remaining_->text(); }
QString CutProgressPanel::heatText() const { return heat_->text(); }
bool CutProgressPanel::retreatingShown() const { return !retreating_->isHidden(); }
bool CutProgressPanel::endShown() const { return !ended_->isHidden(); }

}  // namespace orva
