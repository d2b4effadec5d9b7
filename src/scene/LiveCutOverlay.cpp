#include "scene/LiveCutOverlay.h"

#include <algorithm>
#include <cmath>

#include "scene/ProfileViewScene.h"

namespace orva {

namespace {

constexpr Color kCutPath{255, 128, 0};
constexpr Color kWire{200, 0, 0};
// The marker's radius, logical units (0.1 mm at zoom 100 %).
constexpr double kWireRadius = 15.0;

// Where the wire between the towers crosses `plane`, in the view.
std::optional<Point2D> crossing(const LiveCutOverlay::Placement& p, const LiveCutOverlay::Plane& plane,
                                double XG, double YG, double XD, double YD) {
  if (!(p.width > 0.0)) return std::nullopt;
  const double k = plane.towerDistance / p.width;
  const double x = XG + (XD - XG) * k;
  const double y = YG + (YD - YG) * k;
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  return Point2D{plane.origin.x - plane.unitsPerMm * x, plane.origin.y + plane.unitsPerMm * y};
}

}  // namespace

LiveCutOverlay::Placement LiveCutOverlay::placementFor(const CT1Doc& doc, const PanelCutResult& cut, double zeroX,
                                                       double zeroY) {
  const ProfileViewScene::SectionOrigins origins = ProfileViewScene::sectionOrigins(doc, ProfileViewScene::Options{});
  const double s = origins.unitsPerMm;
  const double face1 = cut.leftDistance;
  const double face2 = cut.leftDistance + cut.span;
  Placement p;
  p.width = cut.entraxe;
  // The view draws a section from its leading edge towards the trailing
  // edge and from the block bottom up: X of the cut coordinates runs the
  // other way from the leading edge, Y carries the side's lift.
  p.root = {cut.swapped ? face2 : face1, {origins.root.x + s * cut.xleRoot, origins.root.y - s * cut.rootLift}, s};
  p.tip = {cut.swapped ? face1 : face2, {origins.tip.x + s * cut.xleTip, origins.tip.y - s * cut.tipLift}, s};
  p.zeroX = zeroX;
  p.zeroY = zeroY;
  return p;
}

LiveCutOverlay LiveCutOverlay::build(const Placement& placement, const MoveList& moves, std::size_t completed,
                                     const std::optional<WirePosition>& position) {
  LiveCutOverlay overlay;
  const std::size_t done = std::min(completed, moves.size());
  // The move targets are absolute; the cut coordinates start at the machine zero.
  const auto add = [&](const CutMove& move) {
    const double XG = move.XG - placement.zeroX;
    const double YG = move.YG - placement.zeroY;
    const double XD = move.XD - placement.zeroX;
    const double YD = move.YD - placement.zeroY;
    if (const auto r = crossing(placement, placement.root, XG, YG, XD, YD)) overlay.rootPath.push_back(*r);
    if (const auto t = crossing(placement, placement.tip, XG, YG, XD, YD)) overlay.tipPath.push_back(*t);
  };
  for (std::size_t i = 0; i < done; ++i) add(moves[i]);
  if (position) {
    overlay.rootWire = crossing(placement, placement.root, position->XG, position->YG, position->XD, position->YD);
    overlay.tipWire = crossing(placement, placement.tip, position->XG, position->YG, position->XD, position->YD);
    // The path runs on to where the wire is now.
    if (overlay.rootWire && !overlay.rootPath.empty()) overlay.rootPath.push_back(*overlay.rootWire);
    if (overlay.tipWire && !overlay.tipPath.empty()) overlay.tipPath.push_back(*overlay.tipWire);
  } else {
    if (!overlay.rootPath.empty()) overlay.rootWire = overlay.rootPath.back();
    if (!overlay.tipPath.empty()) overlay.tipWire = overlay.tipPath.back();
  }
  return overlay;
}

void LiveCutOverlay::addTo(Scene& scene) const {
  const Pen path{kCutPath, 6.0, PenStyle::Solid};
  const Pen wire{kWire, 3.0, PenStyle::Solid};
  for (const PointList* points : {&rootPath, &tipPath}) {
    if (points->size() >= 2) scene.polyline(*points, path);
  }
  for (const std::optional<Point2D>* marker : {&rootWire, &tipWire}) {
    if (*marker) scene.circle(**marker, kWireRadius, wire);
  }
}

}  // namespace orva
