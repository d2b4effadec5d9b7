#include <gtest/gtest.h>

#include "scene/LiveCutOverlay.h"

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
  const MoveList moves = {moveTo(5.0, 2.0, 5.0, 2.0), moveTo(15.0, 22.0, 65.0, 72.0), moveTo(5.0, 2.0, 5.0, 2.0)};
  const LiveCutOverlay two = LiveCutOverlay::build(placement(), moves, 2, std::nullopt);
  ASSERT_EQ(two.rootPath.size(), 2u);
  ASSERT_EQ(two.tipPath.size(), 2u);
  EXPECT_EQ(two.rootPath[0], (Point2D{300.0, 50.0}));
  EXPECT_EQ(two.tipPath[0], (Point2D{900.0, 400.0}));
  EXPECT_DOUBLE_EQ(two.rootPath[1].x, 300.0 - 200.0);
  EXPECT_DOUBLE_EQ(two.rootPath[1].y, 50.0 + 300.0);
  EXPECT_DOUBLE_EQ(two.tipPath[1].x, 900.0 - 450.0);
  EXPECT_DOUBLE_EQ(two.tipPath[1].y, 400.0 + 550.0);
  // Without a reported position the wire is where the last move output ended.
  ASSERT_TRUE(two.rootWire && two.tipWire);
  EXPECT_EQ(*two.rootWire, two.rootPath[1]);
  EXPECT_EQ(*two.tipWire, two.tipPath[1]);

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
  EXPECT_EQ(scene.items[0].kind, PrimitiveKind::Polyline);
  EXPECT_EQ(scene.items[0].points, all.rootPath);
  EXPECT_EQ(scene.items[1].points, all.tipPath);
  EXPECT_EQ(scene.items[2].kind, PrimitiveKind::Circle);
  EXPECT_EQ(scene.items[3].kind, PrimitiveKind::Circle);

  // Nothing output and nothing reported: nothing to draw.
  const LiveCutOverlay none = LiveCutOverlay::build(placement(), moves, 0, std::nullopt);
  EXPECT_TRUE(none.rootPath.empty());
  EXPECT_FALSE(none.rootWire);
  Scene empty;
  none.addTo(empty);
  EXPECT_TRUE(empty.items.empty());
}

}  // namespace
}  // namespace orva
