#include "render/ScenePainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace orva {

namespace {

QColor qcolor(const Color& c) { return QColor(c.r, c.g, c.b); }

Qt::PenStyle qstyle(PenStyle s) {
  switch (s) {
    case PenStyle::Solid: return Qt::SolidLine;
    case PenStyle::Dashed: return Qt::DashLine;
    case PenStyle::Dotted: return Qt::DotLine;
    case PenStyle::DashDot: return Qt::DashDotLine;
  }
  return Qt::SolidLine;
}

QPolygonF polygon(const PointList& pts, const QTransform& t) {
  QPolygonF out;
  out.reserve(static_cast<qsizetype>(pts.size()));
  for (const Point2D& p : pts) out << t.map(QPointF(p.x, p.y));
  return out;
}

}  // namespace

QTransform ScenePainter::fileTransform(const Scene& scene, double dotsPerMm) {
  const double k = dotsPerMm / scene.unitsPerMm;
  // x' = k (x − left), y' = k (top − y)
  return QTransform(k, 0.0, 0.0, -k, -k * scene.frame.left, k * scene.frame.top);
}

void ScenePainter::paint(const Scene& scene, QPainter& painter, const QTransform& t) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const double scale = std::sqrt(std::abs(t.determinant()));
  for (const Primitive& p : scene.items) {
    // Pen widths are logical units but never below one device pixel (cosmetic).
    QPen pen(qcolor(p.pen.color));
    pen.setStyle(qstyle(p.pen.style));
    pen.setWidthF(std::max(1.0, p.pen.width * scale));
    // A filled shape with a pen of width 0 has no outline and is filled
    // without antialiasing, so that neighbouring shapes meet without seams.
    const bool bare = p.pen.width <= 0.0 && p.brush.filled;
    painter.setRenderHint(QPainter::Antialiasing, !bare);
    if (bare) {
      painter.setPen(Qt::NoPen);
    } else {
      painter.setPen(pen);
    }
    painter.setBrush(p.brush.filled ? QBrush(qcolor(p.brush.color)) : QBrush(Qt::NoBrush));
    switch (p.kind) {
      case PrimitiveKind::Polyline:
        painter.drawPolyline(polygon(p.points, t));
        break;
      case PrimitiveKind::Polygon:
        painter.drawPolygon(polygon(p.points, t));
        break;
      case PrimitiveKind::Line:
        painter.drawLine(t.map(QPointF(p.points[0].x, p.points[0].y)), t.map(QPointF(p.points[1].x, p.points[1].y)));
        break;
      case PrimitiveKind::Rectangle:
        painter.drawRect(QRectF(t.map(QPointF(p.points[0].x, p.points[0].y)),
                                t.map(QPointF(p.points[1].x, p.points[1].y)))
                             .normalized());
        break;
      case PrimitiveKind::Circle: {
        const QPointF c = t.map(QPointF(p.points[0].x, p.points[0].y));
        painter.drawEllipse(c, p.radius * scale, p.radius * scale);
        break;
      }
      case PrimitiveKind::Arc: {
        const QPointF c = t.map(QPointF(p.points[0].x, p.points[0].y));
        const double r = p.radius * scale;
        // Qt angles are counter-clockwise on screen, as the scene's with Y up.
        painter.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), static_cast<int>(p.startAngle * 16),
                        static_cast<int>(p.spanAngle * 16));
        break;
      }
      case PrimitiveKind::Text: {
        QFont font(QString::fromStdString(p.fontFamily));
        font.setPixelSize(std::max(1, static_cast<int>(p.fontSize * scale + 0.5)));
        painter.setFont(font);
        const QString text = QString::fromStdString(p.text);
        const double w = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
        QPointF a = t.map(QPointF(p.points[0].x, p.points[0].y));
        if (p.align == TextAlign::Center) a.rx() -= w / 2;
        if (p.align == TextAlign::Right) a.rx() -= w;
        painter.drawText(a, text);
        break;
      }
    }
  }
  painter.restore();
}

}  // namespace orva
