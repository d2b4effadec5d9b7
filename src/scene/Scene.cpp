#include "scene/Scene.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"

namespace orva {

namespace {

std::string num(double v) {
  if (std::abs(v) < 0.0005) v = 0.0;
  std::string s = fixedText(v, 3);
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

std::string colour(const Color& c) {
  return fillFields("#%02x%02x%02x", {c.r & 0xff, c.g & 0xff, c.b & 0xff});
}

const char* styleName(PenStyle s) {
  switch (s) {
    case PenStyle::Solid: return "solid";
    case PenStyle::Dashed: return "dash";
    case PenStyle::Dotted: return "dot";
    case PenStyle::DashDot: return "dashdot";
  }
  return "?";
}

const char* kindName(PrimitiveKind k) {
  switch (k) {
    case PrimitiveKind::Polyline: return "polyline";
    case PrimitiveKind::Polygon: return "polygon";
    case PrimitiveKind::Rectangle: return "rect";
    case PrimitiveKind::Circle: return "circle";
    case PrimitiveKind::Arc: return "arc";
    case PrimitiveKind::Line: return "line";
    case PrimitiveKind::Text: return "text";
  }
  return "?";
}

const char* alignName(TextAlign a) {
  switch (a) {
    case TextAlign::Left: return "left";
    case TextAlign::Center: return "center";
    case TextAlign::Right: return "right";
  }
  return "?";
}

}  // namespace

void Scene::polyline(const PointList& points, const Pen& pen) {
  if (points.size() < 2) return;
  items.push_back(Primitive{.kind = PrimitiveKind::Polyline, .pen = pen, .points = points});
}

void Scene::polygon(const PointList& points, const Pen& pen, const Brush& brush) {
  if (points.size() < 3) return;
  items.push_back(Primitive{.kind = PrimitiveKind::Polygon, .pen = pen, .brush = brush, .points = points});
}

void Scene::line(Point2D a, Point2D b, const Pen& pen) {
  items.push_back(Primitive{.kind = PrimitiveKind::Line, .pen = pen, .points = {a, b}});
}

void Scene::rectangle(Point2D a, Point2D b, const Pen& pen, const Brush& brush) {
  items.push_back(Primitive{.kind = PrimitiveKind::Rectangle, .pen = pen, .brush = brush, .points = {a, b}});
}

void Scene::circle(Point2D centre, double radius, const Pen& pen, const Brush& brush) {
  items.push_back(
      Primitive{.kind = PrimitiveKind::Circle, .pen = pen, .brush = brush, .points = {centre}, .radius = radius});
}

void Scene::arc(Point2D centre, double radius, double startDeg, double spanDeg, const Pen& pen) {
  items.push_back(Primitive{.kind = PrimitiveKind::Arc,
                            .pen = pen,
                            .points = {centre},
                            .radius = radius,
                            .startAngle = startDeg,
                            .spanAngle = spanDeg});
}

void Scene::text(Point2D anchor, std::string content, const std::string& family, double size,
                 const Color& color, TextAlign align) {
  items.push_back(Primitive{.kind = PrimitiveKind::Text,
                            .pen = Pen{color, 1.0, PenStyle::Solid},
                            .points = {anchor},
                            .text = std::move(content),
                            .fontFamily = family,
                            .fontSize = size,
                            .align = align});
}

std::optional<SceneRect> Scene::extent() const {
  std::optional<SceneRect> box;
  auto add = [&](double x, double y) {
    if (!box) {
      box = SceneRect{x, y, x, y};
      return;
    }
    box->left = std::min(box->left, x);
    box->right = std::max(box->right, x);
    box->bottom = std::min(box->bottom, y);
    box->top = std::max(box->top, y);
  };
  for (const Primitive& p : items) {
    if (p.kind == PrimitiveKind::Circle || p.kind == PrimitiveKind::Arc) {
      add(p.points[0].x - p.radius, p.points[0].y - p.radius);
      add(p.points[0].x + p.radius, p.points[0].y + p.radius);
    } else if (p.kind == PrimitiveKind::Text) {
      // About 0.6 of the height per character: enough for the extent of a picture.
      const double w = 0.6 * p.fontSize * static_cast<double>(p.text.size());
      const double x0 = p.align == TextAlign::Left ? p.points[0].x
                        : p.align == TextAlign::Center ? p.points[0].x - w / 2
                                                       : p.points[0].x - w;
      add(x0, p.points[0].y - 0.25 * p.fontSize);
      add(x0 + w, p.points[0].y + p.fontSize);
    } else {
      for (const Point2D& q : p.points) add(q.x, q.y);
    }
  }
  return box;
}

std::string Scene::dump() const {
  std::string out = "scene units/mm " + num(unitsPerMm) + " frame " + num(frame.left) + " " + num(frame.bottom) +
                    " " + num(frame.right) + " " + num(frame.top) + "\n";
  for (const Primitive& p : items) {
    out += kindName(p.kind);
    if (p.kind == PrimitiveKind::Text) {
      out += " " + colour(p.pen.color) + " \"" + p.fontFamily + "\" " + num(p.fontSize) + " " + alignName(p.align) +
             " @" + num(p.points[0].x) + "," + num(p.points[0].y) + " \"" + p.text + "\"\n";
      continue;
    }
    out += " pen " + colour(p.pen.color) + " " + num(p.pen.width) + " " + styleName(p.pen.style);
    if (p.brush.filled) out += " brush " + colour(p.brush.color);
    if (p.kind == PrimitiveKind::Circle || p.kind == PrimitiveKind::Arc) out += " r " + num(p.radius);
    if (p.kind == PrimitiveKind::Arc) out += " a " + num(p.startAngle) + " " + num(p.spanAngle);
    for (const Point2D& q : p.points) out += " " + num(q.x) + "," + num(q.y);
    out += "\n";
  }
  return out;
}

}  // namespace orva
