#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "cutting/PanelCutPlanner.h"
#include "scene/LiveCutOverlay.h"
#include "scene/ProfileViewScene.h"
#include "support/MachineRig.h"

namespace orva {
namespace {

CutMove moveTo(double XG, double YG, double XD, double YD) {
  CutMove move;
  move.XG = XG;
  move.YG = YG;
  move.XD = XD;
  move.YD = YD;
  return move;
}

// A 1000 mm table with the machine zero at (5, 2); the root plane 200 mm
// from the left tower, the tip plane 700 mm; the view draws the root with
// its X = 0 at (300, 50) and the tip at (900, 400), 10 units a millimetre.
LiveCutOverlay::Placement placement() {
  LiveCutOverlay::Placement p;
  p.width = 1000.0;
  p.root = {200.0, {300.0, 50.0}, 10.0};
  p.tip = {700.0, {900.0, 400.0}, 10.0};
  p.zeroX = 5.0;
  p.zeroY = 2.0;
  return p;
}

TEST(LiveCutOverlay, CrossingPointsOfTheWireInBothPlanes) {
  // Left tower at X 10, Y 20 and right tower at X 60, Y 70 (cut coordinates):
  // the root plane sees X 20, Y 30, the tip plane X 45, Y 55.
  const MoveList moves = {moveTo(5.0, 2.0, 5.0, 2.0), moveTo(15.0, 22.0, 65.0, 72.0),
                          moveTo(5.0, 2.0, 5.0, 2.0)};
  const LiveCutOverlay two = LiveCutOverlay::build(placement(), moves, 2, std::nullopt);
  EXPECT_EQ(two.rootPath, (PointList{{300.0, 50.0}, {300.0 - 200.0, 50.0 + 300.0}}));
  EXPECT_EQ(two.tipPath, (PointList{{900.0, 400.0}, {900.0 - 450.0, 400.0 + 550.0}}));
  // Without a reported position the wire is where the last move output ended.
  EXPECT_EQ(std::pair(two.rootWire, two.tipWire),
            std::pair(std::optional(two.rootPath[1]), std::optional(two.tipPath[1])));

  // The reported position is relative to the machine zero, and the path runs
  // on to it; more moves than the list holds count as the whole list.
  const WirePosition wire{0.0, 10.0, 100.0, 10.0};
  const LiveCutOverlay all = LiveCutOverlay::build(placement(), moves, 7, wire);
  ASSERT_EQ(all.rootPath.size(), 4u);
  ASSERT_TRUE(all.rootWire && all.tipWire);
  EXPECT_DOUBLE_EQ(all.rootWire->x, 300.0 - 10.0 * 20.0);
  EXPECT_DOUBLE_EQ(all.rootWire->y, 50.0 + 100.0);
  EXPECT_DOUBLE_EQ(all.tipWire->x, 900.0 - 10.0 * 70.0);
  EXPECT_EQ(all.rootPath.back(), *all.rootWire);
  EXPECT_EQ(all.tipPath.back(), *all.tipWire);

  Scene scene;
  all.addTo(scene);
  ASSERT_EQ(scene.items.size(), 4u);  // two paths, two markers
  EXPECT_EQ(std::tie(scene.items[0].points, scene.items[1].points),
            std::tie(all.rootPath, all.tipPath));
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(scene.items[i].kind, i < 2 ? PrimitiveKind::Polyline : PrimitiveKind::Circle) << i;
  }

  // Nothing output and nothing reported: nothing to draw.
  const LiveCutOverlay none = LiveCutOverlay::build(placement(), moves, 0, std::nullopt);
  EXPECT_TRUE(none.rootPath.empty());
  EXPECT_FALSE(none.rootWire);
  Scene empty;
  none.addTo(empty);
  EXPECT_TRUE(empty.items.empty());
}

// Distance from `p` to the polyline `line`.
double distanceTo(Point2D p, const PointList& line) {
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t i = 1; i < line.size(); ++i) {
    const Point2D a = line[i - 1];
    const Point2D b = line[i];
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t =
        length2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    best = std::min(best, std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)));
  }
  return best;
}

// The wire of a planned panel cut, placed on the profile view of the same
// project, runs along the cut outlines that view draws: the upper surface
// cut on the red line of each section, the lower surface cut on the green
// one, the root's on the root and the tip's on the tip, for both wing sides
// (the left wing swaps the faces).
TEST(LiveCutOverlay, APlannedPanelCutRunsAlongTheOutlinesTheProfileViewDraws) {
  for (const int wingSide : {0, 1}) {
    SCOPED_TRACE(wingSide);
    test::ProjectRig rig;
    rig.fastMotors();
    rig.useFoams({test::MachineRig::foam("Blue", 2.0, 45)});
    rig.config.table.ZeroX = 7.0;
    rig.config.table.ZeroY = 3.0;
    rig.planner.ResetPlanner();
    rig.doc.cutChoices.wingSide = wingSide;
    PanelCutPlanner planner(rig.doc, rig.env);
    const PanelCutResult cut = planner.Plan();
    ASSERT_TRUE(cut.ok()) << cut.message;
    ASSERT_EQ(cut.swapped, wingSide == 1);

    const LiveCutOverlay::Placement placement =
        LiveCutOverlay::placementFor(rig.doc, cut, 7.0, 3.0);
    const LiveCutOverlay overlay =
        LiveCutOverlay::build(placement, cut.moves, cut.moves.size(), std::nullopt);
    ASSERT_EQ(overlay.rootPath.size(), cut.moves.size());
    ASSERT_EQ(overlay.tipPath.size(), cut.moves.size());

    // The cut outlines of the view: red (upper) and green (lower), root first.
    const Scene view = ProfileViewScene::build(rig.doc);
    std::vector<PointList> red;
    std::vector<PointList> green;
    for (const Primitive& item : view.items) {
      if (item.kind != PrimitiveKind::Polyline) continue;
      if (item.pen.color == kRed) red.push_back(item.points);
      if (item.pen.color == kGreen) green.push_back(item.points);
    }
    ASSERT_EQ(red.size(), 2u);
    ASSERT_EQ(green.size(), 2u);

    // Within the wire's kerf (and a step) of the line drawn; a wrong side,
    // sign or face would be tens of millimetres away.
    const double s = ProfileViewScene::sectionOrigins(rig.doc, {}).unitsPerMm;
    const double tolerance = s * (std::max(cut.rootKerf, cut.tipKerf) + 0.1);
    int upper = 0;
    int lower = 0;
    for (std::size_t i = 0; i < cut.moves.size(); ++i) {
      const std::string& label = cut.moves[i].label;
      const bool isUpper = label.starts_with("Upper surface cut");
      const bool isLower = label.starts_with("Lower surface cut");
      if (!isUpper && !isLower) continue;
      (isUpper ? upper : lower) += 1;
      const std::vector<PointList>& lines = isUpper ? red : green;
      EXPECT_LE(distanceTo(overlay.rootPath[i], lines[0]), tolerance) << label;
      EXPECT_LE(distanceTo(overlay.tipPath[i], lines[1]), tolerance) << label;
    }
    EXPECT_GT(upper, 10);
    EXPECT_GT(lower, 10);
  }
}

}  // namespace
}  // namespace orva
