#include "ui/SparsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

#include <tuple>

#include "common/Messages.h"
#include "cutting/SparCuts.h"

namespace orva {

namespace {

using F = SparField;

// Draws the icon of a type on a 16 x 16 logical square: a strip of foam with
// the cut-out the record makes, seen from the root.
void drawTypeIcon(QPainter& p, int type, const QColor& ink) {
  const QColor foam = ink == Qt::black ? QColor(250, 220, 120) : QColor(225, 225, 225);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(ink, 1.0));
  p.setBrush(foam);
  const bool upper = type == SparUpperNotch || type == SparUpperSole || type == SparUpperRound;
  // The foam between y 4 and 12; the cut-out works into the surface named.
  const double surface = upper ? 4.0 : 12.0;
  const double in = upper ? 1.0 : -1.0;  // from the surface into the foam
  QPainterPath strip;
  switch (type) {
    case SparLowerNotch:
    case SparUpperNotch: {
      QPolygonF outline;
      outline << QPointF(1, surface) << QPointF(5.5, surface) << QPointF(5.5, surface + 4 * in)
              << QPointF(10.5, surface + 4 * in) << QPointF(10.5, surface)
              << QPointF(15, surface) << QPointF(15, 16 - surface) << QPointF(1, 16 - surface);
      strip.addPolygon(outline);
      strip.closeSubpath();
      p.drawPath(strip);
      break;
    }
    case SparLowerSole:
    case SparUpperSole: {
      QPolygonF outline;
      outline << QPointF(1, surface) << QPointF(4, surface) << QPointF(4, surface + 2 * in)
              << QPointF(12, surface + 2 * in) << QPointF(12, surface) << QPointF(15, surface)
              << QPointF(15, 16 - surface) << QPointF(1, 16 - surface);
      strip.addPolygon(outline);
      strip.closeSubpath();
      p.drawPath(strip);
      break;
    }
    case SparLowerRound:
    case SparUpperRound: {
      p.drawRect(QRectF(1, 4, 14, 8));
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(8, surface + 4.5 * in), 2.5, 2.5);
      p.drawLine(QPointF(8, surface), QPointF(8, surface + 2 * in));
      break;
    }
    case SparHinge: {
      // A leading edge on the left with the hinge hole behind it.
      QPainterPath edge;
      edge.moveTo(15, 3);
      edge.lineTo(6, 3);
      edge.quadTo(1, 3, 1, 8);
      edge.quadTo(1, 13, 6, 13);
      edge.lineTo(15, 13);
      edge.closeSubpath();
      p.drawPath(edge);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(7.5, 8), 2.5, 2.5);
      p.drawLine(QPointF(1, 8), QPointF(5, 8));
      break;
    }
    default:
      break;
  }
}

}  // namespace

QIcon SparsDialog::typeIcon(int type, bool active) {
  QIcon icon;
  for (const int scale : {1, 2}) {
    QPixmap pixmap(16 * scale, 16 * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawTypeIcon(painter, type, active ? QColor(Qt::black) : QColor(150, 150, 150));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

SparsDialog::SparsDialog(SparsForm& form, QWidget* parent)
    : FormDialog(form, SparsForm::title(), parent), sparsForm_(form) {
  const auto make = [&form](F field, QWidget* parent) {
    return makeFieldWidget(*form.info(SparsForm::id(field)), parent);
  };
  const auto label = [](F field, QWidget* buddy) {
    auto* l = new QLabel(uiText(SparsForm::label(field)), buddy->parentWidget());
    l->setBuddy(buddy);
    return l;
  };

  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  layout->addLayout(body);

  rows_ = new QListWidget(this);
  rows_->setObjectName("rows");
  rows_->setIconSize(QSize(16, 16));
  rows_->setMaximumWidth(170);
  body->addWidget(rows_);

  auto* record = new QVBoxLayout;
  body->addLayout(record, 1);

  auto* head = new QGridLayout;
  head->addWidget(make(F::Active, this), 0, 0, 1, 2);
  QWidget* name = make(F::Label, this);
  head->addWidget(label(F::Label, name), 1, 0);
  head->addWidget(name, 1, 1);
  record->addLayout(head);

  // The seven types as radio buttons with two-line captions, in two rows.
  auto* types = new QGroupBox(this);
  types->setObjectName("type");
  auto* typeGrid = new QGridLayout(types);
  for (int type = SparLowerNotch; type <= SparHinge; ++type) {
    auto* radio = new QRadioButton(uiText(SparsForm::typeCaption(type)), types);
    radio->setObjectName(QStringLiteral("type%1").arg(type));
    const int i = type - SparLowerNotch;
    typeGrid->addWidget(radio, i % 2, i / 2);
  }
  record->addWidget(types);

  auto* sizes = new QGridLayout;
  int row = 0;
  QWidget* distance = make(F::Distance, this);
  sizes->addWidget(label(F::Distance, distance), row, 0);
  sizes->addWidget(distance, row, 1);
  sizes->addWidget(make(F::DistanceInPercent, this), row, 2, 1, 2);
  ++row;
  // Root value, its derived tip value and the box that decides how the tip follows.
  for (const auto& [rootField, tipField, modeField] :
       {std::tuple{F::RootWidth, F::TipWidth, F::WidthMode},
        std::tuple{F::RootThickness, F::TipThickness, F::ThicknessMode}}) {
    QWidget* rootEdit = make(rootField, this);
    QWidget* tipEdit = make(tipField, this);
    auto* mode = new QCheckBox(uiText(SparsForm::label(modeField)), this);
    mode->setObjectName(uiText(form.fieldName(SparsForm::id(modeField))));
    mode->setTristate(true);
    sizes->addWidget(label(rootField, rootEdit), row, 0);
    sizes->addWidget(rootEdit, row, 1);
    sizes->addWidget(label(tipField, tipEdit), row, 2);
    sizes->addWidget(tipEdit, row, 3);
    sizes->addWidget(mode, row, 4);
    ++row;
  }
  sizes->setColumnStretch(1, 1);
  sizes->setColumnStretch(3, 1);
  record->addLayout(sizes);
  record->addStretch(1);

  layout->addWidget(makeOkCancel());
  bind();
  binder().setOnRefreshed([this] { updateIcons(); });
  updateIcons();
}

void SparsDialog::updateIcons() {
  for (int row = 0; row < rows_->count() && row < static_cast<int>(sparsForm_.records().size()); ++row) {
    rows_->item(row)->setIcon(
        typeIcon(sparsForm_.rowType(row), sparsForm_.records()[static_cast<std::size_t>(row)].active));
  }
}

}  // namespace orva
