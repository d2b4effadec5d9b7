#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "config/MachineConfig.h"
#include "cutting/CutEmitter.h"
#include "cutting/SparCuts.h"
#include "cutting/SparsForm.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"
#include "model/FormReplay.h"
#include "motion/MovePlanner.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

constexpr double kTol = 1e-9;

// A kerf law whose value differs for every ratio, so that a kerf taken at the
// wrong ratio shows: 0.5 mm at ratio 1, 0.35 at 0.5, 0.425 at 0.75.
double testKerf(double r) { return 0.2 + 0.3 * r; }

SparRecord spar(int type, double distance, bool active = true) {
  SparRecord r;
  r.active = active;
  r.type = type;
  r.distance = distance;
  r.label = "S" + std::to_string(type);
  return r;
}

// The machine rig (the default table, the planner) with an emitter that
// places the block over the whole table (left distance 0, span = Entraxe), so
// every move's tower targets are its section targets (left tower = root,
// right tower = tip).
class SparCutFixture : public testing::Test, protected test::MachineRig {
 protected:
  SparCutFixture() { config.foams.cutSpeed = 2.0; }

  ScriptedPrompt& prompt_ = prompt;
  MoveList moves_;
  CutEmitter out_{planner, moves_, 0.0, static_cast<double>(config.table.Entraxe), false};
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

// --- Cut-outs -------------------------------------------------------------------

// Every kind of cut-out (notches of every width and depth, round slots,
// hinges, degenerate sizes) with the kerf law taken at each wall's ratio, as
// reviewed in tests/data/cutting/spar-cut-outs.txt.
TEST_F(SparCutFixture, EveryCutOutKindMatchesTheReviewedMoves) {
  std::string dump;
  const auto record = [&](const std::string& title, bool emitted) {
    EXPECT_TRUE(emitted) << title;
    dump += test::section(title, test::dumpMoves(moves_));
    moves_.clear();
  };
  SparRecord notch = spar(SparUpperNotch, 30);
  notch.label = "A";
  notch.rootWidth = 10;
  notch.widthMode = SizeProportional;  // tip width 10 x 100 / 200 = 5
  notch.rootThickness = 4;
  notch.thicknessMode = SizeEntered;
  notch.tipThickness = 3;
  record("upper notch", EmitSparNotch(out_, notch, {300, 60}, {250, 55}, +1, 200, 100, kerf_));

  SparRecord narrow = spar(SparLowerNotch, 30);
  narrow.rootWidth = 0.8;
  narrow.rootThickness = 4;
  const KerfAtRatio constant = [](double) { return 0.5; };
  record("narrow lower notch",
         EmitSparNotch(out_, narrow, {300, 20}, {250, 22}, -1, 200, 200, constant));

  SparRecord deep = spar(SparUpperNotch, 30);
  deep.rootWidth = 6;
  deep.rootThickness = 30;
  record("notch deeper than the profile",
         EmitSparNotch(out_, deep, {300, 60}, {250, 55}, +1, 200, 200, kerf_, SparRoom{12.0, 8.0}));
  deep.rootThickness = 0.2;
  record("notch thinner than the kerf",
         EmitSparNotch(out_, deep, {300, 60}, {250, 55}, +1, 200, 200, kerf_));

  SparRecord round = spar(SparUpperRound, 30);
  round.label = "B";
  round.rootWidth = 8;
  round.widthMode = SizeEntered;
  round.tipWidth = 6;
  round.rootThickness = 2;
  round.tipThickness = 1.5;
  record("round slot", EmitSparCutOut(out_, round, {300, 60}, {250, 55}, +1, 200, 100, kerf_));

  SparRecord lower = spar(SparLowerRound, 30);
  lower.rootWidth = lower.tipWidth = 8;
  lower.rootThickness = lower.tipThickness = 2;
  record("lower round slot raised at the tip", EmitRoundSlot(out_, lower, {300, 20}, {250, 22}, -1,
                                                             200, 200, kerf_, SparRoom{20.0, 8.0}));

  SparRecord hinge = spar(SparHinge, 50);
  hinge.label = "H";
  hinge.rootWidth = 6;
  hinge.widthMode = SizeProportional;
  hinge.tipWidth = 3;
  hinge.rootThickness = 2;
  hinge.tipThickness = 1;
  record("hinge", EmitHingeRound(out_, hinge, {400, 40}, {350, 38}, 200, 100, kerf_));

  SparRecord bad = spar(SparUpperRound, 30);
  bad.rootWidth = -4;
  bad.widthMode = SizeProportional;
  bad.tipWidth = 0;
  bad.rootThickness = std::numeric_limits<double>::infinity();
  bad.tipThickness = 1;
  record("degenerate sizes, zero root chord",
         EmitRoundSlot(out_, bad, {300, 60}, {250, 55}, +1, 0.0, 100, kerf_));
  test::expectGolden("cutting/spar-cut-outs.txt", dump);
  EXPECT_TRUE(prompt_.messages().empty());

  EXPECT_DOUBLE_EQ(SparTipSize(SizeProportional, 10, 0, 0.0, 100), 10.0);
  EXPECT_DOUBLE_EQ(SparTipSize(SizeProportional, 10, 0, 200, 50), 2.5);
  EXPECT_DOUBLE_EQ(SparTipSize(7, 10, 4, 200, 50), 10.0);  // unknown mode: tip = root
  EXPECT_DOUBLE_EQ(SparTipSize(SizeEntered, 10, 4, 200, 50), 4.0);
}

TEST_F(SparCutFixture, RefusedMoveEndsTheCutOutAndOtherTypesEmitNothing) {
  SparRecord r = spar(SparUpperNotch, 30);
  r.rootWidth = 10;
  // The right wall (998 + 4.5) lies beyond the 1000 mm X travel.
  EXPECT_FALSE(EmitSparNotch(out_, r, {998, 60}, {998, 55}, +1, 200, 200, kerf_));
  EXPECT_EQ(moves_.size(), 4u);
  EXPECT_EQ(prompt_.messages().size(), 1u);

  moves_.clear();
  r = spar(SparUpperNotch, 30, false);
  EXPECT_TRUE(EmitSparCutOut(out_, r, {300, 60}, {250, 55}, +1, 200, 200, kerf_));
  r = spar(SparUpperSole, 30);
  EXPECT_TRUE(EmitSparCutOut(out_, r, {300, 60}, {250, 55}, +1, 200, 200, kerf_));
  EXPECT_TRUE(
      EmitHingeRound(out_, spar(SparUpperRound, 30), {300, 60}, {250, 55}, 200, 200, kerf_));
  EXPECT_TRUE(moves_.empty());
}

// --- Soles ----------------------------------------------------------------------

// The recesses of the soles on straight, cornered and nearly collinear
// surfaces, and limited by the other surface, as reviewed in
// tests/data/cutting/soles.txt.
TEST(SoleRecess, RecessesMatchTheReviewedLists) {
  const auto sole = [](int type, double distance, double width, double depth) {
    std::array<SparRecord, kSparCount> s{};
    s[0] = spar(type, distance);
    s[0].rootWidth = width;
    s[0].rootThickness = depth;
    return s;
  };
  const std::vector<std::size_t> chain{0};
  std::string dump;
  const auto record = [&](const std::string& title, std::vector<Point2D> root,
                          std::vector<Point2D> tip, const std::array<SparRecord, kSparCount>& s,
                          bool upper, const std::vector<Point2D>& rootOther = {},
                          const std::vector<Point2D>& tipOther = {}) {
    EXPECT_TRUE(ApplySoleRecesses(root, tip, s, chain, 100, 50, upper, rootOther, tipOther))
        << title;
    dump += test::section(title + ", root", test::dumpPoints(root)) +
            test::section(title + ", tip", test::dumpPoints(tip));
  };
  const std::vector<Point2D> straight{{100, 10}, {90, 10}, {80, 10}, {70, 10}, {60, 10}, {50, 10}};
  std::vector<Point2D> moved;
  for (Point2D p : straight) moved.push_back({p.x - 20, p.y + 5});
  record("straight upper surface", straight, moved, sole(SparUpperSole, 50, 10, 1.5), true);
  const std::vector<Point2D> rising{{100, 0}, {90, 0}, {80, 0}, {70, 5}, {60, 10}};
  record("lower surface corner", rising, rising, sole(SparLowerSole, 38, 4, 2), false);
  const std::vector<Point2D> nearly{{100, 10}, {90, 10}, {80, 10}, {70, 9.995}, {60, 9.99}};
  record("nearly collinear", nearly, nearly, sole(SparUpperSole, 50, 10, 2), true);
  const std::vector<Point2D> upper{{100, 10}, {90, 10}, {80, 10}, {70, 10}, {60, 10}, {55, 10}};
  record("deeper than the profile", upper, upper, sole(SparUpperSole, 50, 10, 9), true,
         {{100, 6}, {55, 6}}, {{100, 6}, {55, 6}});
  record("deeper than the thinner root", upper, upper, sole(SparUpperSole, 50, 10, 9), true,
         {{100, 7}, {55, 7}}, {{100, 6}, {55, 6}});
  test::expectGolden("cutting/soles.txt", dump);

  // X 50.5 lies behind the trailing-edge point 55: nothing.
  std::vector<Point2D> r = upper;
  std::vector<Point2D> t = upper;
  ASSERT_TRUE(ApplySoleRecesses(r, t, sole(SparUpperSole, 99, 10, 0), chain, 100, 50, true));
  EXPECT_EQ(r, upper);
  // Root and tip lists of different lengths are left alone.
  t.pop_back();
  EXPECT_FALSE(ApplySoleRecesses(r, t, sole(SparUpperSole, 50, 10, 9), chain, 100, 50, true));
  EXPECT_EQ(r, upper);
}

// --- The Spars dialog -------------------------------------------------------------

class SparsFormTest : public testing::Test, protected test::ProjectRig {
 protected:
  SparsFormTest() {
    doc.current().root.params.chord = 200.0;
    doc.current().tip.params.chord = 100.0;
  }
};

using F = SparField;

// One record edited through the dialog (enabling, tip size modes, row
// switching, hinge and sole types, refused types), as reviewed in
// tests/data/cutting/spars-form-session.txt.
TEST_F(SparsFormTest, OneRecordEditedAsReviewed) {
  SparsForm form(doc);
  const std::string session = test::replayEdits(form, {{F::RootWidth, "8"},
                                                       {F::Type, SparHinge - 1},
                                                       {F::Active, true},
                                                       {F::RootWidth, "12"},
                                                       {F::WidthMode, SizeProportional},
                                                       {F::TipWidth, "9"},
                                                       {F::RootWidth, "9"},
                                                       {F::WidthMode, SizeEntered},
                                                       {F::TipWidth, "7"},
                                                       {F::RootThickness, "5"},
                                                       {F::ThicknessMode, SizeProportional},
                                                       {F::ThicknessMode, 3},
                                                       {F::Rows, 1},
                                                       {F::Rows, 0},
                                                       {F::RootThickness, "2"},
                                                       {F::ThicknessMode, SizeEntered},
                                                       {F::TipThickness, "1"},
                                                       {F::Type, SparHinge - 1},
                                                       {F::Type, SparUpperSole - 1},
                                                       {F::Type, -1},
                                                       {F::Type, 7}});
  test::expectGolden("cutting/spars-form-session.txt", session);
  EXPECT_EQ(std::tuple(form.type(), form.widthMode(), form.thicknessMode()),
            std::tuple(SparUpperSole, SizeProportional, SizeTipEqualsRoot));
}

TEST_F(SparsFormTest, DistanceMustLieBetween1And99) {
  SparsForm form(doc);
  form.setChecked(F::Active, true);
  form.setText(F::Distance, "0.5");
  EXPECT_FALSE(form.setCurrentIndex(F::Rows, 2));
  EXPECT_EQ(form.row(), 0);
  EXPECT_EQ(form.focus(), F::Distance);
  form.setText(F::Distance, "99.5");
  EXPECT_FALSE(form.ok());
  form.setText(F::Distance, "abc");
  EXPECT_FALSE(form.ok());
  EXPECT_EQ(prompt.messages(), (std::vector<std::string>{"Please enter a number between 1 and 99.",
                                                         "Please enter a number between 1 and 99.",
                                                         "Please enter a number."}));
  EXPECT_FALSE(doc.current().spars[0].active);  // nothing reached the panel
  form.setText(F::Distance, "99");
  EXPECT_TRUE(form.setCurrentIndex(F::Rows, 2));
  EXPECT_EQ(form.records()[0].distance, 99.0);
}

TEST_F(SparsFormTest, AHingeFromAnOldFileWithAnOutOfRangeDistanceCanStillBeEdited) {
  doc.current().spars[0] = spar(SparHinge, 150);
  SparsForm form(doc);
  ASSERT_TRUE(form.setText(F::Label, "Rudder"));
  EXPECT_TRUE(form.ok());
  EXPECT_TRUE(prompt.messages().empty());
  EXPECT_EQ(doc.current().spars[0].distance, 150.0);
  EXPECT_EQ(doc.current().spars[0].label, "Rudder");
}

TEST_F(SparsFormTest, RowSwitchingStoresAndLoadsAndOkCommits) {
  doc.current().spars[3] = spar(SparLowerRound, 42);
  doc.current().spars[3].label = "Tube";
  SparsForm form(doc);
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
  EXPECT_FALSE(doc.modified);
  EXPECT_EQ(doc.current().spars[0].label, "Inactive");  // not before OK
  ASSERT_TRUE(form.ok());
  EXPECT_TRUE(doc.modified);
  const SparRecord& r = doc.current().spars[0];
  EXPECT_TRUE(r.active);
  EXPECT_EQ(r.type, SparUpperNotch);
  EXPECT_EQ(r.distance, 25.0);
  EXPECT_EQ(doc.current().spars[3].label, "Tube");
}

TEST_F(SparsFormTest, CancelAndAnUnchangedOkLeaveTheProjectAlone) {
  const auto before = doc.current().spars;
  {
    SparsForm form(doc);
    form.setChecked(F::Active, true);
    form.setText(F::Label, "Lost");
    form.cancel();
  }
  EXPECT_EQ(doc.current().spars, before);
  SparsForm form(doc);
  ASSERT_TRUE(form.ok());
  EXPECT_FALSE(doc.modified);
  EXPECT_EQ(doc.current().spars, before);
}

}  // namespace
}  // namespace orva
