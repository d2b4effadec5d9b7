#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutForm.h"
#include "model/FormReplay.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

using F = PanelCutField;

// A program context around the simulated machine: the built-in table drive
// (48 steps/mm on every axis, 5 ms between two steps: 1000 / (48 x 5) =
// 4.1667 mm/s along one axis) on a 1000 mm table, four foams, and a project
// whose 500 mm panel is placed 250 mm from the root tower.
struct Rig : test::ProjectRig {
  Rig() {
    config.table.Entraxe = 1000;
    // heat 30 % at 1 mm/s to 70 % at 4 mm/s
    FoamType expanded = foam("Expanded", 4.0, 70, ComputedHeat);
    expanded.minSpeed = 1.0;
    expanded.minSpeedHeat = 30;
    FoamType hot = foam("Hot", 2.0, 90, ComputedHeat);  // 50 % at 1 mm/s to 90 % at 2 mm/s
    hot.minSpeed = 1.0;
    hot.minSpeedHeat = 50;
    useFoams({foam("Depron", 2.0, 50), expanded, hot, foam("Fast", 8.0, 40)});
    config.foams.currentHeat = 0;
    doc.NewProject();  // a panel for this table
  }

  // A closed diamond outline (not a wing panel) whose every point lies on
  // whole millimetres, cut without kerf: every move is a whole number of
  // steps. Chord 96 mm, basic height 25 mm, margins 0, X0 20 mm: the outline
  // runs through X 20, 68, 116 and Y 13, 25, 37.
  void makeDiamondPanel() {
    Panel& p = doc.current();
    Profile diamond;
    ASSERT_TRUE(diamond.BuildFromPoints({{1, 0}, {0.5, 0.125}, {0, 0}, {0.5, -0.125}, {1, 0}}));
    for (Section* s : {&p.root, &p.tip}) {
      s->profile = diamond;
      s->params.chord = 96.0;
      s->params.leMargin = 0.0;
      s->params.teMargin = 0.0;
      s->params.basicHeight = 25.0;
    }
    p.wingPanel = false;
    p.sweep = 0.0;
    p.offsetX0 = 20;
    p.Rebuild(doc.splines, true);
    doc.cutChoices.kerfCompensationA = 0;
    doc.cutChoices.kerfCompensationB = 0;
    doc.cutChoices.referenceLowerSurface = 0;
  }

  std::unique_ptr<PanelCutForm> open() { return std::make_unique<PanelCutForm>(doc, env); }
};

// --- Block position ----------------------------------------------------------

// The block's place as the dialog edits it (length, side offset, root axis
// offset, section position) for an uncentred, a centred and a table-long
// panel, as reviewed in tests/data/cutting/panel-cut-position.txt.
TEST(PanelCutFormPosition, TheBlockFollowsTheSideTheCentringAndTheSection) {
  const std::function<std::string(const PanelCutForm&)> place = [](const PanelCutForm& f) {
    return "length " + test::mm(f.cutLength()) + " side " + test::mm(f.sideOffset()) + " root " +
           test::mm(f.rootAxisOffset()) + " z " + std::to_string(f.positionZ());
  };
  std::string dump;
  {
    Rig rig;
    rig.panel().span = 600.0;
    rig.panel().blockCentredZ = false;
    rig.panel().rootAxisOffset = 150;
    auto form = rig.open();
    dump += test::section(
        "not centred",
        test::replayEdits(
            *form,
            {{F::WingSide, 1}, {F::RootAxisOffset, "100.5"}, {F::WingSide, 0}, {F::WingSide, 2}},
            place));
  }
  {
    Rig rig;
    rig.panel().span = 600.0;
    rig.panel().rootAxisOffset = 7;
    auto form = rig.open();
    dump += test::section("centred", test::replayEdits(*form,
                                                       {{F::RootAxisOffset, "10"},
                                                        {F::PositionZ, "100"},
                                                        {F::IntermediateCut, true},
                                                        {F::PositionZ, "250"},
                                                        {F::SectionReference, 1},
                                                        {F::WingSide, 1},
                                                        {F::BlockCentred, false},
                                                        {F::RootAxisOffset, "100"}},
                                                       place));
  }
  {
    Rig rig;
    rig.panel().span = 1000.0;
    auto form = rig.open();
    dump += test::section("the whole table", test::replayEdits(*form,
                                                               {{F::IntermediateCut, true},
                                                                {F::PositionZ, "995"},
                                                                {F::PositionZ, "990"},
                                                                {F::SectionReference, 1}},
                                                               place));
  }
  test::expectGolden("cutting/panel-cut-position.txt", dump);
}

TEST(PanelCutFormPosition, ReverseLayoutKeepsTheDrawingAndMeasuresFromTheOtherEnd) {
  for (int inv : {0, 1}) {
    Rig rig;
    rig.config.table.TableInv = inv;
    rig.panel().span = 600.0;
    rig.panel().blockCentredZ = false;
    rig.panel().rootAxisOffset = 150;
    rig.doc.cutChoices.wingSide = 1;
    auto form = rig.open();
    // The rule of the side offset does not depend on the layout.
    EXPECT_DOUBLE_EQ(form->sideOffset(), 250.0);
    const FrontPreview front = form->frontPreview();
    EXPECT_EQ(front.title, inv ? "Back View" : "Front View");
    EXPECT_EQ(front.block, (PreviewRect{250.0, 0.0, 850.0, 50.0}));
    // Left wing: the root face is the one nearer the right tower.
    EXPECT_DOUBLE_EQ(front.rootSection.a.x, 850.0);
    EXPECT_DOUBLE_EQ(front.tipSection.a.x, 250.0);

    // A click on the block's left face, 250 mm from the drawing's left tower:
    // the machine's left tower, or its right tower with the reverse layout.
    const TopPreview top = form->topPreview();
    const PreviewMapping m = FitPreview(top.extent, 1080.0, 2080.0);
    ASSERT_TRUE(m.valid());
    const Point2D at = m.toDevice({250.0, 100.0});
    auto left = form->clickTopView(at, false, m);
    auto right = form->clickTopView(at, true, m);
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->text, inv ? "750 100" : "250 100");
    EXPECT_EQ(right->text, inv ? "250 100" : "750 100");
  }
}

TEST(PanelCutFormPosition, PanelLongerThanTheTableIsCutInTwoParts) {
  Rig rig;
  rig.panel().span = 1200.0;
  auto form = rig.open();
  ASSERT_EQ(rig.prompt.messages().size(), 1u);
  EXPECT_EQ(rig.prompt.messages()[0],
            "Half-span (1200 mm) greater than table length (1000 mm)\nCut in two panels");
  EXPECT_EQ(std::tuple(form->positionZ(), form->cutLength(), form->rootAxisOffset()),
            std::tuple(600, 600.0, 200.0));
  // The intermediate section stays on.
  EXPECT_FALSE(form->enabled(F::IntermediateCut));
  EXPECT_FALSE(form->setChecked(F::IntermediateCut, false));
  EXPECT_TRUE(form->checked(F::IntermediateCut));
  EXPECT_TRUE(form->enabled(F::PositionZ) && form->enabled(F::SectionReference));

  // A position already chosen is kept; a part longer than the table is
  // limited to E - 10.
  Rig kept;
  kept.panel().span = 2400.0;
  kept.panel().sectionCutZ = 1500;
  auto second = kept.open();
  EXPECT_EQ(std::tuple(second->positionZ(), second->cutLength()), std::tuple(1500, 990.0));
  ASSERT_TRUE(second->setCurrentIndex(F::SectionReference, 1));
  EXPECT_DOUBLE_EQ(second->cutLength(), 900.0);
}

TEST(PanelCutFormPosition, ClearanceDefault) {
  struct Case {
    double clearance;
    double thickness;
    int expected;
  };
  for (const Case c : {Case{50.0, 40.0, 50}, Case{9999.7, 40.0, 9999}, Case{0.0, 40.0, 60},
                       Case{10000.0, 40.0, 60}, Case{-5.0, 42.6, 62}, Case{0.5, 40.0, 0}}) {
    Rig rig;
    rig.doc.cutChoices.clearance = c.clearance;
    rig.panel().foamThickness = c.thickness;
    EXPECT_EQ(PanelCutForm::DefaultClearance(rig.doc), c.expected) << c.clearance;
    EXPECT_EQ(rig.open()->text(F::Clearance), std::to_string(c.expected)) << c.clearance;
  }
}

// --- Estimate -----------------------------------------------------------------

// The dialog's boxes and its OK button.
std::string formState(const PanelCutForm& form) {
  return test::dumpForm(form) + "  ok \"" + std::string(form.okCaption()) + "\"" +
         (form.okEnabled() ? "" : " disabled") + "\n";
}

// The estimates of the diamond panel for each foam, a typed speed and a
// missing foam, as reviewed in tests/data/cutting/panel-cut-estimates.txt.
// "Expanded": 1200 steps x 5 ms for 25 mm gives 4.16 mm/s, heat
// (70 - 30) / 3 x (4.16 - 1) + 30 = 72; "Hot" is held by its heat: 2.24.
TEST(PanelCutFormEstimate, EstimatesShowTheSpeedTheHeatAndWhatLimitsTheCut) {
  Rig rig;
  rig.makeDiamondPanel();
  auto form = rig.open();
  std::string dump = test::section("Depron", formState(*form));
  ASSERT_TRUE(form->chooseFoam("Expanded"));
  dump += test::section("Expanded", formState(*form));
  EXPECT_DOUBLE_EQ(rig.config.foams.cutSpeed, 4.16);
  EXPECT_EQ(rig.config.foams.currentHeat, 72);
  ASSERT_TRUE(form->chooseFoam("Hot"));
  dump += test::section("Hot", formState(*form));

  ASSERT_TRUE(form->chooseFoam("Fast"));
  dump += test::section("Fast", formState(*form));
  EXPECT_FALSE(form->ok());
  ASSERT_TRUE(form->setCurrentIndex(F::SpeedChoice, 1));
  ASSERT_TRUE(form->setText(F::CutSpeed, "3"));
  dump += test::section("Fast at a typed 3 mm/s", formState(*form));
  EXPECT_DOUBLE_EQ(rig.config.foams.cutSpeed, 3.0);
  ASSERT_TRUE(form->setCurrentIndex(F::SpeedChoice, 0));
  dump += test::section("Fast measured again", formState(*form));
  // No message box was shown by the estimates.
  EXPECT_TRUE(rig.prompt.messages().empty());

  Rig missing;
  missing.config.foams.currentFoam = "Gone";
  missing.config.foams.cutSpeed = 3.0;
  auto gone = missing.open();
  dump += test::section("missing foam", formState(*gone));
  EXPECT_DOUBLE_EQ(missing.config.foams.cutSpeed, 0.0);
  EXPECT_FALSE(gone->ok());
  EXPECT_FALSE(gone->chooseFoam("Gone"));
  ASSERT_TRUE(gone->setCurrentIndex(F::FoamType, 0));
  EXPECT_EQ(missing.config.foams.currentFoam, "Depron");
  dump += test::section("first foam chosen", formState(*gone));
  test::expectGolden("cutting/panel-cut-estimates.txt", dump);
}

TEST(PanelCutSurvey, ReportsTheDialogsSpeedAndTheListWithoutSendingHeat) {
  Rig rig;
  rig.makeDiamondPanel();
  FoamDatabase& foams = rig.config.foams;
  foams.SelectFoam("Expanded");
  foams.cutSpeed = 1.5;
  foams.currentHeat = 12;
  const std::uint64_t sends = rig.machine->counters().heatSends;
  const PanelCutSurvey found = SurveyPanelCut(rig.doc, rig.env);
  EXPECT_TRUE(found.ok());
  // The same figures as the dialog's estimate, at the surveyed maximum.
  EXPECT_EQ(std::tie(found.maxSpeed, found.cutSpeed, found.estimate.label, found.heat),
            std::tuple(4.16, 4.16, "Move to block start", 72));
  ASSERT_TRUE(found.moves && found.totalTime);
  EXPECT_TRUE(*found.moves > 4u && *found.totalTime > 0.0);
  EXPECT_EQ(std::tuple(rig.machine->counters().heatSends, foams.currentHeat, foams.cutSpeed),
            std::tuple(sends, 12, 1.5));

  // A fixed-heat foam cuts at its measured speed; a speed the motors refuse
  // is an error, and what it prevented is not reported.
  foams.SelectFoam("Depron");
  EXPECT_EQ(SurveyPanelCut(rig.doc, rig.env).cutSpeed, 2.0);
  const PanelCutSurvey tooFast = SurveyPanelCut(rig.doc, rig.env, 8.0);
  ASSERT_EQ(tooFast.errors.size(), 1u);
  EXPECT_EQ(tooFast.errors[0].rfind("Speed above step motor limit on X left axis", 0), 0u);
  EXPECT_FALSE(tooFast.moves || tooFast.totalTime);
  EXPECT_EQ(rig.machine->counters().heatSends, sends);
}

TEST(PanelCutFormEstimate, TypedSpeedOfComputedFoamSetsTheHeat) {
  Rig rig;
  rig.makeDiamondPanel();
  auto form = rig.open();
  ASSERT_TRUE(form->chooseFoam("Expanded"));
  EXPECT_FALSE(form->setText(F::CutSpeed, "3"));  // read-only with "Maximum"
  ASSERT_TRUE(form->setCurrentIndex(F::SpeedChoice, 1));
  ASSERT_TRUE(form->setText(F::CutSpeed, "3"));
  // 40 / 3 x 2 + 30 = 56.67.
  EXPECT_EQ(std::tuple(form->speed(), form->text(F::HeatDisplay)), std::tuple(3.0, "computed 56%"));
  // 0 and negative speeds are not taken.
  ASSERT_TRUE(form->setText(F::CutSpeed, "0"));
  ASSERT_TRUE(form->setText(F::CutSpeed, "-2"));
  EXPECT_DOUBLE_EQ(rig.config.foams.cutSpeed, 3.0);
  EXPECT_FALSE(form->validate());
  EXPECT_EQ(std::tuple(form->focus(), rig.prompt.messages().back()),
            std::tuple(F::CutSpeed, "Invalid cut speed: -2 mm/s, it must be greater than 0"));
}

TEST(PanelCutFormEstimate, NoSpanNoChordOrNoSpeedIsAnErrorNotACrash) {
  Rig rig;
  FoamType still;
  still.name = "Still";
  still.heatMode = FixedHeat;
  still.maxSpeed = 0.0;
  rig.config.foams.records["Still"] = still;
  auto form = rig.open();
  ASSERT_TRUE(form->chooseFoam("Still"));
  EXPECT_EQ(form->text(F::Messages), "Invalid cut speed: 0 mm/s, it must be greater than 0");
  EXPECT_FALSE(form->okEnabled() || form->okAtMaximumSpeed());

  for (int variant = 0; variant < 2; ++variant) {
    Rig bad;
    if (variant == 0) bad.panel().span = 0.0;
    if (variant == 1) bad.panel().tip.params.chord = 0.0;
    bad.panel().sectionCutEnabled = true;
    bad.panel().sectionCutZ = 100;
    auto f = bad.open();
    EXPECT_EQ(std::tuple(f->okEnabled(), f->okCaption()), std::tuple(false, "Error")) << variant;
    EXPECT_FALSE(f->text(F::Messages).empty());
    EXPECT_TRUE(std::isfinite(f->rootAxisOffset()));
    const TopPreview top = f->topPreview();
    for (const Point2D& q : top.snapPoints) EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y));
  }
}

TEST(PanelCutFormEstimate, EstimateUsesTheDialogValuesAndRestoresEverything) {
  Rig rig;
  Panel& p = rig.panel();
  p.root.params.chord = 180.0;
  p.tip.params.chord = 120.0;
  p.sweep = 25.0;
  p.Rebuild(rig.doc.splines, true);
  rig.doc.cutChoices.clearance = 70.0;
  const Panel before = p;
  const PanelCutChoices choices = rig.doc.cutChoices;
  // The wire stands away from the machine zero.
  rig.planner.SetPlannerPosition(10.0, 5.0, 12.0, 6.0);
  const MovePlanner::Position towers = rig.planner.towers();

  auto form = rig.open();
  ASSERT_TRUE(form->chooseFoam("Expanded"));
  ASSERT_TRUE(form->okEnabled()) << form->text(F::Messages);
  ASSERT_TRUE(form->setCurrentIndex(F::WingSide, 1));
  ASSERT_TRUE(form->setCurrentIndex(F::TrimmingMode, 3));
  ASSERT_TRUE(form->setCurrentIndex(F::CutOrder, 0));
  ASSERT_TRUE(form->setChecked(F::ProfileKerf, false));
  ASSERT_TRUE(form->setText(F::Clearance, "80"));
  ASSERT_TRUE(form->setText(F::OffsetX0, "30"));
  ASSERT_TRUE(form->setChecked(F::IntermediateCut, true));
  ASSERT_TRUE(form->setText(F::PositionZ, "300"));
  ASSERT_TRUE(form->okEnabled()) << form->text(F::Messages);
  // A right wing uncentred at 900 mm: a 300 mm part reaches 1200 mm, beyond
  // the table. Only the dialog's values can give this error (the panel's
  // block is centred).
  ASSERT_TRUE(form->setCurrentIndex(F::WingSide, 0));
  ASSERT_TRUE(form->setChecked(F::BlockCentred, false));
  ASSERT_TRUE(form->setText(F::RootAxisOffset, "900"));
  EXPECT_EQ(form->text(F::Messages), "Right block position greater than XD-XG size: 1200");
  EXPECT_FALSE(form->okEnabled());
  for (int i = 0; i < 3; ++i) {
    form->estimate(false);
    form->estimate(true);
  }

  const Panel& after = rig.panel();
  EXPECT_TRUE(rig.doc.cutChoices == choices);
  const auto placement = [](const Panel& q) {
    return std::tie(q.sectionCutEnabled, q.sectionCutZ, q.blockCentredZ, q.rootAxisOffset,
                    q.offsetX0, q.root.cutUpper, q.tip.cutLower, q.root.params.chord);
  };
  EXPECT_EQ(placement(after), placement(before));
  EXPECT_FALSE(rig.doc.modified);
  // The planner is where the wire is, not where a planned cut would leave it.
  const MovePlanner::Position now = rig.planner.towers();
  EXPECT_EQ(std::tie(now.XG, now.YG, now.XD, now.YD),
            std::tie(towers.XG, towers.YG, towers.XD, towers.YD));
  EXPECT_FALSE(rig.planner.surveying());
  EXPECT_TRUE(rig.planner.messageBoxesOn());
}

// --- Closing -------------------------------------------------------------------

TEST(PanelCutFormClosing, OkStoresEveryValue) {
  Rig rig;
  rig.panel().span = 600.0;
  int redraws = 0;
  rig.doc.subscribe([&redraws](DocChanges) { ++redraws; });
  auto form = rig.open();
  ASSERT_TRUE(form->setCurrentIndex(F::WingSide, 1));
  ASSERT_TRUE(form->setCurrentIndex(F::CutOrder, 0));
  ASSERT_TRUE(form->setChecked(F::ProfileKerf, false));
  ASSERT_TRUE(form->setChecked(F::RefLowerSurface, false));
  ASSERT_TRUE(form->setCurrentIndex(F::TrimmingMode, 2));
  ASSERT_TRUE(form->setText(F::Clearance, " 85 "));
  ASSERT_TRUE(form->setChecked(F::IntermediateCut, true));
  ASSERT_TRUE(form->setText(F::PositionZ, "400"));
  ASSERT_TRUE(form->setCurrentIndex(F::SectionReference, 1));
  ASSERT_TRUE(form->setChecked(F::BlockCentred, false));
  ASSERT_TRUE(form->setText(F::RootAxisOffset, "120.75"));
  ASSERT_TRUE(form->setText(F::OffsetX0, "15"));
  EXPECT_FALSE(form->setChecked(F::StepDetails, true));  // only with "Cut to File"
  ASSERT_TRUE(form->setChecked(F::CutToFile, true));
  ASSERT_TRUE(form->setChecked(F::StepDetails, true));
  ASSERT_TRUE(form->chooseFoam("Fast"));
  ASSERT_TRUE(form->setCurrentIndex(F::SpeedChoice, 1));
  ASSERT_TRUE(form->setText(F::CutSpeed, "3.5"));
  rig.config.foams.SelectFoam("Depron");  // chosen elsewhere meanwhile
  ASSERT_TRUE(form->okEnabled()) << form->text(F::Messages);
  EXPECT_TRUE(form->modified());
  ASSERT_TRUE(form->ok());

  const PanelCutChoices& c = rig.doc.cutChoices;
  EXPECT_EQ(std::tuple(c.wingSide, c.cutOrder, c.kerfCompensationA, c.kerfCompensationB,
                       c.referenceLowerSurface, c.trimmingMode, c.clearance, c.sectionReference),
            std::tuple(1, 0, 0, 0, 0, 2, 85.0, 1));
  const Panel& p = rig.panel();
  EXPECT_EQ(
      std::tuple(p.sectionCutEnabled, p.sectionCutZ, p.blockCentredZ, p.rootAxisOffset, p.offsetX0),
      std::tuple(true, 400, false, 120, 15));
  EXPECT_EQ(
      std::tuple(rig.env.output.cutToFile, rig.env.output.stepDetails, rig.config.foams.currentFoam,
                 rig.config.foams.cutSpeed, rig.doc.modified, redraws),
      std::tuple(true, true, "Fast", 3.5, true, 1));
}

TEST(PanelCutFormClosing, OkChecksTheBoxesInOrderAndStoresNothingOnFailure) {
  Rig rig;
  auto form = rig.open();
  ASSERT_TRUE(form->setText(F::OffsetX0, "1.5"));
  test::expectRefusalsInOrder(*form, rig.prompt,
                              {{F::Clearance, "12x", "Please enter an integer."},
                               {F::Clearance, "12", "Please enter an integer.", F::OffsetX0}});
  EXPECT_EQ(std::tuple(rig.doc.cutChoices.clearance, rig.panel().offsetX0, rig.doc.modified),
            std::tuple(0.0, 20, false));

  // Nothing edited and nothing changed: the project stays unmodified.
  Rig quiet;
  auto untouched = quiet.open();
  ASSERT_TRUE(untouched->ok());
  EXPECT_FALSE(untouched->modified() || quiet.doc.modified);
  // The default clearance is stored even so (the project file does not keep it).
  EXPECT_EQ(quiet.doc.cutChoices.clearance, 70.0);
}

// A typed speed is left for the surveyed maximum of a computed-heat foam, or
// the measured speed of a fixed-heat one.
TEST(PanelCutFormClosing, ConfirmationAtMaximumSpeedTakesTheSurveySpeed) {
  for (const auto& [foam, speed] : {std::pair{"Expanded", 4.16}, std::pair{"Depron", 2.0}}) {
    Rig rig;
    rig.makeDiamondPanel();
    auto form = rig.open();
    ASSERT_TRUE(form->chooseFoam(foam));
    ASSERT_TRUE(form->setCurrentIndex(F::SpeedChoice, 1));
    ASSERT_TRUE(form->setText(F::CutSpeed, "1.5"));
    ASSERT_TRUE(form->okAtMaximumSpeed());
    EXPECT_DOUBLE_EQ(rig.config.foams.cutSpeed, speed) << foam;
  }
}

TEST(PanelCutFormClosing, RunCutCutsThePanelOnTheMachine) {
  Rig rig;
  rig.makeDiamondPanel();
  rig.config.table.Chauffe = 0.1;
  auto form = rig.open();
  ASSERT_TRUE(form->ok());
  rig.prompt.queueAnswer(Answer::Ok);  // "Start cut ?"
  ASSERT_TRUE(form->runCut(rig.job));
  // The wire went round the outline (20 mm out, 96 mm to the leading edge
  // and back) and home again.
  const MachineSnapshot s = rig.machine->snapshot();
  EXPECT_EQ(std::tuple(s[Axis::XG].commandedSteps, s[Axis::YD].commandedSteps), std::tuple(0, 0));
  EXPECT_GE(s.entriesOutput, static_cast<std::uint64_t>((20 + 96 + 96 + 20) * 48));
}

// --- Previews -------------------------------------------------------------------

// Both previews as text: rectangles as left bottom right top, the top
// view's corners in its order, the front view's graduations (long ones
// marked *).
std::string dumpPreviews(const PanelCutForm& form) {
  using test::dumpPoint;
  using test::mm;
  const auto rect = [](const PreviewRect& r) {
    return mm(r.left) + " " + mm(r.bottom) + " " + mm(r.right) + " " + mm(r.top);
  };
  const auto corners = [](const std::array<Point2D, 4>& c) {
    std::string text;
    for (const Point2D& q : c) text += " | " + dumpPoint(q);
    return text + "\n";
  };
  const auto ticks = [](const std::vector<PreviewTick>& list) {
    std::string text;
    for (const PreviewTick& t : list) text += " " + mm(t.position) + (t.major ? "*" : "");
    return text + "\n";
  };
  const TopPreview top = form.topPreview();
  std::string text = top.title + " extent " + rect(top.extent) + "\n  block" + corners(top.block) +
                     "  with margins" + corners(top.blockWithMargins) + "  planform" +
                     corners(top.planform);
  if (top.intermediate) {
    text += "  intermediate " + dumpPoint(top.intermediate->a) + " | " +
            dumpPoint(top.intermediate->b) + "\n";
  }
  const FrontPreview front = form.frontPreview();
  return text + front.title + " table " + rect(front.table) + " block " + rect(front.block) +
         "\n  root " + dumpPoint(front.rootSection.a) + " | " + dumpPoint(front.rootSection.b) +
         "\n  tip " + dumpPoint(front.tipSection.a) + " | " + dumpPoint(front.tipSection.b) +
         "\n  width" + ticks(front.widthTicks) + "  height" + ticks(front.heightTicks);
}

// The previews of a tapered swept panel (span 600, sweep 30, chords 200 and
// 100) centred, as a left wing with an intermediate section from the root,
// and kept from the tip, as reviewed in tests/data/cutting/panel-cut-previews.txt.
TEST(PanelCutFormPreview, TopAndFrontViewsMatchTheReviewedPreviews) {
  Rig rig;
  rig.config.table.AxesY = 120;
  Panel& p = rig.panel();
  p.span = 600.0;
  p.sweep = 30.0;
  p.foamThickness = 60.0;
  p.root.params.chord = 200.0;
  p.root.params.teMargin = 10.0;
  p.root.params.leMargin = 5.0;
  p.tip.params.chord = 100.0;
  p.tip.params.teMargin = 4.0;
  p.tip.params.leMargin = 2.0;
  p.root.params.basicHeight = p.tip.params.basicHeight = 30.0;
  auto form = rig.open();
  std::string dump = test::section("centred right wing", dumpPreviews(*form));
  ASSERT_TRUE(form->setCurrentIndex(F::WingSide, 1));
  ASSERT_TRUE(form->setChecked(F::IntermediateCut, true));
  ASSERT_TRUE(form->setText(F::PositionZ, "150"));
  rig.config.table.MargeBlocX = 5;
  rig.config.table.MargeBlocZ = 10;
  dump += test::section("left wing, section 150 from the root", dumpPreviews(*form));
  ASSERT_TRUE(form->setCurrentIndex(F::SectionReference, 1));
  EXPECT_DOUBLE_EQ(form->cutLength(), 450.0);
  dump += test::section("kept from the tip", dumpPreviews(*form));
  test::expectGolden("cutting/panel-cut-previews.txt", dump);
}

TEST(PanelCutFormPreview, ClicksSnapWithinTwoPixels) {
  // A 1080 x 1080 mm extent in 540 x 740 pixels: 0.5 pixel per mm, centred
  // vertically 100 pixels down.
  const PreviewMapping m = FitPreview({-40.0, -40.0, 1040.0, 1040.0}, 540.0, 740.0);
  ASSERT_TRUE(m.valid());
  EXPECT_DOUBLE_EQ(m.scale, 0.5);
  EXPECT_EQ(m.toDevice({-40.0, 1040.0}), (Point2D{0.0, 100.0}));
  EXPECT_EQ(m.toDevice({0.0, 0.0}), (Point2D{20.0, 620.0}));
  EXPECT_FALSE(FitPreview({0.0, 0.0, 0.0, 10.0}, 100.0, 100.0).valid());
  EXPECT_FALSE(FitPreview({0.0, 0.0, 10.0, 10.0}, 0.0, 100.0).valid());
  EXPECT_FALSE(m.toLogical({1.0, 1.0}) == std::nullopt);

  Rig rig;
  auto form = rig.open();
  // The default panel: block from 250 to 750, root rear at X0 = 20.
  const Point2D corner = m.toDevice({250.0, 20.0});
  auto near = form->clickTopView({corner.x + 1.2, corner.y - 1.5}, false, m);
  ASSERT_TRUE(near);
  EXPECT_TRUE(near->snapped);
  EXPECT_EQ(near->point, (Point2D{250.0, 20.0}));
  EXPECT_EQ(near->text, "250 20");
  // 2.5 pixels away: the click itself, 5 mm off.
  auto far = form->clickTopView({corner.x + 2.5, corner.y}, false, m);
  ASSERT_TRUE(far);
  EXPECT_FALSE(far->snapped);
  EXPECT_EQ(far->text, "255 20");
  EXPECT_FALSE(form->clickTopView({1.0, 1.0}, false, PreviewMapping{}));
}

}  // namespace
}  // namespace orva
