#include "ui/PreviewWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "render/ScenePainter.h"
#include "scene/PreviewScenes.h"

namespace orva {

namespace {
// The click mark: a circle of this radius (pixels) around the point.
constexpr double kMarkRadius = 3.0;
}  // namespace

PreviewWidget::PreviewWidget(Kind kind, const PanelCutForm& form, QWidget* parent)
    : QWidget(parent), kind_(kind), form_(form) {
  setObjectName(kind == Kind::Front ? QStringLiteral("frontPreview") : QStringLiteral("topPreview"));
  setMinimumSize(320, 200);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  if (kind == Kind::Top) setCursor(Qt::CrossCursor);
}

QSize PreviewWidget::sizeHint() const { return {460, 300}; }

Scene PreviewWidget::scene() const {
  return kind_ == Kind::Front ? PreviewScenes::front(form_.frontPreview())
                              : PreviewScenes::top(form_.topPreview());
}

PreviewRect PreviewWidget::extent() const {
  return kind_ == Kind::Front ? form_.frontPreview().extent : form_.topPreview().extent;
}

int PreviewWidget::titleBand() const { return fontMetrics().height() + 4; }

PreviewMapping PreviewWidget::mapping() const {
  // The drawing below the band of the title.
  const int band = titleBand();
  PreviewMapping m = FitPreview(extent(), width(), std::max(0, height() - band));
  m.offsetY += band;
  return m;
}

void PreviewWidget::formChanged() {
  click_.reset();
  update();
}

void PreviewWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const PreviewMapping m = mapping();
  if (!m.valid()) return;
  painter.setRenderHint(QPainter::Antialiasing);
  // The table with its margin on a light blue ground.
  const QRectF ground(m.offsetX, m.offsetY, m.extent.width() * m.scale, m.extent.height() * m.scale);
  painter.fillRect(ground, QColor(225, 238, 255));
  // Millimetres, Y up, to the widget's pixels, as PreviewMapping::toDevice.
  QTransform t;
  t.translate(m.offsetX, m.offsetY);
  t.scale(m.scale, -m.scale);
  t.translate(-m.extent.left, -m.extent.top);
  // The drawing in millimetres; its texts (the view's title) at the size of
  // the dialog's own texts, which a preview a few hundred pixels wide would
  // otherwise shrink out of sight.
  Scene drawing = scene();
  std::vector<Primitive> texts;
  std::erase_if(drawing.items, [&texts](const Primitive& item) {
    if (item.kind != PrimitiveKind::Text) return false;
    texts.push_back(item);
    return true;
  });
  ScenePainter::paint(drawing, painter, t);
  painter.setPen(palette().windowText().color());
  const QFontMetrics metrics(painter.font());
  for (const Primitive& text : texts) {
    const QString caption = QString::fromStdString(text.text);
    const double x = m.toDevice(text.points.empty() ? Point2D{} : text.points.front()).x;
    const double w = metrics.horizontalAdvance(caption);
    const double left = text.align == TextAlign::Center ? x - w / 2 : (text.align == TextAlign::Right ? x - w : x);
    painter.drawText(QPointF(left, ground.top() - titleBand() + metrics.ascent() + 2.0), caption);
  }

  if (!click_) return;
  const Point2D at = m.toDevice(click_->point);
  const QPointF point(at.x, at.y);
  painter.setPen(QPen(Qt::black, 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(point, kMarkRadius, kMarkRadius);
  const QString text = QString::fromStdString(click_->text);
  QPointF textAt = point + QPointF(kMarkRadius + 3.0, -kMarkRadius - 2.0);
  // The text stays inside the widget.
  const double textWidth = metrics.horizontalAdvance(text);
  if (textAt.x() + textWidth > width()) textAt.setX(point.x() - kMarkRadius - 3.0 - textWidth);
  if (textAt.y() - metrics.ascent() < 0) textAt.setY(point.y() + kMarkRadius + 2.0 + metrics.ascent());
  painter.drawText(textAt, text);
}

void PreviewWidget::mousePressEvent(QMouseEvent* event) {
  if (kind_ != Kind::Top ||
      (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
    QWidget::mousePressEvent(event);
    return;
  }
  const QPointF at = event->position();
  click_ = form_.clickTopView({at.x(), at.y()}, event->button() == Qt::RightButton, mapping());
  update();
}

}  // namespace orva
