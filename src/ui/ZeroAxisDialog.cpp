#include "ui/ZeroAxisDialog.h"

#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSvgRenderer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <tuple>

#include "common/Messages.h"
#include "config/TableConfig.h"
#include "driver/ControllerSession.h"
#include "ui/MachinePanel.h"
#include "ui/JobRunner.h"

namespace orva {

namespace {

using Field = ZeroAxisField;
using Tower = ZeroAxisForm::Tower;
using Axis = ZeroAxisForm::Axis;

constexpr int kArrowSize = 24;  // the images' size in device-independent pixels

int fieldId(Field field) { return static_cast<int>(field); }

// The compass name of a direction, for the arrows' object names.
QString directionName(int dX, int dY) {
  QString name;
  if (dY > 0) name += QLatin1Char('N');
  if (dY < 0) name += QLatin1Char('S');
  if (dX > 0) name += QLatin1Char('E');
  if (dX < 0) name += QLatin1Char('W');
  return name;
}

}  // namespace

QIcon ZeroAxisDialog::arrowIcon(int dX, int dY, bool pressed) {
  QFile file(pressed ? QStringLiteral(":/icons/arrow-pressed.svg")
                     : QStringLiteral(":/icons/arrow.svg"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray svg = file.readAll();
  // The image points up; turned clockwise on the screen, where y grows downwards.
  const double degrees =
      std::atan2(static_cast<double>(dX), static_cast<double>(dY)) * 180.0 / 3.14159265358979323846;
  const qsizetype open = svg.indexOf('>', svg.indexOf("<svg"));
  const qsizetype close = svg.lastIndexOf("</svg>");
  if (open < 0 || close < open) return {};
  svg.insert(close, "</g>");
  svg.insert(open + 1, QStringLiteral("<g transform=\"rotate(%1 12 12)\">").arg(degrees).toUtf8());
  QSvgRenderer renderer(svg);
  QIcon icon;
  // Drawn for each common screen scale, so the arrows stay sharp on HiDPI screens.
  for (const int scale : {1, 2, 3}) {
    QImage image(QSize(kArrowSize, kArrowSize) * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(scale);
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

ZeroAxisDialog::ZeroAxisDialog(ZeroAxisForm& form, JobRunner& runner, QWidget* parent,
                               DialogTimer::Clock clock, ControllerSession* controller,
                               const TableConfig* table)
    : FormDialog(form, ZeroAxisForm::title(), parent),
      form_(form),
      runner_(runner),
      repeat_(clock, this),
      controller_(table ? controller : nullptr),
      table_(table),
      heatTimer_(clock, this) {
  const auto field = [&](Field f) { return makeFieldWidget(*form.info(fieldId(f)), this); };
  const auto label = [&](Msg text, QWidget* buddy) {
    auto* l = new QLabel(uiText(messageText(text)), this);
    if (buddy) l->setBuddy(buddy);
    return l;
  };
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);

  // The arrows of both towers and the synchronisation.
  auto* arrows = new QGroupBox(uiText(messageText(Msg::SingleStepMoves)), this);
  auto* arrowsLayout = new QGridLayout(arrows);
  arrowsLayout->addWidget(label(Msg::LeftAxis, nullptr), 0, 0, Qt::AlignHCenter);
  arrowsLayout->addWidget(label(Msg::RightAxis, nullptr), 0, 1, Qt::AlignHCenter);
  arrowsLayout->addWidget(makeArrowGrid(Tower::Left), 1, 0, Qt::AlignHCenter);
  arrowsLayout->addWidget(makeArrowGrid(Tower::Right), 1, 1, Qt::AlignHCenter);
  arrowsLayout->addWidget(field(Field::Synchronized), 2, 0, 1, 2, Qt::AlignHCenter);
  arrowsLayout->setHorizontalSpacing(3 * arrowsLayout->horizontalSpacing());
  top->addWidget(arrows);

  // The distances of "Move", beside the arrows.
  auto* distance = new QGroupBox(uiText(messageText(Msg::Distance)), this);
  auto* distanceLayout = new QGridLayout(distance);
  distanceLayout->addWidget(label(Msg::XMm, nullptr), 0, 1, Qt::AlignHCenter);
  distanceLayout->addWidget(label(Msg::YMm, nullptr), 0, 2, Qt::AlignHCenter);
  const Field distances[2][2] = {{Field::LeftX, Field::LeftY}, {Field::RightX, Field::RightY}};
  for (int row = 0; row < 2; ++row) {
    QWidget* x = field(distances[row][0]);
    distanceLayout->addWidget(label(row == 0 ? Msg::LeftAxis : Msg::RightAxis, x), row + 1, 0);
    distanceLayout->addWidget(x, row + 1, 1);
    distanceLayout->addWidget(field(distances[row][1]), row + 1, 2);
  }
  distanceLayout->addWidget(field(Field::Move), 3, 1, 1, 2, Qt::AlignRight);
  distanceLayout->setRowStretch(4, 1);
  top->addWidget(distance, 1);

  // The heat test on the left, the step times and the speeds they give on
  // the right.
  auto* values = new QGridLayout;
  QWidget* heat = field(Field::Heat);
  values->addWidget(label(Msg::HeatPercent, heat), 0, 0);
  values->addWidget(withSpinButtons(heat, [this](int delta) { form_.spinHeat(delta); }), 0, 1);
  QWidget* duration = field(Field::TestDuration);
  values->addWidget(label(Msg::TestDurationSec, duration), 1, 0);
  values->addWidget(duration, 1, 1);
  values->addWidget(field(Field::Test), 2, 1, Qt::AlignRight);
  const struct {
    Axis axis;
    Field time;
    Msg timeLabel;
    Field speed;
    Msg speedLabel;
  } axes[] = {{Axis::X, Field::XStepTime, Msg::XTimeBetweenStepsMs, Field::XMaxSpeed,
               Msg::XMaximumSpeedMmPerS},
              {Axis::Y, Field::YStepTime, Msg::YTimeBetweenStepsMs, Field::YMaxSpeed,
               Msg::YMaximumSpeedMmPerS}};
  int row = 0;
  for (const auto& a : axes) {
    QWidget* time = field(a.time);
    values->addWidget(label(a.timeLabel, time), row, 3);
    values->addWidget(withSpinButtons(time, [this, axis = a.axis](
                                                int delta) { form_.spinStepTime(axis, delta); }),
                      row, 4);
    QWidget* speed = field(a.speed);
    speed->setFocusPolicy(Qt::NoFocus);
    values->addWidget(label(a.speedLabel, speed), row + 1, 3);
    values->addWidget(speed, row + 1, 4);
    row += 2;
  }
  values->setColumnMinimumWidth(2, 3 * layout->spacing());
  values->setColumnStretch(1, 1);
  values->setColumnStretch(4, 1);
  layout->addLayout(values);

  // "Set Zero" is the dialog's OK.
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* setZero = qobject_cast<QPushButton*>(field(Field::SetZero));
  setZero->setDefault(true);
  buttons->addWidget(setZero);
  auto* cancel = new QPushButton(uiText(messageText(Msg::Cancel)), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(cancel, &QPushButton::clicked, this, &ZeroAxisDialog::reject);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  bind();
  binder().setButtonAction(fieldId(Field::Move), [this] {
    if (controller_) return controllerMove();
    follow(form_.startMove());
  });
  binder().setButtonAction(fieldId(Field::Test), [this] {
    if (controller_) return controllerTest();
    follow(form_.startTest());
  });
  binder().setButtonAction(fieldId(Field::SetZero), [this] {
    if (controller_ && !controllerSetZero()) return;
    accept();
  });
  heatTimer_.setAction([this] {
    heatTimer_.stop();
    if (controller_ && !controller_->setHeat(std::nullopt)) controllerFailed();
    showStates();
  });
  binder().setOnRefreshed([this] { showStates(); });
  showStates();

  repeat_.setAction([this] { repeat(); });
  form_.open();
}

QWidget* ZeroAxisDialog::makeArrowGrid(Tower tower) {
  auto* grid = new QWidget(this);
  auto* layout = new QGridLayout(grid);
  layout->setSpacing(2);
  layout->setContentsMargins(0, 0, 0, 0);
  const QString prefix =
      tower == Tower::Left ? QStringLiteral("leftArrow") : QStringLiteral("rightArrow");
  for (int dY = 1; dY >= -1; --dY) {
    for (int dX = -1; dX <= 1; ++dX) {
      if (dX == 0 && dY == 0) continue;  // no centre
      auto* button = new QToolButton(grid);
      button->setObjectName(prefix + directionName(dX, dY));
      button->setIcon(arrowIcon(dX, dY, false));
      button->setIconSize(QSize(kArrowSize, kArrowSize));
      button->setFocusPolicy(Qt::TabFocus);
      layout->addWidget(button, 1 - dY, dX + 1);
      const Arrow arrow{button, tower, dX, dY};
      arrows_.push_back(arrow);
      connect(button, &QToolButton::pressed, this, [this, arrow] { press(arrow); });
      connect(button, &QToolButton::released, this, [this, arrow] { release(arrow); });
    }
  }
  return grid;
}

QWidget* ZeroAxisDialog::withSpinButtons(QWidget* edit, std::function<void(int delta)> spin) {
  auto* holder = new QWidget(this);
  auto* row = new QHBoxLayout(holder);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  row->addWidget(edit, 1);
  auto* column = new QVBoxLayout;
  column->setSpacing(0);
  // Up raises the value: the spin step of the up arrow is -1 (the value
  // changes by minus the step), as with the keyboard's Up key in the box.
  for (const auto& [arrowType, delta, suffix] :
       {std::tuple{Qt::UpArrow, -1, "Up"}, std::tuple{Qt::DownArrow, +1, "Down"}}) {
    auto* button = new QToolButton(holder);
    button->setObjectName(edit->objectName() + QLatin1String(suffix));
    button->setArrowType(arrowType);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    const int buttonHeight = edit->sizeHint().height() / 2;
    button->setFixedSize(buttonHeight * 3 / 2, buttonHeight);
    connect(button, &QToolButton::clicked, this, [spin, delta = delta] { spin(delta); });
    column->addWidget(button);
  }
  row->addLayout(column);
  edit->installEventFilter(this);
  spins_[edit] = std::move(spin);
  return holder;
}

bool ZeroAxisDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto found = spins_.find(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (found != spins_.end() && (key == Qt::Key_Up || key == Qt::Key_Down)) {
      found->second(key == Qt::Key_Up ? -1 : +1);
      return true;
    }
  }
  return FormDialog::eventFilter(watched, event);
}

QToolButton* ZeroAxisDialog::arrow(Tower tower, int dX, int dY) const {
  for (const Arrow& a : arrows_) {
    if (a.tower == tower && a.dX == dX && a.dY == dY) return a.button;
  }
  return nullptr;
}

void ZeroAxisDialog::press(const Arrow& arrow) {
  if (controller_) return controllerPress(arrow);
  if (jobRunning_ || !form_.pressArrow(arrow.tower, arrow.dX, arrow.dY)) return;
  arrow.button->setIcon(arrowIcon(arrow.dX, arrow.dY, true));
  repeat_.start(form_.repeatIntervalMs());
}

void ZeroAxisDialog::release(const Arrow& arrow) {
  arrow.button->setIcon(arrowIcon(arrow.dX, arrow.dY, false));
  if (controller_) {
    if (!controllerHeld_ || controllerHeld_->button != arrow.button) return;
    repeat_.stop();
    controllerHeld_.reset();
    if (longJog_) {
      longJog_ = false;
      if (GrblStreamer* streamer = controller_->streamer()) streamer->jogCancel();
    }
    return;
  }
  if (!form_.arrowPressed(arrow.tower, arrow.dX, arrow.dY)) return;
  repeat_.stop();
  form_.releaseArrow();
}

void ZeroAxisDialog::repeat() {
  if (controller_) {
    // Held on: one jog as far as the table reaches, cancelled on release.
    repeat_.stop();
    if (!controllerHeld_ || longJog_) return;
    const double reach = std::max({table_->AxesX, table_->AxesY, 1});
    const Arrow& a = *controllerHeld_;
    std::array<std::optional<double>, 4> delta{};
    const bool both = !form_.rightArrowsEnabled();
    for (int tower = 0; tower < 2; ++tower) {
      if (!both && tower != (a.tower == Tower::Left ? 0 : 1)) continue;
      if (a.dX != 0) delta[static_cast<std::size_t>(tower) * 2] = a.dX * reach;
      if (a.dY != 0) delta[static_cast<std::size_t>(tower) * 2 + 1] = a.dY * reach;
    }
    longJog_ = controllerJog(delta);
    return;
  }
  if (!form_.arrowHeld()) {
    repeat_.stop();
    return;
  }
  if (form_.repeatTick()) repeat_.start(form_.repeatIntervalMs());
}

void ZeroAxisDialog::follow(std::optional<bool> started) {
  if (started.value_or(false)) {
    const QPointer<ZeroAxisDialog> self(this);
    jobRunning_ = runner_.follow([self](CutJobResult) {
      if (self) self->jobEnded();
    });
  }
  showStates();
}

void ZeroAxisDialog::jobEnded() {
  jobRunning_ = false;
  if (closeWhenDone_) {
    form_.cancel();
    QDialog::reject();
    return;
  }
  binder().refresh();
}

void ZeroAxisDialog::showStates() {
  for (const Arrow& a : arrows_) {
    const bool enabled = !jobRunning_ && (a.tower == Tower::Left || form_.rightArrowsEnabled());
    // An arrow held while it goes disabled gets no release of its own.
    if (!enabled && form_.arrowPressed(a.tower, a.dX, a.dY)) release(a);
    a.button->setEnabled(enabled);
  }
  for (const Field f : {Field::Move, Field::Test, Field::SetZero}) {
    if (QWidget* w = binder().widget(fieldId(f))) w->setEnabled(!jobRunning_);
  }
}

bool ZeroAxisDialog::controllerJog(const std::array<std::optional<double>, 4>& delta) {
  if (controller_->jog(delta, JogFeedOfTable(*table_))) return true;
  controllerFailed();
  return false;
}

void ZeroAxisDialog::controllerPress(const Arrow& arrow) {
  if (!form_.rightArrowsEnabled() && arrow.tower == Tower::Right) return;
  // A step of the arrow's tower, or of both while synchronized.
  std::array<std::optional<double>, 4> delta{};
  const bool both = !form_.rightArrowsEnabled();
  for (int tower = 0; tower < 2; ++tower) {
    if (!both && tower != (arrow.tower == Tower::Left ? 0 : 1)) continue;
    if (arrow.dX != 0) delta[static_cast<std::size_t>(tower) * 2] = arrow.dX * kControllerStepMm;
    if (arrow.dY != 0) delta[static_cast<std::size_t>(tower) * 2 + 1] = arrow.dY * kControllerStepMm;
  }
  controllerHeld_ = arrow;
  longJog_ = false;
  arrow.button->setIcon(arrowIcon(arrow.dX, arrow.dY, true));
  controllerJog(delta);
  repeat_.start(MachinePanel::kHoldDelayMs);
}

void ZeroAxisDialog::controllerMove() {
  const auto value = [](double d) { return d != 0.0 ? std::optional<double>(d) : std::nullopt; };
  controllerJog({value(form_.leftX), value(form_.leftY), value(form_.rightX), value(form_.rightY)});
}

void ZeroAxisDialog::controllerTest() {
  const double full = table_->controller.CtlHeatS;
  if (full <= 0.0) return;
  if (!controller_->setHeat(full * std::clamp(form_.heat, 1, 100) / 100.0)) return controllerFailed();
  heatTimer_.start(std::max(form_.testDuration, 1) * 1000);
  showStates();
}

bool ZeroAxisDialog::controllerSetZero() {
  if (controller_->setWorkZero()) return true;
  controllerFailed();
  return false;
}

void ZeroAxisDialog::controllerFailed() {
  QMessageBox::warning(this, windowTitle(),
                       uiText(formatMessage(Msg::MachineCommandFailed, {controller_->failureText()})));
}

void ZeroAxisDialog::reject() {
  if (heatTimer_.isActive()) {
    heatTimer_.stop();
    controller_->setHeat(std::nullopt);
  }
  if (jobRunning_) {
    // The job ends first (the move under way is never cut short); the
    // interface is stopped and the dialog closed when it has.
    closeWhenDone_ = true;
    runner_.cancel();
    return;
  }
  repeat_.stop();
  form_.cancel();
  QDialog::reject();
}

}  // namespace orva
