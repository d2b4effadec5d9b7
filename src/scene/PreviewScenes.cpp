#include "scene/PreviewScenes.h"

namespace orva {

namespace {

constexpr const char* kFont = "Arial";
constexpr double kTextMm = 12.0;
constexpr double kMajorTick = 15.0;
constexpr double kMinorTick = 7.0;

SceneRect frameOf(const PreviewRect& r) { return {r.left, r.bottom, r.right, r.top}; }

PointList closed(const std::array<Point2D, 4>& corners) { return {corners.begin(), corners.end()}; }

}  // namespace

Scene PreviewScenes::front(const FrontPreview& p) {
  Scene s;
  s.unitsPerMm = 1.0;
  s.frame = frameOf(p.extent);
  const Pen thin{kBlack, 0.5, PenStyle::Solid};
  s.rectangle({p.table.left, p.table.bottom}, {p.table.right, p.table.top}, Pen{kGrey, 1.0, PenStyle::Solid});
  for (const PreviewTick& t : p.widthTicks) {
    const double len = t.major ? kMajorTick : kMinorTick;
    s.line({p.table.left + t.position, p.table.bottom}, {p.table.left + t.position, p.table.bottom - len}, thin);
  }
  for (const PreviewTick& t : p.heightTicks) {
    const double len = t.major ? kMajorTick : kMinorTick;
    s.line({p.table.left, p.table.bottom + t.position}, {p.table.left - len, p.table.bottom + t.position}, thin);
  }
  s.rectangle({p.block.left, p.block.bottom}, {p.block.right, p.block.top}, Pen{kBlue, 1.0, PenStyle::Solid});
  s.line(p.rootSection.a, p.rootSection.b, Pen{kRed, 2.0, PenStyle::Solid});
  s.line(p.tipSection.a, p.tipSection.b, Pen{kGreen, 2.0, PenStyle::Solid});
  s.text({(p.extent.left + p.extent.right) / 2, p.extent.top - kTextMm - 4.0}, p.title, kFont, kTextMm, kBlack,
         TextAlign::Center);
  return s;
}

Scene PreviewScenes::top(const TopPreview& p) {
  Scene s;
  s.unitsPerMm = 1.0;
  s.frame = frameOf(p.extent);
  s.rectangle({p.table.left, p.table.bottom}, {p.table.right, p.table.top}, Pen{kGrey, 1.0, PenStyle::Solid});
  const Brush towerBrush{true, kGrey};
  s.rectangle({p.leftTower.left, p.leftTower.bottom}, {p.leftTower.right, p.leftTower.top},
              Pen{kBlack, 1.0, PenStyle::Solid}, towerBrush);
  s.rectangle({p.rightTower.left, p.rightTower.bottom}, {p.rightTower.right, p.rightTower.top},
              Pen{kBlack, 1.0, PenStyle::Solid}, towerBrush);
  s.polygon(closed(p.blockWithMargins), Pen{kGrey, 1.0, PenStyle::Dashed});
  s.polygon(closed(p.block), Pen{kBlue, 1.0, PenStyle::Solid});
  s.polygon(closed(p.planform), Pen{kBlack, 2.0, PenStyle::Solid});
  if (p.intermediate) s.line(p.intermediate->a, p.intermediate->b, Pen{kMagenta, 1.0, PenStyle::Dashed});
  s.text({(p.extent.left + p.extent.right) / 2, p.extent.top - kTextMm - 4.0}, p.title, kFont, kTextMm, kBlack,
         TextAlign::Center);
  return s;
}

}  // namespace orva
