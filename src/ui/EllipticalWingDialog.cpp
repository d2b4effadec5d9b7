#include "ui/EllipticalWingDialog.h"

#include <algorithm>
#include <cmath>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/Messages.h"
#include "render/ScenePainter.h"
#include "scene/Scene.h"

namespace orva {

namespace {

using F = EllipticalWingField;

QString mm(double value) { return QString::number(value, 'f', 1); }
QString dm2(double value) { return QString::number(value, 'f', 2); }

// Paints the planform of the form's current computation, fitted to the widget.
class PlanformView : public QWidget {
 public:
  PlanformView(const EllipticalWingForm& form, QWidget* parent) : QWidget(parent), form_(form) {
    setMinimumSize(360, 160);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setObjectName("planform");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    const Scene scene = EllipticalWingDialog::planformScene(form_);
    const std::optional<SceneRect> extent = scene.extent();
    if (!extent || extent->width() <= 0.0 || extent->height() <= 0.0) return;
    const double margin = 8.0;
    const double scale = std::min((width() - 2 * margin) / extent->width(),
                                  (height() - 2 * margin) / extent->height());
    QTransform t;
    t.translate(width() / 2.0, height() / 2.0);
    t.scale(scale, -scale);
    t.translate(-(extent->left + extent->right) / 2.0, -(extent->bottom + extent->top) / 2.0);
    ScenePainter::paint(scene, painter, t);
  }

 private:
  const EllipticalWingForm& form_;
};

}  // namespace

Scene EllipticalWingDialog::planformScene(const EllipticalWingForm& form) {
  Scene scene;
  scene.unitsPerMm = 1.0;
  const EllipseModel& m = form.model();
  const double b = m.halfSpan;
  const double a1 = m.symmetry / 100.0 * m.rootChord;
  const double a2 = (100.0 - m.symmetry) / 100.0 * m.rootChord;
  const Pen axis{kGrey, 0.0, PenStyle::Dashed};
  const Pen ellipse{kBlue, 0.0};
  const Pen panels{kRed, 0.0};
  scene.line({-b, 0.0}, {b, 0.0}, axis);
  scene.line({0.0, a1}, {0.0, -a2}, axis);

  const auto halfEllipse = [&](double side) {
    constexpr int kSteps = 90;
    PointList outline;
    for (int i = 0; i <= kSteps; ++i) {  // leading edge, root to tip
      const double y = b * i / kSteps;
      outline.push_back({side * y, a1 * std::sqrt(std::max(0.0, 1.0 - (y / b) * (y / b)))});
    }
    for (int i = kSteps; i >= 0; --i) {  // trailing edge, tip to root
      const double y = b * i / kSteps;
      outline.push_back({side * y, -a2 * std::sqrt(std::max(0.0, 1.0 - (y / b) * (y / b)))});
    }
    scene.polyline(outline, ellipse);
  };
  const auto panelOutlines = [&](double side) {
    const EllipseComputation& c = form.computation();
    for (int k = 0; k < c.count; ++k) {
      const EllipsePanel& p = c.panels[static_cast<std::size_t>(k)];
      const double outer = p.outerY;
      const double inner = p.outerY - p.length;
      scene.polygon({{side * inner, EllipseLeadingEdgeX(m, p, inner)},
                     {side * outer, EllipseLeadingEdgeX(m, p, outer)},
                     {side * outer, EllipseTrailingEdgeX(m, p, outer)},
                     {side * inner, EllipseTrailingEdgeX(m, p, inner)}},
                    panels);
    }
  };
  if (b > 0.0) {
    if (form.option(EllipseDisplayOption::LeftHalfEllipse)) halfEllipse(-1.0);
    if (form.option(EllipseDisplayOption::RightHalfEllipse)) halfEllipse(1.0);
    if (form.option(EllipseDisplayOption::LeftPanels)) panelOutlines(-1.0);
    if (form.option(EllipseDisplayOption::RightPanels)) panelOutlines(1.0);
  }
  return scene;
}

EllipticalWingDialog::EllipticalWingDialog(EllipticalWingForm& form, QWidget* parent)
    : FormDialog(form, EllipticalWingForm::title(), parent), ellipseForm_(form) {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);

  // The model and what follows from it directly.
  auto* modelBox = new QGroupBox(this);
  auto* model = new QFormLayout(modelBox);
  for (F field : {F::HalfSpan, F::RootChord, F::TipChord, F::Symmetry}) {
    const FieldInfo& info = *form.info(EllipticalWingForm::id(field));
    model->addRow(uiText(info.caption), makeFieldWidget(info, modelBox));
  }
  lengthOverChord_ = new QLabel(modelBox);
  modelSurface_ = new QLabel(modelBox);
  panelCount_ = new QLabel(modelBox);
  // Outputs: their captions are plain labels (nothing to reach with a key).
  const auto output = [](Msg caption, QWidget* parent) {
    return new QLabel(uiText(messageText(caption)), parent);
  };
  model->addRow(output(Msg::LengthAvCordMm, modelBox), lengthOverChord_);
  model->addRow(output(Msg::HalfWingSurfaceDm2, modelBox), modelSurface_);
  model->addRow(output(Msg::NumberOfPanels, modelBox), panelCount_);
  top->addWidget(modelBox);

  auto* right = new QVBoxLayout;
  top->addLayout(right, 1);
  drawing_ = new PlanformView(form, this);
  right->addWidget(drawing_, 1);
  auto* options = new QGridLayout;
  int i = 0;
  for (F field : {F::LeftHalfEllipse, F::RightHalfEllipse, F::LeftPanels, F::RightPanels}) {
    options->addWidget(makeFieldWidget(*form.info(EllipticalWingForm::id(field)), this), i / 2,
                       i % 2);
    ++i;
  }
  right->addLayout(options);

  // The panels, T1 at the root, and the half-wing totals.
  table_ = new QTableWidget(4, kMaxEllipsePanels + 1, this);
  table_->setObjectName("panels");
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setFocusPolicy(Qt::NoFocus);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  QStringList columns;
  for (int k = 1; k <= kMaxEllipsePanels; ++k) columns << QStringLiteral("T%1").arg(k);
  columns << uiText(messageText(Msg::HalfWing));
  table_->setHorizontalHeaderLabels(columns);
  table_->setVerticalHeaderLabels({uiText(messageText(Msg::RootCordMm)),
                                   uiText(messageText(Msg::TipCordMm)),
                                   uiText(messageText(Msg::LengthMm)),
                                   uiText(messageText(Msg::EllipseSweepBackMm))});
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Exactly the four rows: no empty space below them, no scrolling.
  table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                         4 * table_->verticalHeader()->defaultSectionSize() +
                         2 * table_->frameWidth());
  layout->addWidget(table_);

  auto* totals = new QFormLayout;
  panelsSurface_ = new QLabel(this);
  totals->addRow(output(Msg::HalfWingSurfaceDm2, this), panelsSurface_);
  layout->addLayout(totals);

  layout->addWidget(makeOkCancel());
  bind();
  binder().setOnRefreshed([this] { showComputation(); });
  showComputation();
  resize(900, 520);
}

void EllipticalWingDialog::showComputation() {
  const EllipseComputation& c = ellipseForm_.computation();
  lengthOverChord_->setText(QString::number(c.lengthOverAverageChord, 'f', 2));
  modelSurface_->setText(dm2(c.modelSurface));
  panelCount_->setText(QString::number(c.count));
  panelsSurface_->setText(dm2(c.panelsSurface));
  const std::vector<EllipsePanel> panels = c.rootFirst();
  const auto cell = [this](int row, int column, const QString& text) {
    QTableWidgetItem* item = table_->item(row, column);
    if (item == nullptr) {
      item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(row, column, item);
    }
    item->setText(text);
  };
  for (int k = 0; k < kMaxEllipsePanels; ++k) {
    const bool shown = k < static_cast<int>(panels.size());
    const EllipsePanel* p = shown ? &panels[static_cast<std::size_t>(k)] : nullptr;
    cell(0, k, p ? mm(p->rootChord) : QString());
    cell(1, k, p ? mm(p->tipChord) : QString());
    cell(2, k, p ? mm(p->length) : QString());
    cell(3, k, p ? mm(p->sweep) : QString());
  }
  cell(0, kMaxEllipsePanels, QString());
  cell(1, kMaxEllipsePanels, QString());
  cell(2, kMaxEllipsePanels, mm(c.totalLength));
  cell(3, kMaxEllipsePanels, mm(c.totalSweep));
  drawing_->update();
}

}  // namespace orva
