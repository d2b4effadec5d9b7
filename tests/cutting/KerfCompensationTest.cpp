#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "common/ScriptedPrompt.h"
#include "config/FoamDatabase.h"
#include "cutting/KerfCompensation.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "geometry/Naca.h"

namespace orva {
namespace {

constexpr double kTol = 1e-9;

void ExpectPoint(Point2D actual, Point2D expected, double tol = kTol) {
  EXPECT_NEAR(actual.x, expected.x, tol);
  EXPECT_NEAR(actual.y, expected.y, tol);
}

// Distance from p to the line through a and b.
double LineDistance(Point2D p, Point2D a, Point2D b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  return std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / std::hypot(dx, dy);
}

// A foam database with one current foam.
struct Foams {
  explicit Foams(FoamType foam) {
    foam.name = "F";
    foams.records = {{"F", foam}};
    foams.SelectFoam("F");
  }
  ScriptedPrompt prompt;
  InterfaceDriver driver{std::make_unique<SimulatedMachine>(SimulatedMachineParams{}), prompt};
  FoamDatabase foams{driver, prompt};
};

FoamType FixedFoam() {
  FoamType f;
  f.heatMode = FixedHeat;
  f.maxSpeed = 4.0;
  f.kerfAtMaxSpeed = 0.8;
  f.kerfAtHalfSpeed = 1.5;
  return f;
}

// ---------------------------------------------------------------------------
// Kerf, lift and offset per side

TEST(KerfPerSide, TipHalfTheRootChordTakesTheKerfMeasuredAtHalfSpeed) {
  Foams fixed(FixedFoam());
  // Root at the reference speed: half of 0.8; tip at half of it: half of 1.5.
  const SideKerfs k = KerfForChords(fixed.foams, 4.0, 200.0, 100.0);
  EXPECT_NEAR(k.root, 0.4, kTol);
  EXPECT_NEAR(k.tip, 0.75, kTol);

  FoamType computed = FixedFoam();
  computed.heatMode = ComputedHeat;
  Foams byRatio(computed);
  // The ratio alone decides, whatever the speed.
  const SideKerfs c = KerfForChords(byRatio.foams, 1.0, 150.0, 75.0);
  EXPECT_NEAR(c.root, 0.4, kTol);
  EXPECT_NEAR(c.tip, 0.75, kTol);
}

TEST(KerfPerSide, ALawGivingANegativeKerfGivesNoKerfAndAZeroRootChordNoDivision) {
  Foams fixed(FixedFoam());
  // Far above the reference speed the law turns negative: no kerf.
  const SideKerfs fast = KerfForChords(fixed.foams, 40.0, 200.0, 200.0);
  EXPECT_EQ(fast.root, 0.0);
  EXPECT_EQ(fast.tip, 0.0);
  const SideKerfs noChord = KerfForChords(fixed.foams, 4.0, 0.0, 100.0);
  EXPECT_NEAR(noChord.tip, 0.4, kTol);  // ratio 1, not infinity
}

TEST(KerfPerSide, LiftAndOffsetFollowTheTwoOptionsAndTheSkin) {
  const double k = 0.4;
  // Nothing at all: the outline does not move.
  KerfSide s = KerfCorrection(k, 0.0, false, false);
  EXPECT_EQ(s.lift, 0.0);
  EXPECT_EQ(s.offset, 0.0);
  // Skin only: 1.5 mm inwards.
  s = KerfCorrection(k, 1.5, false, false);
  EXPECT_EQ(s.offset, -1.5);
  // Lower-surface reference: lifted by k, by 2k with profile compensation.
  EXPECT_EQ(KerfCorrection(k, 0.0, false, true).lift, k);
  EXPECT_EQ(KerfCorrection(k, 0.0, true, true).lift, 2.0 * k);
  // Profile compensation: out by the kerf, in by the skin.
  s = KerfCorrection(k, 1.5, true, false);
  EXPECT_NEAR(s.offset, 0.4 - 1.5, kTol);
  EXPECT_EQ(s.lift, 0.0);
}

// ---------------------------------------------------------------------------
// Offset of one list

TEST(KerfOffsetList, UpperSurfaceMovesUpAndLowerSurfaceDownAlongAStraightRun) {
  // Cut coordinates: from the leading edge (large X) towards the trailing edge.
  const PointList run{{10.0, 0.0}, {5.0, 0.0}, {0.0, 0.0}};
  const PointList up = OffsetCutOutline(run, 1.0, true);
  const PointList down = OffsetCutOutline(run, 1.0, false);
  ASSERT_EQ(up.size(), 3u);
  ASSERT_EQ(down.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    ExpectPoint(up[i], {run[i].x, 1.0});
    ExpectPoint(down[i], {run[i].x, -1.0});
  }
  // A negative distance moves inwards.
  ExpectPoint(OffsetCutOutline(run, -0.5, true)[1], {5.0, -0.5});
}

TEST(KerfOffsetList, InnerPointLiesWhereTheTwoMovedSegmentsMeet) {
  // 45 degree bend: the moved lines y = 1 and y = 6.414.. - x meet at
  // x = 5 + sqrt(2) - 1, i.e. 1 / cos(22.5 deg) from the corner along the bisector.
  const PointList bend{{10.0, 0.0}, {5.0, 0.0}, {0.0, 5.0}};
  const PointList out = OffsetCutOutline(bend, 1.0, true);
  ExpectPoint(out[0], {10.0, 1.0});
  ExpectPoint(out[1], {5.0 + std::sqrt(2.0) - 1.0, 1.0});
  // The last point along the last segment's normal (1, 1) / sqrt(2).
  ExpectPoint(out[2], {std::sqrt(0.5), 5.0 + std::sqrt(0.5)});

  // A right angle whose second segment is vertical: X of the vertical moved
  // line (normal (1, 0)), Y on the other one.
  const PointList corner{{10.0, 0.0}, {5.0, 0.0}, {5.0, 5.0}};
  ExpectPoint(OffsetCutOutline(corner, 1.0, true)[1], {6.0, 1.0});
}

TEST(KerfOffsetList, NearlyCollinearSegmentsMoveAlongTheArrivingNormalNotFarAway) {
  // Slopes 0 and -0.0002: their moved lines would meet kilometres away.
  const PointList flat{{10.0, 0.0}, {5.0, 0.0}, {0.0, 0.001}};
  const PointList out = OffsetCutOutline(flat, 1.0, true);
  ExpectPoint(out[1], {5.0, 1.0});
}

TEST(KerfOffsetList, RepeatedPointFollowsItsRealSegmentAndShortListsStayAsTheyAre) {
  const PointList repeated{{10.0, 0.0}, {5.0, 0.0}, {5.0, 0.0}, {0.0, 0.0}};
  const PointList out = OffsetCutOutline(repeated, 1.0, true);
  for (std::size_t i = 0; i < out.size(); ++i) ExpectPoint(out[i], {repeated[i].x, 1.0});

  const PointList one{{3.0, 4.0}};
  EXPECT_EQ(OffsetCutOutline(one, 1.0, true), one);
  EXPECT_TRUE(OffsetCutOutline({}, 1.0, true).empty());
}

TEST(KerfOffsetList, EveryPointOfAnAirfoilLiesTheOffsetAwayFromItsArrivingSegment) {
  auto naca = MakeNaca4("2412", 60);
  ASSERT_TRUE(naca.has_value());
  // The upper surface in cut coordinates: chord 200, leading edge at X = 300.
  PointList upper;
  for (const Point2D& p : naca->ExtractUpper())
    upper.push_back({300.0 - 200.0 * p.x, 200.0 * p.y + 25.0});
  for (double o : {0.6, -1.5}) {
    const PointList out = OffsetCutOutline(upper, o, true);
    ASSERT_EQ(out.size(), upper.size());
    for (std::size_t i = 1; i < upper.size(); ++i) {
      if (upper[i] == upper[i - 1]) continue;
      EXPECT_NEAR(LineDistance(out[i], upper[i - 1], upper[i]), std::fabs(o), 1e-6) << i;
    }
    // Outwards is up for the upper surface, away from the foam kept.
    const std::size_t mid = upper.size() / 2;
    EXPECT_EQ(out[mid].y > upper[mid].y, o > 0.0);
  }
}

// ---------------------------------------------------------------------------
// Leading-edge junction

TEST(KerfJunction, OutwardOffsetJoinsBothSurfacesAtTheCrossingOfTheirFirstSegments) {
  // A 2 x 26.57 degree wedge with its tip at (100, 10), both surfaces moved
  // out by 1: the new tip lies 1 / sin(26.57 deg) = sqrt(5) ahead of the old one.
  PointList upper = OffsetCutOutline({{100.0, 10.0}, {90.0, 15.0}, {60.0, 16.0}}, 1.0, true);
  PointList lower = OffsetCutOutline({{100.0, 10.0}, {90.0, 5.0}, {60.0, 4.0}}, 1.0, false);
  JoinLeadingEdge(upper, lower, 1.0, 0.4);
  ASSERT_EQ(upper.size(), 3u);
  ASSERT_EQ(lower.size(), 3u);
  ExpectPoint(upper[0], {100.0 + std::sqrt(5.0), 10.0});
  ExpectPoint(lower[0], upper[0]);

  // Unmoved outlines that share their first point keep it.
  PointList u0{{100.0, 10.0}, {90.0, 15.0}};
  PointList l0{{100.0, 10.0}, {90.0, 5.0}};
  JoinLeadingEdge(u0, l0, 0.0, 0.0);
  ExpectPoint(u0[0], {100.0, 10.0});
  ExpectPoint(l0[0], {100.0, 10.0});
}

TEST(KerfJunction, OutwardOffsetLeavesVerticalOrParallelFirstSegmentsAlone) {
  PointList upper{{100.0, 11.0}, {100.0, 15.0}};
  PointList lower{{100.0, 9.0}, {90.0, 5.0}};
  JoinLeadingEdge(upper, lower, 1.0, 0.4);
  ExpectPoint(upper[0], {100.0, 11.0});
  ExpectPoint(lower[0], {100.0, 9.0});

  PointList pu{{100.0, 11.0}, {90.0, 12.0}};
  PointList pl{{100.0, 9.0}, {90.0, 10.0}};
  JoinLeadingEdge(pu, pl, 1.0, 0.4);
  ExpectPoint(pu[0], {100.0, 11.0});
  ExpectPoint(pl[0], {100.0, 9.0});
}

// Surfaces moved inwards that cross near the leading edge (segments 0) and
// near the trailing edge (segments 3, at X = 13.33).
PointList CrossingUpper() {
  return {{100.0, 9.0}, {90.0, 13.0}, {60.0, 14.0}, {30.0, 12.0}, {10.0, 7.0}, {0.0, 4.0}};
}
PointList CrossingLower() {
  return {{100.0, 11.0}, {90.0, 7.0}, {60.0, 6.0}, {30.0, 7.0}, {10.0, 8.0}, {0.0, 9.0}};
}

TEST(KerfJunction, InwardOffsetEndsBothSurfacesBeforeTheirTrailingEdgeCrossing) {
  PointList upper = CrossingUpper();
  PointList lower = CrossingLower();
  JoinLeadingEdge(upper, lower, -1.0, 0.5);
  // Trailing edge: both keep their points up to the start of the crossing
  // segments (index 3), 5 mm apart there, more than the kerf. Leading edge:
  // the crossing of the first segments at X = 100 - 2 / 0.8 = 97.5, Y = 10.
  const PointList expectedUpper{{97.5, 10.0}, {90.0, 13.0}, {60.0, 14.0}, {30.0, 12.0}};
  const PointList expectedLower{{97.5, 10.0}, {90.0, 7.0}, {60.0, 6.0}, {30.0, 7.0}};
  ASSERT_EQ(upper.size(), expectedUpper.size());
  ASSERT_EQ(lower.size(), expectedLower.size());
  for (std::size_t i = 0; i < upper.size(); ++i) {
    ExpectPoint(upper[i], expectedUpper[i]);
    ExpectPoint(lower[i], expectedLower[i]);
  }
}

TEST(KerfJunction, InwardOffsetShortensBothEndsUntilTheWireHasRoomBetweenThem) {
  PointList upper = CrossingUpper();
  PointList lower = CrossingLower();
  // At index 3 the surfaces are 5 mm apart, at index 2 8 mm: a 6 mm kerf
  // takes one more point off each.
  JoinLeadingEdge(upper, lower, -1.0, 6.0);
  ASSERT_EQ(upper.size(), 3u);
  ASSERT_EQ(lower.size(), 3u);
  ExpectPoint(upper.back(), {60.0, 14.0});
  ExpectPoint(lower.back(), {60.0, 6.0});
}

TEST(KerfJunction, InwardOffsetDropsAPointLyingWithin0_2MmOfTheLeadingEdgeCrossing) {
  // Upper first segment slope -0.44, lower 0.4: they cross at
  // X = 100 - 2 / 0.84 = 97.619, Y = 9 + 0.44 * 2.381 = 10.0476, which is
  // 0.13 mm from the upper point (97.5, 10.1).
  PointList upper{{100.0, 9.0}, {97.5, 10.1}, {60.0, 14.0}, {30.0, 12.0}};
  PointList lower{{100.0, 11.0}, {90.0, 7.0}, {60.0, 6.0}, {30.0, 7.0}};
  JoinLeadingEdge(upper, lower, -1.0, 0.5);
  const Point2D cross{100.0 - 2.0 / 0.84, 9.0 + 0.44 * 2.0 / 0.84};
  ASSERT_EQ(upper.size(), 3u);
  ExpectPoint(upper[0], cross);
  ExpectPoint(upper[1], {60.0, 14.0});
  ASSERT_EQ(lower.size(), 4u);
  ExpectPoint(lower[0], cross);
  ExpectPoint(lower[1], {90.0, 7.0});
}

// ---------------------------------------------------------------------------
// Root-tip correspondence, the whole correction

TEST(KerfCorrespondence, TipIsReadAtTheRootsRelativePositions) {
  // Root X from 100 (leading edge) to 0: relative positions 1, 0.75, 0.5, 0.
  const PointList root{{100.0, 0.0}, {75.0, 1.0}, {50.0, 2.0}, {0.0, 0.0}};
  // Tip X from 80 to 20: X' = 80, 65, 50, 20.
  const PointList tip{{80.0, 0.0}, {60.0, 4.0}, {30.0, 1.0}, {20.0, 0.0}};
  const PointList out = CorrespondToRoot(tip, root);
  ASSERT_EQ(out.size(), 4u);
  ExpectPoint(out[0], {80.0, 0.0});
  ExpectPoint(out[1], {65.0, 3.0});  // 15 / 20 of the way from 0 to 4
  ExpectPoint(out[2], {50.0, 3.0});  // 10 / 30 of the way from 4 to 1
  ExpectPoint(out[3], {20.0, 0.0});

  // A longer root gives the tip its count; a root without X range does not divide by 0.
  const PointList flat{{5.0, 0.0}, {5.0, 1.0}, {5.0, 2.0}};
  const PointList spread = CorrespondToRoot(tip, flat);
  ASSERT_EQ(spread.size(), 3u);
  ExpectPoint(spread[1], {50.0, 3.0});
}

TEST(KerfWholeCorrection, LiftsOffsetsJoinsAndMatchesAllFourLists) {
  CutOutlines lists;
  lists.root1 = {{100.0, 10.0}, {90.0, 15.0}, {60.0, 16.0}, {0.0, 10.0}};
  lists.root2 = {{100.0, 10.0}, {90.0, 5.0}, {60.0, 4.0}, {0.0, 10.0}};
  lists.tip1 = {{80.0, 10.0}, {70.0, 15.0}, {20.0, 10.0}};
  lists.tip2 = {{80.0, 10.0}, {70.0, 5.0}, {20.0, 10.0}};
  KerfOptions options;
  options.profileCompensation = true;
  options.referenceLowerSurface = true;
  options.matchTip = true;
  const KerfApplied applied = CompensateKerf(lists, {1.0, 0.5}, 0.0, 0.0, options);
  EXPECT_EQ(applied.root.lift, 2.0);
  EXPECT_EQ(applied.tip.lift, 1.0);
  EXPECT_EQ(applied.root.offset, 1.0);
  EXPECT_EQ(applied.tip.offset, 0.5);
  // The root wedge's tip: lifted by 2, moved ahead by sqrt(5) (see the junction test).
  ExpectPoint(lists.root1[0], {100.0 + std::sqrt(5.0), 12.0});
  ExpectPoint(lists.root2[0], lists.root1[0]);
  // The tip lists take the root's counts.
  EXPECT_EQ(lists.tip1.size(), 4u);
  EXPECT_EQ(lists.tip2.size(), 4u);
}

}  // namespace
}  // namespace orva
