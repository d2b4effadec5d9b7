#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "config/MachineConfig.h"
#include "cutting/CutEmitter.h"
#include "cutting/SparCuts.h"
#include "cutting/SparsForm.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"
#include "motion/MovePlanner.h"

namespace orva {
namespace {

constexpr double kTol = 1e-9;

// A kerf law whose value differs for every ratio, so that a kerf taken at the
// wrong ratio shows: 0.5 mm at ratio 1, 0.35 at 0.5, 0.425 at 0.75.
double testKerf(double r) { return 0.2 + 0.3 * r; }

void expectNear(Point2D actual, Point2D expected) {
  EXPECT_NEAR(actual.x, expected.x, kTol);
  EXPECT_NEAR(actual.y, expected.y, kTol);
}

SparRecord spar(int type, double distance, bool active = true) {
  SparRecord r;
  r.active = active;
  r.type = type;
  r.distance = distance;
  r.label = "S" + std::to_string(type);
  return r;
}

// The real machine context: a simulated machine, the default table and the
// planner. The emitter places the block over the whole table (left distance
// 0, span = Entraxe), so every move's tower targets are its section targets
// (left tower = root, right tower = tip) and can be read back from the moves.
class SparCutFixture : public testing::Test {
 protected:
  SparCutFixture()
      : driver_(std::make_unique<SimulatedMachine>(), prompt_),
        machine_(driver_, prompt_),
        planner_(machine_.table, machine_.foams, prompt_),
        out_(planner_, moves_, 0.0, machine_.table.Entraxe, false) {
    machine_.foams.cutSpeed = 2.0;
  }

  Point2D root(std::size_t i) const { return {moves_.at(i).XG, moves_.at(i).YG}; }
  Point2D tip(std::size_t i) const { return {moves_.at(i).XD, moves_.at(i).YD}; }

  void expectTargets(const std::vector<Point2D>& roots, const std::vector<Point2D>& tips) {
    ASSERT_EQ(moves_.size(), roots.size());
    for (std::size_t i = 0; i < roots.size(); ++i) {
      EXPECT_NEAR(root(i).x, roots[i].x, kTol) << "root move " << i;
      EXPECT_NEAR(root(i).y, roots[i].y, kTol) << "root move " << i;
      EXPECT_NEAR(tip(i).x, tips[i].x, kTol) << "tip move " << i;
      EXPECT_NEAR(tip(i).y, tips[i].y, kTol) << "tip move " << i;
    }
  }

  ScriptedPrompt prompt_;
  InterfaceDriver driver_;
  MachineConfig machine_;
  MovePlanner planner_;
  MoveList moves_;
  CutEmitter out_;
  KerfAtRatio kerf_ = testKerf;
};

// --- Selection and position ---------------------------------------------------

TEST(SparSelection, EachCategoryInItsOrderSkippingInactiveRecords) {
  std::array<SparRecord, kSparCount> s{};
  s[0] = spar(SparUpperNotch, 60);
  s[1] = spar(SparUpperRound, 25);
  s[2] = spar(SparUpperNotch, 40, false);
  s[3] = spar(SparLowerNotch, 30);
  s[4] = spar(SparUpperSole, 20);
  s[5] = spar(SparUpperSole, 70);
  s[6] = spar(SparHinge, 50);
  s[7] = spar(SparHinge, 10, false);
  s[8] = spar(SparHinge, 5);
  s[9] = spar(SparLowerRound, 10);
  s[9].distanceInPercent = false;  // key 10 x 200 = 2000: after the 30 % notch
  UpdatePositionKeys(s, 200.0);
  EXPECT_DOUBLE_EQ(s[9].positionKey, 2000.0);
  EXPECT_DOUBLE_EQ(s[3].positionKey, 30.0);

  using V = std::vector<std::size_t>;
  // Upper surface cut first ("Top First"): the 60 % notch before the 25 % round.
  EXPECT_EQ(SelectCutOuts(s, true, false), (V{0, 1}));
  EXPECT_EQ(SelectCutOuts(s, true, true), (V{1, 0}));
  EXPECT_EQ(SelectCutOuts(s, false, true), (V{3, 9}));
  EXPECT_EQ(SelectCutOuts(s, false, false), (V{9, 3}));
  EXPECT_EQ(SelectSoles(s, true), (V{5, 4}));
  EXPECT_TRUE(SelectSoles(s, false).empty());
  EXPECT_EQ(SelectHinges(s), (V{6, 8}));  // array order, whatever the distance
}

TEST(SparSelection, EqualKeysKeepArrayOrderAndUnplaceableDistancesAreLeftOut) {
  std::array<SparRecord, kSparCount> s{};
  s[2] = spar(SparLowerNotch, 40);
  s[5] = spar(SparLowerRound, 40);
  s[7] = spar(SparLowerNotch, std::numeric_limits<double>::quiet_NaN());
  s[8] = spar(SparLowerNotch, 250);  // hand-edited: cut at 99 %
  UpdatePositionKeys(s, 100.0);
  using V = std::vector<std::size_t>;
  EXPECT_EQ(SelectCutOuts(s, false, true), (V{2, 5, 8}));
  EXPECT_EQ(SelectCutOuts(s, false, false), (V{8, 2, 5}));
  EXPECT_DOUBLE_EQ(s[8].positionKey, 99.0);
  s[8].distanceInPercent = false;
  EXPECT_DOUBLE_EQ(SparPositionKey(s[8], 100.0), 9900.0);
}

TEST(SparPosition, SparXAndThePointOfEachSurface) {
  // X = XLEr - cr p / 100 with p limited to 1..99.
  EXPECT_DOUBLE_EQ(SparX(spar(1, 35), 100.0, 50.0), 82.5);
  EXPECT_DOUBLE_EQ(SparX(spar(1, 0), 100.0, 50.0), 99.5);
  EXPECT_DOUBLE_EQ(SparX(spar(1, 120), 100.0, 50.0), 50.5);

  const std::vector<Point2D> list{{100, 0}, {90, 1}, {80, 2}, {70, 2}, {60, 1}, {50, 0}};
  // Between 90 and 80: the cut-out goes at the point 80 on both surfaces.
  EXPECT_EQ(FirstSurfaceSparIndex(list, 82.5), 2u);
  EXPECT_EQ(SecondSurfaceSparIndex(list, 82.5), 2u);
  // On a point: the first surface cuts at the point reached (80), the second
  // at the first point below (70).
  EXPECT_EQ(FirstSurfaceSparIndex(list, 80.0), 2u);
  EXPECT_EQ(SecondSurfaceSparIndex(list, 80.0), 3u);
  // Near the trailing edge.
  EXPECT_EQ(FirstSurfaceSparIndex(list, 52.0), 5u);
  EXPECT_EQ(SecondSurfaceSparIndex(list, 52.0), 5u);
  // Behind the trailing edge or in front of the leading edge: no cut-out
  // (never an index past the list).
  EXPECT_FALSE(FirstSurfaceSparIndex(list, 45.0));
  EXPECT_FALSE(SecondSurfaceSparIndex(list, 45.0));
  EXPECT_FALSE(FirstSurfaceSparIndex(list, 105.0));
  EXPECT_FALSE(SecondSurfaceSparIndex(list, 105.0));
  EXPECT_FALSE(FirstSurfaceSparIndex({}, 80.0));
}

TEST(SparPosition, ProfileThicknessUnderAPoint) {
  const std::vector<Point2D> lower{{100, 10}, {80, 14}, {60, 12}};
  EXPECT_NEAR(ProfileThicknessAt(lower, {90, 30}), 18.0, kTol);  // lower at 90 is 12
  EXPECT_NEAR(ProfileThicknessAt(lower, {70, 20}), 7.0, kTol);   // lower at 70 is 13
  EXPECT_EQ(ProfileThicknessAt(lower, {50, 20}), 0.0);           // outside: unknown
}

// --- Notch --------------------------------------------------------------------

TEST_F(SparCutFixture, NotchWithProportionalWidthAndEnteredTipThickness) {
  SparRecord r = spar(SparUpperNotch, 30);
  r.label = "A";
  r.rootWidth = 10;
  r.widthMode = SizeProportional;  // tip width 10 x 100 / 200 = 5
  r.rootThickness = 4;
  r.thicknessMode = SizeEntered;
  r.tipThickness = 3;
  // k1 = kerf(1) = 0.5; walls at ratio 3/4: kW = 0.425; bottom at ratio 5/10: kT = 0.35.
  // Root: half width (10 - 1) / 2 = 4.5, depth 4 - 0.5 = 3.5, shoulder 60 - 0.25.
  // Tip: half width (5 - 0.85) / 2 = 2.075, depth 3 - 0.35 = 2.65, shoulder 55 - 0.2125.
  ASSERT_TRUE(EmitSparNotch(out_, r, {300, 60}, {250, 55}, +1, 200, 100, kerf_));
  expectTargets({{300, 60},
                 {300, 59.75},
                 {295.5, 59.75},
                 {295.5, 56.5},
                 {304.5, 56.5},
                 {304.5, 59.75},
                 {300, 59.75},
                 {300, 60}},
                {{250, 55},
                 {250, 54.7875},
                 {247.925, 54.7875},
                 {247.925, 52.35},
                 {252.075, 52.35},
                 {252.075, 54.7875},
                 {250, 54.7875},
                 {250, 55}});
  for (const CutMove& m : moves_) EXPECT_EQ(m.label, "Longeron A");
  EXPECT_TRUE(prompt_.messages().empty());
}

TEST_F(SparCutFixture, LowerNotchGoesUpAndANarrowOneIsStraightInAndOut) {
  SparRecord r = spar(SparLowerNotch, 30);
  r.rootWidth = 0.8;  // less than two kerfs: zero-width path
  r.rootThickness = 4;
  const KerfAtRatio constant = [](double) { return 0.5; };
  ASSERT_TRUE(EmitSparNotch(out_, r, {300, 20}, {250, 22}, -1, 200, 200, constant));
  ASSERT_EQ(moves_.size(), 8u);
  EXPECT_NEAR(root(1).y, 20.25, kTol);
  EXPECT_NEAR(root(3).y, 23.5, kTol);  // depth 3.5 upwards into the foam
  EXPECT_NEAR(tip(4).y, 25.5, kTol);
  for (std::size_t i = 0; i < moves_.size(); ++i) {
    EXPECT_NEAR(root(i).x, 300.0, kTol);
    EXPECT_NEAR(tip(i).x, 250.0, kTol);
  }
}

TEST_F(SparCutFixture, NotchDeeperThanTheProfileStopsAtTheOtherSurface) {
  SparRecord r = spar(SparUpperNotch, 30);
  r.rootWidth = 6;
  r.rootThickness = 30;  // the profile is only 12 (root) and 8 (tip) thick there
  ASSERT_TRUE(
      EmitSparNotch(out_, r, {300, 60}, {250, 55}, +1, 200, 200, kerf_, SparRoom{12.0, 8.0}));
  EXPECT_NEAR(root(3).y, 48.0, kTol);
  EXPECT_NEAR(tip(3).y, 47.0, kTol);
  // A thickness below the kerf gives no depth rather than a cut outwards.
  moves_.clear();
  r.rootThickness = 0.2;
  ASSERT_TRUE(EmitSparNotch(out_, r, {300, 60}, {250, 55}, +1, 200, 200, kerf_));
  EXPECT_NEAR(root(3).y, 60.0, kTol);
}

TEST_F(SparCutFixture, RefusedMoveEndsTheCutOut) {
  SparRecord r = spar(SparUpperNotch, 30);
  r.rootWidth = 10;
  // The right wall (998 + 4.5) lies beyond the 1000 mm X travel.
  EXPECT_FALSE(EmitSparNotch(out_, r, {998, 60}, {998, 55}, +1, 200, 200, kerf_));
  EXPECT_EQ(moves_.size(), 4u);
  EXPECT_EQ(prompt_.messages().size(), 1u);
}

TEST_F(SparCutFixture, InactiveOrOtherTypeEmitsNothing) {
  SparRecord r = spar(SparUpperNotch, 30, false);
  EXPECT_TRUE(EmitSparCutOut(out_, r, {300, 60}, {250, 55}, +1, 200, 200, kerf_));
  r = spar(SparUpperSole, 30);
  EXPECT_TRUE(EmitSparCutOut(out_, r, {300, 60}, {250, 55}, +1, 200, 200, kerf_));
  EXPECT_TRUE(
      EmitHingeRound(out_, spar(SparUpperRound, 30), {300, 60}, {250, 55}, 200, 200, kerf_));
  EXPECT_TRUE(moves_.empty());
}

// --- Round slot and hinge --------------------------------------------------------

TEST_F(SparCutFixture, RoundSlotIsAClosedCircleBelowTheSlot) {
  SparRecord r = spar(SparUpperRound, 30);
  r.label = "B";
  r.rootWidth = 8;  // tube diameter
  r.widthMode = SizeEntered;
  r.tipWidth = 6;  // q = 0.75: tip kerf 0.425
  r.rootThickness = 2;
  r.tipThickness = 1.5;
  // rr = 4 - 0.5 = 3.5, rt = 3 - 0.425 = 2.575; centres (300, 60 - 5.5), (250, 55 - 4.075).
  ASSERT_TRUE(EmitSparCutOut(out_, r, {300, 60}, {250, 55}, +1, 200, 100, kerf_));
  ASSERT_EQ(moves_.size(), 26u);
  EXPECT_NEAR(root(0).x, 300, kTol);
  EXPECT_NEAR(root(0).y, 58, kTol);  // straight down to the top of the hole
  EXPECT_NEAR(tip(0).y, 53.5, kTol);
  EXPECT_NEAR(root(6).x, 303.5, kTol);  // 90 degrees
  EXPECT_NEAR(root(6).y, 54.5, kTol);
  EXPECT_NEAR(root(12).y, 51.0, kTol);  // 180 degrees: the bottom of the hole
  EXPECT_NEAR(tip(12).y, 48.35, kTol);
  EXPECT_NEAR(tip(18).x, 247.425, kTol);  // 270 degrees
  for (std::size_t i = 0; i <= 24; ++i) {
    EXPECT_NEAR(std::hypot(root(i).x - 300, root(i).y - 54.5), 3.5, kTol);
    EXPECT_NEAR(std::hypot(tip(i).x - 250, tip(i).y - 50.925), 2.575, kTol);
  }
  EXPECT_NEAR(root(24).x, root(0).x, kTol);  // closed
  EXPECT_NEAR(root(24).y, root(0).y, kTol);
  EXPECT_NEAR(tip(24).y, tip(0).y, kTol);
  expectNear(root(25), {300, 60});
  expectNear(tip(25), {250, 55});
  EXPECT_EQ(moves_[0].label, "Entree saignee B");
  for (std::size_t i = 1; i <= 24; ++i) EXPECT_EQ(moves_[i].label, "Rond saignee B");
  EXPECT_EQ(moves_[25].label, "Sortie saignee B");
}

TEST_F(SparCutFixture, LowerRoundSlotGoesUpAndATooDeepHoleIsRaised) {
  SparRecord r = spar(SparLowerRound, 30);
  r.rootWidth = 8;
  r.tipWidth = 8;
  r.rootThickness = 2;
  r.tipThickness = 2;
  // Root: 2 + 7 fits in 20; tip: 2 + 7 > 8, the hole's bottom goes to the other surface.
  ASSERT_TRUE(
      EmitRoundSlot(out_, r, {300, 20}, {250, 22}, -1, 200, 200, kerf_, SparRoom{20.0, 8.0}));
  EXPECT_NEAR(root(0).y, 22.0, kTol);
  EXPECT_NEAR(root(12).y, 29.0, kTol);
  EXPECT_NEAR(tip(0).y, 23.0, kTol);
  EXPECT_NEAR(tip(12).y, 30.0, kTol);
}

TEST_F(SparCutFixture, HingeRoundBehindTheLeadingEdge) {
  SparRecord r = spar(SparHinge, 50);
  r.label = "H";
  r.rootWidth = 6;
  r.widthMode = SizeProportional;  // tip 3
  r.tipWidth = 3;                  // q = 0.5: tip kerf 0.35
  r.rootThickness = 2;
  r.tipThickness = 1;
  // Centres (400 - 3 - 2, 40) and (350 - 1.5 - 1, 38); radii 2.5 and 1.15.
  ASSERT_TRUE(EmitHingeRound(out_, r, {400, 40}, {350, 38}, 200, 100, kerf_));
  ASSERT_EQ(moves_.size(), 26u);
  EXPECT_NEAR(root(0).x, 397.5, kTol);
  EXPECT_NEAR(root(0).y, 40, kTol);
  EXPECT_NEAR(tip(0).x, 348.65, kTol);
  EXPECT_NEAR(root(6).x, 395, kTol);
  EXPECT_NEAR(root(6).y, 42.5, kTol);
  EXPECT_NEAR(tip(6).y, 39.15, kTol);
  EXPECT_NEAR(root(12).x, 392.5, kTol);
  EXPECT_NEAR(root(24).x, root(0).x, kTol);
  EXPECT_NEAR(root(24).y, root(0).y, kTol);
  EXPECT_NEAR(tip(24).x, tip(0).x, kTol);
  expectNear(root(25), {400, 40});
  expectNear(tip(25), {350, 38});
  EXPECT_EQ(moves_[0].label, "Entree saignee H");
  EXPECT_EQ(moves_[13].label, "Rond articulation H");
  EXPECT_EQ(moves_[25].label, "Sortie saignee H");
}

TEST_F(SparCutFixture, DegenerateSizesAndChordsGiveFiniteTargets) {
  SparRecord r = spar(SparUpperRound, 30);
  r.rootWidth = -4;
  r.widthMode = SizeProportional;
  r.tipWidth = 0;
  r.rootThickness = std::numeric_limits<double>::infinity();
  r.tipThickness = 1;
  // Zero root chord: proportional sizes follow the root; no radius below 0.
  ASSERT_TRUE(EmitRoundSlot(out_, r, {300, 60}, {250, 55}, +1, 0.0, 100, kerf_));
  ASSERT_EQ(moves_.size(), 26u);
  for (std::size_t i = 0; i < 25; ++i) {
    expectNear(root(i), {300, 60});  // no width, no depth
    expectNear(tip(i), {250, 54});   // a plain slot down to 1 mm
  }
  EXPECT_DOUBLE_EQ(SparTipSize(SizeProportional, 10, 0, 0.0, 100), 10.0);
  EXPECT_DOUBLE_EQ(SparTipSize(SizeProportional, 10, 0, 200, 50), 2.5);
  EXPECT_DOUBLE_EQ(SparTipSize(7, 10, 4, 200, 50), 10.0);  // unknown mode: tip = root
  EXPECT_DOUBLE_EQ(SparTipSize(SizeEntered, 10, 4, 200, 50), 4.0);
}

// --- Soles ----------------------------------------------------------------------

TEST(SoleRecess, StraightUpperSurfaceGetsAStepDownAndUp) {
  std::array<SparRecord, kSparCount> s{};
  s[0] = spar(SparUpperSole, 50);  // X = 100 - 50 x 50 / 100 = 75
  s[0].rootWidth = 10;
  s[0].rootThickness = 1.5;
  std::vector<Point2D> rootList{{100, 10}, {90, 10}, {80, 10}, {70, 10}, {60, 10}, {50, 10}};
  std::vector<Point2D> tipList;
  for (Point2D p : rootList) tipList.push_back({p.x - 20, p.y + 5});
  const std::vector<std::size_t> chain{0};
  ASSERT_TRUE(ApplySoleRecesses(rootList, tipList, s, chain, 100, 50, true));
  // 5 mm each side of X 75: from the point 80 to the point 70.
  const std::vector<Point2D> expectRoot{{100, 10}, {90, 10}, {80, 10}, {80, 8.5},
                                        {70, 8.5}, {70, 10}, {60, 10}, {50, 10}};
  ASSERT_EQ(rootList.size(), expectRoot.size());
  ASSERT_EQ(tipList.size(), expectRoot.size());
  for (std::size_t i = 0; i < expectRoot.size(); ++i) {
    EXPECT_NEAR(rootList[i].x, expectRoot[i].x, kTol) << i;
    EXPECT_NEAR(rootList[i].y, expectRoot[i].y, kTol) << i;
    EXPECT_NEAR(tipList[i].x, expectRoot[i].x - 20, kTol) << i;  // same indexes, same t
    EXPECT_NEAR(tipList[i].y, expectRoot[i].y + 5, kTol) << i;
  }
}

TEST(SoleRecess, LowerSurfaceCornerMovesUpToTheMiterPoint) {
  std::array<SparRecord, kSparCount> s{};
  s[0] = spar(SparLowerSole, 38);  // X = 100 - 38 x 50 / 100 = 81
  s[0].rootWidth = 4;
  s[0].rootThickness = 2;
  std::vector<Point2D> rootList{{100, 0}, {90, 0}, {80, 0}, {70, 5}, {60, 10}};
  std::vector<Point2D> tipList = rootList;
  const std::vector<std::size_t> chain{0};
  ASSERT_TRUE(ApplySoleRecesses(rootList, tipList, s, chain, 100, 50, false));
  ASSERT_EQ(rootList.size(), 7u);
  // The middle is at X 81; the point 80 lies only 1 mm behind it, so the
  // recess runs from the point 90 to the point 70. The point 90 moves straight
  // up; the corner at 80 to where y = 2 meets the rising segment moved by 2
  // along its normal, 2 x tan(atan(0.5) / 2) further forward; the point 70
  // (collinear neighbours) along the normal of the rising segment.
  EXPECT_EQ(rootList[1], (Point2D{90, 0}));
  expectNear(rootList[2], {90, 2});
  expectNear(rootList[3], {80 + 2 * std::tan(std::atan(0.5) / 2), 2});
  expectNear(rootList[4], {70 + 2 / std::sqrt(5.0), 5 + 4 / std::sqrt(5.0)});
  EXPECT_EQ(rootList[5], (Point2D{70, 5}));
  EXPECT_EQ(rootList[6], (Point2D{60, 10}));
}

TEST(SoleRecess, NearlyCollinearPointMovesAlongTheNormalBeforeIt) {
  std::array<SparRecord, kSparCount> s{};
  s[0] = spar(SparUpperSole, 50);  // X 75
  s[0].rootWidth = 10;
  s[0].rootThickness = 2;
  // At the point 80 the slope changes from 0 to 0.0005 (< 0.001): no far-away
  // intersection, the point moves straight down (the normal of the segment
  // arriving at it), not along the normal of the segment leaving it.
  std::vector<Point2D> r{{100, 10}, {90, 10}, {80, 10}, {70, 9.995}, {60, 9.99}};
  std::vector<Point2D> t = r;
  const std::vector<std::size_t> chain{0};
  ASSERT_TRUE(ApplySoleRecesses(r, t, s, chain, 100, 50, true));
  ASSERT_EQ(r.size(), 7u);
  EXPECT_EQ(r[3], (Point2D{80, 8}));
}

TEST(SoleRecess, LimitsAndMisfits) {
  std::array<SparRecord, kSparCount> s{};
  s[0] = spar(SparUpperSole, 50);
  s[0].rootWidth = 10;
  s[0].rootThickness = 9;  // deeper than the 4 mm profile
  s[1] = spar(SparUpperSole, 99);
  s[1].rootWidth = 10;
  const std::vector<Point2D> upper{{100, 10}, {90, 10}, {80, 10}, {70, 10}, {60, 10}, {55, 10}};
  const std::vector<Point2D> lower{{100, 6}, {55, 6}};
  std::vector<Point2D> r = upper;
  std::vector<Point2D> t = upper;
  const std::vector<std::size_t> first{0};
  ASSERT_TRUE(ApplySoleRecesses(r, t, s, first, 100, 50, true, lower, lower));
  EXPECT_NEAR(r[3].y, 6.0, kTol);  // reaches the lower surface, not beyond
  // X 50.5 lies behind the trailing-edge point 55: nothing.
  r = upper;
  t = upper;
  const std::vector<std::size_t> second{1};
  ASSERT_TRUE(ApplySoleRecesses(r, t, s, second, 100, 50, true));
  EXPECT_EQ(r, upper);
  // Root and tip lists of different lengths are left alone.
  t.pop_back();
  EXPECT_FALSE(ApplySoleRecesses(r, t, s, first, 100, 50, true));
  EXPECT_EQ(r, upper);
}

// --- The Spars dialog -------------------------------------------------------------

class SparsFormTest : public testing::Test {
 protected:
  SparsFormTest()
      : driver_(std::make_unique<SimulatedMachine>(), prompt_),
        machine_(driver_, prompt_),
        context_{prompt_, machine_, "", ""},
        doc_(context_) {
    doc_.current().root.params.chord = 200.0;
    doc_.current().tip.params.chord = 100.0;
  }

  ScriptedPrompt prompt_;
  InterfaceDriver driver_;
  MachineConfig machine_;
  ProjectContext context_;
  CT1Doc doc_;
};

using F = SparField;

TEST_F(SparsFormTest, EverythingButActiveIsDisabledUntilTheRecordIsActive) {
  SparsForm form(doc_);
  EXPECT_EQ(form.row(), 0);
  EXPECT_EQ(form.rowLabel(9), "Inactive");
  EXPECT_FALSE(form.checked(F::Active));
  for (F f : {F::DistanceInPercent, F::Label, F::Type, F::WidthMode, F::RootWidth, F::Distance}) {
    EXPECT_FALSE(form.enabled(f));
  }
  EXPECT_FALSE(form.setText(F::RootWidth, "8"));
  EXPECT_FALSE(form.setCurrentIndex(F::Type, SparHinge - 1));
  EXPECT_TRUE(form.setChecked(F::Active, true));
  EXPECT_TRUE(form.enabled(F::Distance));
  EXPECT_TRUE(form.enabled(F::WidthMode));
  EXPECT_FALSE(form.enabled(F::TipWidth));  // width mode 0: read-only
}

TEST_F(SparsFormTest, WidthAndThicknessModesDeriveTheTipBoxes) {
  SparsForm form(doc_);
  form.setChecked(F::Active, true);
  ASSERT_TRUE(form.setText(F::RootWidth, "12"));
  EXPECT_EQ(form.text(F::TipWidth), "12");  // mode 0
  ASSERT_TRUE(form.setCurrentIndex(F::WidthMode, SizeProportional));
  EXPECT_EQ(form.text(F::TipWidth), "6");  // 12 x 100 / 200
  EXPECT_FALSE(form.setText(F::TipWidth, "9"));
  ASSERT_TRUE(form.setText(F::RootWidth, "9"));
  EXPECT_EQ(form.text(F::TipWidth), "4.5");
  ASSERT_TRUE(form.setCurrentIndex(F::WidthMode, SizeEntered));
  EXPECT_TRUE(form.setText(F::TipWidth, "7"));
  ASSERT_TRUE(form.setText(F::RootThickness, "5"));
  EXPECT_EQ(form.text(F::TipThickness), "5");
  ASSERT_TRUE(form.setCurrentIndex(F::ThicknessMode, SizeProportional));
  EXPECT_EQ(form.text(F::TipThickness), "2.5");
  EXPECT_FALSE(form.setCurrentIndex(F::ThicknessMode, 3));
  ASSERT_TRUE(form.setCurrentIndex(F::Rows, 1));
  const SparRecord& r = form.records()[0];
  EXPECT_EQ(r.rootWidth, 9.0);
  EXPECT_EQ(r.tipWidth, 7.0);
  EXPECT_EQ(r.widthMode, SizeEntered);
  EXPECT_EQ(r.tipThickness, 2.5);
  EXPECT_EQ(r.thicknessMode, SizeProportional);
}

TEST_F(SparsFormTest, HingeAndSoleTypesDisableTheirControls) {
  SparsForm form(doc_);
  form.setChecked(F::Active, true);
  form.setText(F::RootThickness, "2");
  form.setCurrentIndex(F::ThicknessMode, SizeEntered);
  form.setText(F::TipThickness, "1");
  ASSERT_TRUE(form.setCurrentIndex(F::Type, SparHinge - 1));
  EXPECT_FALSE(form.enabled(F::Distance));
  EXPECT_FALSE(form.enabled(F::DistanceInPercent));
  EXPECT_TRUE(form.enabled(F::TipThickness));
  ASSERT_TRUE(form.setCurrentIndex(F::Type, SparUpperSole - 1));
  EXPECT_TRUE(form.enabled(F::Distance));
  EXPECT_EQ(form.widthMode(), SizeProportional);
  EXPECT_EQ(form.thicknessMode(), SizeTipEqualsRoot);
  EXPECT_EQ(form.text(F::TipThickness), "2");
  for (F f : {F::WidthMode, F::ThicknessMode, F::TipThickness, F::TipWidth}) {
    EXPECT_FALSE(form.enabled(f));
  }
  EXPECT_FALSE(form.setCurrentIndex(F::Type, 0 - 1));
  EXPECT_FALSE(form.setCurrentIndex(F::Type, 8 - 1));
  EXPECT_EQ(form.type(), SparUpperSole);
}

TEST_F(SparsFormTest, DistanceMustLieBetween1And99) {
  SparsForm form(doc_);
  form.setChecked(F::Active, true);
  form.setText(F::Distance, "0.5");
  EXPECT_FALSE(form.setCurrentIndex(F::Rows, 2));
  EXPECT_EQ(form.row(), 0);
  EXPECT_EQ(form.focus(), F::Distance);
  form.setText(F::Distance, "99.5");
  EXPECT_FALSE(form.ok());
  form.setText(F::Distance, "abc");
  EXPECT_FALSE(form.ok());
  EXPECT_EQ(prompt_.messages(), (std::vector<std::string>{"Please enter a number between 1 and 99.",
                                                          "Please enter a number between 1 and 99.",
                                                          "Please enter a number."}));
  EXPECT_FALSE(doc_.current().spars[0].active);  // nothing reached the panel
  form.setText(F::Distance, "99");
  EXPECT_TRUE(form.setCurrentIndex(F::Rows, 2));
  EXPECT_EQ(form.records()[0].distance, 99.0);
}

TEST_F(SparsFormTest, AHingeFromAnOldFileWithAnOutOfRangeDistanceCanStillBeEdited) {
  doc_.current().spars[0] = spar(SparHinge, 150);
  SparsForm form(doc_);
  ASSERT_TRUE(form.setText(F::Label, "Rudder"));
  EXPECT_TRUE(form.ok());
  EXPECT_TRUE(prompt_.messages().empty());
  EXPECT_EQ(doc_.current().spars[0].distance, 150.0);
  EXPECT_EQ(doc_.current().spars[0].label, "Rudder");
}

TEST_F(SparsFormTest, RowSwitchingStoresAndLoadsAndOkCommits) {
  doc_.current().spars[3] = spar(SparLowerRound, 42);
  doc_.current().spars[3].label = "Tube";
  SparsForm form(doc_);
  form.setChecked(F::Active, true);
  form.setCurrentIndex(F::Type, SparUpperNotch - 1);
  form.setText(F::Label, "Main");
  form.setText(F::Distance, "25");
  form.setChecked(F::DistanceInPercent, false);
  ASSERT_TRUE(form.setCurrentIndex(F::Rows, 3));
  EXPECT_EQ(form.rowLabel(0), "Main");
  EXPECT_EQ(form.text(F::Label), "Tube");
  EXPECT_EQ(form.text(F::Distance), "42");
  EXPECT_EQ(form.type(), SparLowerRound);
  ASSERT_TRUE(form.setCurrentIndex(F::Rows, 0));
  EXPECT_EQ(form.text(F::Label), "Main");
  EXPECT_EQ(form.type(), SparUpperNotch);
  EXPECT_FALSE(form.checked(F::DistanceInPercent));
  EXPECT_FALSE(doc_.modified);
  EXPECT_EQ(doc_.current().spars[0].label, "Inactive");  // not before OK
  ASSERT_TRUE(form.ok());
  EXPECT_TRUE(doc_.modified);
  const SparRecord& r = doc_.current().spars[0];
  EXPECT_TRUE(r.active);
  EXPECT_EQ(r.type, SparUpperNotch);
  EXPECT_EQ(r.distance, 25.0);
  EXPECT_EQ(doc_.current().spars[3].label, "Tube");
}

TEST_F(SparsFormTest, CancelAndAnUnchangedOkLeaveTheProjectAlone) {
  const auto before = doc_.current().spars;
  {
    SparsForm form(doc_);
    form.setChecked(F::Active, true);
    form.setText(F::Label, "Lost");
    form.cancel();
  }
  EXPECT_EQ(doc_.current().spars, before);
  SparsForm form(doc_);
  ASSERT_TRUE(form.ok());
  EXPECT_FALSE(doc_.modified);
  EXPECT_EQ(doc_.current().spars, before);
}

}  // namespace
}  // namespace orva
