#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "cutting/AuxiliaryCuts.h"
#include "cutting/BlockShapingForm.h"
#include "cutting/FoamCutForm.h"
#include "cutting/TestCutForm.h"
#include "model/FormReplay.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

// A program context around the simulated machine: a 1000 mm table with fast
// motors (48 steps/mm, 0.5 ms per step: 41.67 mm/s), a fixed-heat foam cut at
// 8 mm/s, and a project whose panel is 500 mm long.
struct Rig : test::ProjectRig {
  Rig() {
    config.table.Entraxe = 1000;
    fastMotors();
    useFoams({foam("Blue", 8.0, 40), foam("Grey", 6.5, 40)});
    doc.NewProject();  // a panel for this table
    Panel& p = panel();
    p.root.params.chord = 200.0;
    p.root.params.teMargin = 10.0;
    p.root.params.leMargin = 5.0;
    p.tip.params.chord = 120.0;
    p.tip.params.teMargin = 8.0;
    p.tip.params.leMargin = 2.0;
    p.sweep = 30.0;
    p.span = 500.0;
    p.foamThickness = 50.0;
    doc.modified = false;
  }

  AuxiliaryCutValues values;
  AuxiliaryCutSession session;
};

TEST(BlockGeometry, FacesKeepTheTaperAndTheNearerRearFaceAtX0) {
  const BlockFaces f = ComputeBlockFaces(20.0, 200.0, 150.0, 30.0);
  EXPECT_EQ(std::tuple(f.leftRear, f.rightRear, f.leftFront, f.rightFront),
            std::tuple(20.0, 40.0, 220.0, 190.0));
  // Whatever the sign of e: left front - right front = taper, and the rear
  // face that stands further back is at X0.
  for (const auto& [lw, rw, t] : {std::tuple{150.0, 200.0, 0.0}, std::tuple{100.0, 100.0, -40.0},
                                  std::tuple{300.0, 120.0, 200.0}}) {
    const BlockFaces g = ComputeBlockFaces(10.0, lw, rw, t);
    EXPECT_DOUBLE_EQ(g.leftFront - g.rightFront, t);
    EXPECT_DOUBLE_EQ(std::min(g.leftRear, g.rightRear), 10.0);
    EXPECT_DOUBLE_EQ(g.leftFront - g.leftRear, lw);
  }
  EXPECT_EQ(CentredAxisOffset(1000, 599.5), 200);  // integer part of 400.5, halved
  EXPECT_EQ(CentredAxisOffset(1000, 601.0), 199);  // 399 / 2
  EXPECT_EQ(CentredAxisOffset(1000, 1100.0), -50);
}

TestCutParams exampleTestCut(int height, bool fromTop) {
  TestCutParams p;
  p.x0 = 20.0;
  p.leftWidth = 200;
  p.rightWidth = 150;
  p.taper = 30;
  p.length = 500.0;
  p.leftAxisOffset = 250.0;
  p.clearance = 70.0;
  p.height = height;
  p.spacing = 10;
  p.startWithTop = fromTop;
  return p;
}

// The moves of block shaping, the test cuts (both starts, even and odd
// counts) and the foam cut on the example block (widths 200 and 150, taper
// 30, X0 20, 250 mm from the left support), as reviewed in
// tests/data/cutting/auxiliary-moves.txt.
TEST(AuxiliaryCuts, MovesMatchTheReviewedLists) {
  Rig rig;
  std::string dump;
  const auto record = [&](const std::string& title, const std::optional<MoveList>& moves) {
    ASSERT_TRUE(moves.has_value()) << title;
    dump += test::section(title, test::dumpMoves(*moves));
  };
  record("block shaping",
         BuildBlockShapingMoves(rig.planner, {20.0, 200.0, 150.0, 30.0, 500.0, 250.0, 70.0}));
  for (const auto& [height, fromTop] :
       {std::pair{50, false}, std::pair{50, true}, std::pair{40, true}, std::pair{40, false}}) {
    record("test cut " + std::to_string(height) + (fromTop ? " from the top" : " from the bottom"),
           BuildTestCutMoves(rig.planner, rig.config.table, exampleTestCut(height, fromTop)));
  }
  rig.planner.ResetPlanner();
  record("foam cut raise at maximum speed",
         BuildFoamCutRaiseMoves(rig.planner, rig.config.table, {0.0, 60.0, 0.0}, true));
  rig.planner.ResetPlanner();
  const FoamCutGeometry h{300.0, 0.0, 25.0};
  record("foam cut raise at cut speed",
         BuildFoamCutRaiseMoves(rig.planner, rig.config.table, h, false));
  record("foam cut down", BuildFoamCutReturnMoves(rig.planner, rig.config.table, h));
  test::expectGolden("cutting/auxiliary-moves.txt", dump);
}

TEST(TestCut, ValuesThatGiveNoFiniteSeriesAreRefused) {
  EXPECT_EQ(TestCutCount(50, 10), 4);
  EXPECT_EQ(TestCutCount(50, 0), std::nullopt);
  const TestCutOvershoot wideRight = ComputeTestCutOvershoot(100, 250);
  EXPECT_DOUBLE_EQ(wideRight.left, 5.0);
  EXPECT_DOUBLE_EQ(wideRight.right, 12.5);

  Rig rig;
  TestCutParams p = exampleTestCut(50, true);
  p.spacing = 0;
  EXPECT_FALSE(BuildTestCutMoves(rig.planner, rig.config.table, p).has_value());
  EXPECT_EQ(rig.prompt.messages(),
            std::vector<std::string>{"Invalid test cut spacing: 0 mm, it must be at least 1 mm"});
  p.spacing = 10;
  p.height = 10;  // (10 - 1) / 10 = 0 slices: from the top it would run below the table
  EXPECT_EQ(CheckTestCut(p),
            "No test cut: the height (10 mm) must be greater than the spacing (10 mm)");
  p.height = 20000;
  EXPECT_EQ(CheckTestCut(p), "Too many test cuts: 1999, at most 1000");
  p.height = 50;
  p.rightWidth = 0;  // the overshoot divides by the narrower width
  EXPECT_EQ(CheckTestCut(p), "Invalid block widths: 200 mm and 0 mm, both must be greater than 0");
}

TEST(TestCutForm, OpensFromTheProjectFollowsTheCountAndStoresOnOk) {
  Rig rig;
  rig.values.testCutSpacing = 10;
  rig.session.startWithTop = true;
  TestCutForm form(rig.doc, rig.values, rig.session);
  using F = TestCutField;
  // As reviewed in tests/data/cutting/test-cut-form.txt; spacing 0 is not recomputed.
  test::expectGolden("cutting/test-cut-form.txt",
                     test::replayEdits(form, {{F::Spacing, "7"}, {F::Spacing, "0"}}));
  test::expectRefusalsInOrder(
      form, rig.prompt,
      {{F::Spacing, "0", "Invalid test cut spacing: 0 mm, it must be at least 1 mm"}});
  EXPECT_EQ(rig.values.testCutSpacing, 10);  // nothing stored
  form.setText(F::Spacing, "12");
  test::expectRefusalsInOrder(form, rig.prompt,
                              {{F::Heat, "100", "Please enter an integer between 1 and 99."}});
  form.setText(F::Heat, "35");
  form.setText(F::RightWidth, "180");
  form.setText(F::Height, "60");
  form.setChecked(F::StartWithTop, false);
  ASSERT_TRUE(form.ok());
  const AuxiliaryCutValues& v = rig.values;
  EXPECT_EQ(std::tuple(rig.machine->heatPercent(), v.testCutSpacing, v.rightWidth, v.leftWidth,
                       v.blockLength, form.params().spacing),
            std::tuple(35, 12, 180, 215, 480.0, 12));
  EXPECT_EQ(std::tuple(rig.doc.cutChoices.clearance, rig.panel().foamThickness,
                       rig.panel().rootAxisOffset, rig.session.startWithTop, rig.doc.modified),
            std::tuple(70.0, 60.0, 260, false, true));
}

TEST(BlockShapingForm, DefaultsFollowTheWingSideAndOkStoresTheBlock) {
  Rig rig;
  using F = BlockShapingField;
  // As reviewed in tests/data/cutting/block-shaping-form.txt: right and left wing.
  std::string dump;
  {
    BlockShapingForm form(rig.doc, rig.values, rig.session);
    dump += test::section("right wing", test::replayEdits(form, {}));
    EXPECT_EQ(form.selectedFoam(), "Blue");
  }
  rig.doc.cutChoices.wingSide = 1;
  rig.doc.cutChoices.clearance = 90.0;
  BlockShapingForm form(rig.doc, rig.values, rig.session);
  dump += test::section("left wing", test::replayEdits(form, {{F::Length, "600"}}));
  test::expectGolden("cutting/block-shaping-form.txt", dump);

  // Checks in field order; a speed of 0 would cut at rapid speed.
  form.setText(F::X0, "2.5");
  form.setText(F::Length, "long");
  EXPECT_FALSE(form.ok());
  EXPECT_EQ(rig.prompt.messages().back(), "Please enter an integer.");
  EXPECT_EQ(form.focus(), F::X0);
  form.setText(F::X0, "15");
  form.setText(F::Length, "600");
  form.setText(F::CutSpeed, "0");
  EXPECT_FALSE(form.ok());
  EXPECT_EQ(rig.prompt.messages().back(), "Invalid cut speed: 0 mm/s, it must be greater than 0");

  EXPECT_TRUE(form.chooseFoam("Grey"));
  EXPECT_EQ(rig.config.foams.currentFoam, "Grey");
  EXPECT_EQ(form.text(F::CutSpeed), "6.5");
  form.setChecked(F::BlockCentred, false);
  EXPECT_TRUE(form.setText(F::LeftAxisOffset, "123"));
  ASSERT_TRUE(form.ok());
  const Panel& p = rig.panel();
  EXPECT_EQ(std::tuple(p.offsetX0, p.blockCentredZ, rig.session.blockCentred, p.rootAxisOffset,
                       rig.doc.modified),
            std::tuple(15, false, false, 123, true));
  EXPECT_EQ(std::tuple(rig.values.blockLength, rig.config.foams.cutSpeed,
                       form.params().leftAxisOffset, form.params().taper),
            std::tuple(600.0, 6.5, 123.0, -30.0));
}

TEST(BlockShaping, RunsConfirmedOnTheMachineAndEndsAtTheLastTarget) {
  Rig rig;
  rig.prompt.queueAnswer(Answer::Ok);
  const BlockShapingParams p{20.0, 200.0, 150.0, 30.0, 500.0, 250.0, 70.0};
  ASSERT_TRUE(RunBlockShaping(rig.job, p));
  EXPECT_EQ(rig.prompt.callsOf(ScriptedPrompt::Kind::OkCancel).size(), 1u);
  EXPECT_EQ(rig.sound.played.size(), 1u);
  // Back at (0, 0), having been out to the front faces.
  EXPECT_EQ(rig.allSteps(), test::Steps{});
  EXPECT_GT(rig.machine->snapshot().entriesOutput, 2u * 235u * 48u);
}

TEST(FoamCut, GeometryOfVerticalInclinedAndHorizontalCuts) {
  const FoamCutGeometry inclined = ComputeFoamCutGeometry(false, 60.0, 45.0, 300, 25.0);
  // The angle is converted with 0.017453292519444445, 4.9885e-13 below pi/180:
  // at 45 degrees tan' = 2, so dx falls short of 60 by 60 x 2 x 45 x 4.9885e-13.
  EXPECT_NEAR(60.0 - inclined.dx, 60.0 * 2.0 * 45.0 * 4.9885e-13, 1e-12);
  // The offset is for horizontal cuts only.
  EXPECT_EQ(std::tuple(inclined.dy, inclined.y0), std::tuple(60.0, 0.0));
  const FoamCutGeometry back = ComputeFoamCutGeometry(false, 100.0, -30.0, 0, 0.0);
  EXPECT_NEAR(back.dx, -100.0 / std::sqrt(3.0), 1e-8);
  const FoamCutGeometry horizontal = ComputeFoamCutGeometry(true, 60.0, 45.0, 300, 25.0);
  EXPECT_EQ(std::tuple(horizontal.dx, horizontal.dy, horizontal.y0), std::tuple(300.0, 0.0, 25.0));
}

TEST(FoamCutForm, FieldsFollowTheCutKindAndDoneRemembersTheRaiseChoice) {
  Rig rig;
  using F = FoamCutField;
  FoamCutForm form(rig.doc);
  // The opening values and the boxes in use for each kind of cut are in the
  // dialog's session (tests/data/ui/foam-cut-session.txt).
  EXPECT_FALSE(form.setText(F::CutWidth, "10"));
  form.setText(F::Alpha, "89.5");
  EXPECT_FALSE(form.validate());
  EXPECT_EQ(rig.prompt.messages().back(), "Please enter a number between -89 and 89.");
  EXPECT_EQ(form.focus(), F::Alpha);

  form.setChecked(F::Horizontal, true);  // the bad angle no longer matters
  form.setText(F::CutWidth, "12.5");
  EXPECT_FALSE(form.validate());
  EXPECT_EQ(rig.prompt.messages().back(), "Please enter an integer.");
  form.setText(F::CutWidth, "250");
  form.setText(F::OffsetY, "30");
  ASSERT_TRUE(form.validate());
  EXPECT_EQ(std::tuple(form.geometry().dx, form.geometry().y0), std::tuple(250.0, 30.0));

  form.setChecked(F::RaiseAtMaxSpeed, false);
  form.setText(F::CutSpeed, "5");
  ASSERT_TRUE(form.done());
  EXPECT_EQ(std::tuple(rig.config.table.ArmVMax, rig.config.table.tableModified,
                       rig.config.foams.cutSpeed),
            std::tuple(0, false, 5.0));
}

TEST(FoamCutForm, TwoActionsRaiseThenCutOnTheMachineWithoutConfirmation) {
  Rig rig;
  using F = FoamCutField;
  FoamCutForm form(rig.doc);
  form.setText(F::HeightOfCut, "60");
  form.setText(F::Alpha, "45");
  EXPECT_EQ(form.nextFlags(), 0x17);
  ASSERT_TRUE(form.pressAction(rig.job));

  // The wire stands where the raise's last target says (60 mm up, 60 mm on
  // in X, less than a step of rounding), the interface is started again.
  const double top = form.geometry().dx;
  EXPECT_LE(std::abs(rig.steps(Axis::XG) / 48.0 - top), 1.0 / 48.0);
  const std::int64_t x = rig.steps(Axis::XG);
  EXPECT_EQ(rig.allSteps(), (test::Steps{x, 60 * 48, x, 60 * 48}));
  EXPECT_TRUE(rig.machine->isStarted());
  // The captions and the boxes held while the wire is up are in the dialog's
  // session (tests/data/ui/foam-cut-session.txt).
  EXPECT_EQ(std::tuple(form.raised(), form.nextFlags()), std::tuple(true, 0x15));
  EXPECT_FALSE(form.chooseFoam("Grey"));
  EXPECT_FALSE(form.done());  // not while the wire is up

  ASSERT_TRUE(form.pressAction(rig.job));
  EXPECT_EQ(rig.allSteps(), test::Steps{});
  EXPECT_FALSE(form.raised());
  for (const auto& call : rig.prompt.calls()) EXPECT_NE(call.kind, ScriptedPrompt::Kind::OkCancel);

  // A run that fails (no interface: the heat check finds no heat and is
  // aborted) leaves the wire down and makes the next run a first one again.
  rig.driver.CloseDriver();
  EXPECT_FALSE(form.pressAction(rig.job));
  EXPECT_EQ(std::tuple(form.raised(), form.nextFlags()), std::tuple(false, 0x17));
}

}  // namespace
}  // namespace orva
