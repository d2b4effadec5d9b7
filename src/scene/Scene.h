#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geometry/Point2D.h"

namespace orva {

struct Color {
  int r = 0;
  int g = 0;
  int b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

// The colours the views and previews draw with.
inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kNavy{0, 0, 128};
inline constexpr Color kBlue{0, 0, 255};
inline constexpr Color kRed{255, 0, 0};
inline constexpr Color kGreen{0, 255, 0};
inline constexpr Color kGrey{150, 150, 150};
inline constexpr Color kDarkGrey{100, 100, 100};
inline constexpr Color kMagenta{255, 0, 255};

enum class PenStyle { Solid, Dashed, Dotted, DashDot };

struct Pen {
  Color color;
  // Logical units; the painter never draws thinner than one device pixel,
  // and a filled shape with a width of 0 has no outline (and no antialiasing,
  // so that shapes side by side meet without seams).
  double width = 1.0;
  PenStyle style = PenStyle::Solid;
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
  bool filled = false;
  Color color;
  friend bool operator==(const Brush&, const Brush&) = default;
};

enum class PrimitiveKind { Polyline, Polygon, Rectangle, Circle, Arc, Line, Text };
enum class TextAlign { Left, Center, Right };

// One drawn element. Which fields count depends on the kind:
// - Polyline, Polygon, Line: `points` (a line has two);
// - Rectangle: `points[0]` and `points[1]` are opposite corners;
// - Circle: `points[0]` is the centre, `radius`;
// - Arc: centre, radius, `startAngle` and `spanAngle` in degrees, counter-clockwise
//   with Y up;
// - Text: `points[0]` is the anchor (the baseline point given by the alignment),
//   `text` in UTF-8, `fontFamily`, `fontSize` (height in logical units).
struct Primitive {
  PrimitiveKind kind = PrimitiveKind::Polyline;
  Pen pen{};
  Brush brush{};
  PointList points{};
  double radius = 0.0;
  double startAngle = 0.0;
  double spanAngle = 0.0;
  std::string text{};
  std::string fontFamily{};
  double fontSize = 0.0;
  TextAlign align = TextAlign::Left;
};

struct SceneRect {
  double left = 0.0;
  double bottom = 0.0;
  double right = 0.0;
  double top = 0.0;
  double width() const { return right - left; }
  double height() const { return top - bottom; }
};

// A picture as data: primitives in logical coordinates with Y up, and how
// many logical units make one millimetre at the view's zoom 100 %.
class Scene {
 public:
  double unitsPerMm = 10.0;
  // The drawing area the view scrolls over (logical units, origin at its
  // bottom-left corner's coordinates `frame.left`, `frame.bottom`).
  SceneRect frame;
  std::vector<Primitive> items;

  void polyline(const PointList& points, const Pen& pen);
  void polygon(const PointList& points, const Pen& pen, const Brush& brush = {});
  void line(Point2D a, Point2D b, const Pen& pen);
  void rectangle(Point2D a, Point2D b, const Pen& pen, const Brush& brush = {});
  void circle(Point2D centre, double radius, const Pen& pen, const Brush& brush = {});
  void arc(Point2D centre, double radius, double startDeg, double spanDeg, const Pen& pen);
  void text(Point2D anchor, std::string content, const std::string& family, double size,
            const Color& color, TextAlign align = TextAlign::Left);

  // The bounding box of every primitive (texts count by their anchor and an
  // estimated width); nothing for an empty scene.
  std::optional<SceneRect> extent() const;

  // One primitive per line, numbers with at most 3 decimals and no trailing
  // zeros, so that golden files stay stable.
  std::string dump() const;
};

}  // namespace orva
