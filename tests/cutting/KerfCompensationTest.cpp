#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "common/ScriptedPrompt.h"
#include "config/FoamDatabase.h"
#include "cutting/KerfCompensation.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "geometry/Naca.h"
#include "support/Golden.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

constexpr double kTol = 1e-9;

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

// The offsets (straight, bends, nearly flat, repeated points), leading-edge
// junctions (outward, unmoved, vertical, parallel, crossing inwards), the tip
// read at the root's positions and the whole correction of small outlines,
// as reviewed in tests/data/cutting/kerf-lists.txt.
TEST(KerfLists, OffsetsJunctionsAndCorrespondencesMatchTheReviewedLists) {
  std::string dump;
  const auto record = [&](const std::string& title, const PointList& list) {
    dump += test::section(title, test::dumpPoints(list));
  };
  const PointList run{{10.0, 0.0}, {5.0, 0.0}, {0.0, 0.0}};
  record("straight run, up 1", OffsetCutOutline(run, 1.0, true));
  record("straight run, down 1", OffsetCutOutline(run, 1.0, false));
  record("straight run, in 0.5", OffsetCutOutline(run, -0.5, true));
  record("45 degree bend", OffsetCutOutline({{10.0, 0.0}, {5.0, 0.0}, {0.0, 5.0}}, 1.0, true));
  record("right angle", OffsetCutOutline({{10.0, 0.0}, {5.0, 0.0}, {5.0, 5.0}}, 1.0, true));
  record("nearly flat", OffsetCutOutline({{10.0, 0.0}, {5.0, 0.0}, {0.0, 0.001}}, 1.0, true));
  record("repeated point",
         OffsetCutOutline({{10.0, 0.0}, {5.0, 0.0}, {5.0, 0.0}, {0.0, 0.0}}, 1.0, true));
  record("one point", OffsetCutOutline({{3.0, 4.0}}, 1.0, true));
  record("no point", OffsetCutOutline({}, 1.0, true));

  const auto join = [&](const std::string& title, PointList upper, PointList lower, double offset,
                        double kerf) {
    JoinLeadingEdge(upper, lower, offset, kerf);
    record(title + ", upper", upper);
    record(title + ", lower", lower);
  };
  join("wedge moved out", OffsetCutOutline({{100.0, 10.0}, {90.0, 15.0}, {60.0, 16.0}}, 1.0, true),
       OffsetCutOutline({{100.0, 10.0}, {90.0, 5.0}, {60.0, 4.0}}, 1.0, false), 1.0, 0.4);
  join("unmoved", {{100.0, 10.0}, {90.0, 15.0}}, {{100.0, 10.0}, {90.0, 5.0}}, 0.0, 0.0);
  join("vertical first segment", {{100.0, 11.0}, {100.0, 15.0}}, {{100.0, 9.0}, {90.0, 5.0}}, 1.0,
       0.4);
  join("parallel first segments", {{100.0, 11.0}, {90.0, 12.0}}, {{100.0, 9.0}, {90.0, 10.0}}, 1.0,
       0.4);
  join("nearly parallel first segments", {{100.0, 11.0}, {90.0, 12.0}},
       {{100.0, 9.0}, {90.0, 10.005}}, 1.0, 0.4);
  const PointList crossingUpper{{100.0, 9.0}, {90.0, 13.0}, {60.0, 14.0},
                                {30.0, 12.0}, {10.0, 7.0},  {0.0, 4.0}};
  const PointList crossingLower{{100.0, 11.0}, {90.0, 7.0}, {60.0, 6.0},
                                {30.0, 7.0},   {10.0, 8.0}, {0.0, 9.0}};
  join("crossing inwards, kerf 0.5", crossingUpper, crossingLower, -1.0, 0.5);
  join("crossing inwards, kerf 6", crossingUpper, crossingLower, -1.0, 6.0);
  join("crossing point within 0.2 mm", {{100.0, 9.0}, {97.5, 10.1}, {60.0, 14.0}, {30.0, 12.0}},
       {{100.0, 11.0}, {90.0, 7.0}, {60.0, 6.0}, {30.0, 7.0}}, -1.0, 0.5);

  const PointList tip{{80.0, 0.0}, {60.0, 4.0}, {30.0, 1.0}, {20.0, 0.0}};
  record("tip at the root's positions",
         CorrespondToRoot(tip, {{100.0, 0.0}, {75.0, 1.0}, {50.0, 2.0}, {0.0, 0.0}}));
  record("root without X range", CorrespondToRoot(tip, {{5.0, 0.0}, {5.0, 1.0}, {5.0, 2.0}}));

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
  EXPECT_EQ(
      std::tuple(applied.root.lift, applied.tip.lift, applied.root.offset, applied.tip.offset),
      std::tuple(2.0, 1.0, 1.0, 0.5));
  record("whole correction, root 1", lists.root1);
  record("whole correction, root 2", lists.root2);
  record("whole correction, tip 1", lists.tip1);
  record("whole correction, tip 2", lists.tip2);
  test::expectGolden("cutting/kerf-lists.txt", dump);
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

}  // namespace
}  // namespace orva
