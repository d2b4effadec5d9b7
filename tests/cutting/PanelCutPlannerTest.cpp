#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "cutting/PanelCutPlanner.h"
#include "geometry/Naca.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/PointChecks.h"
#include "support/TestFiles.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

// A program context around the simulated machine, with a project whose
// current panel is a small wing cut at 4 mm/s with a 0.4 mm kerf.
struct Rig : test::ProjectRig {
  Rig() {
    TableConfig& t = config.table;
    t.Entraxe = 1000;
    t.AxesX = 1000;
    t.AxesY = 500;
    t.Chauffe = 2.0;
    fastMotors();  // 41.7 mm/s per axis
    // Kerf law: half of 0.8 mm at 4 mm/s, half of 1.5 mm at 2 mm/s.
    FoamType blue = foam("Blue", 4.0, 40);
    blue.kerfAtMaxSpeed = 0.8;
    blue.kerfAtHalfSpeed = 1.5;
    useFoams({blue});
    UseSmallWing();
  }

  // Seven points per surface at a chord of 10 mm: no segment is 2 mm long,
  // so straight resampling adds no point. Upper surface ends with the segment
  // (0.82, 0.02)-(1, 0), lower with (0.82, -0.03)-(1, 0).
  static Profile SmallProfile() {
    Profile p;
    EXPECT_TRUE(p.BuildFromPoints({{1.0, 0.0},
                                   {0.82, 0.02},
                                   {0.64, 0.04},
                                   {0.46, 0.05},
                                   {0.28, 0.05},
                                   {0.1, 0.04},
                                   {0.0, 0.0},
                                   {0.1, -0.03},
                                   {0.28, -0.04},
                                   {0.46, -0.04},
                                   {0.64, -0.03},
                                   {0.82, -0.03},
                                   {1.0, 0.0}}));
    return p;
  }

  // Chord 10, basic height 20, margins 5; span 300, root 100 mm from its
  // tower, X0 20: XLE = 20 + 5 + 10 = 35, rear face at 20.
  void UseSmallWing() {
    Panel& p = panel();
    p.root.profile = SmallProfile();
    p.root.params = SectionParams{};
    p.root.params.chord = 10.0;
    p.root.params.basicHeight = 20.0;
    p.root.params.leMargin = 5.0;
    p.root.params.teMargin = 5.0;
    p.tip = p.root;
    p.differentRootTip = false;
    p.span = 300.0;
    p.foamThickness = 40.0;
    p.offsetX0 = 20;
    p.rootAxisOffset = 100;
    p.teMode = TeHorizontal;
    p.leMode = LeHorizontal;
    doc.splines = false;
    doc.cutChoices = PanelCutChoices{};
    doc.cutChoices.kerfCompensationA = doc.cutChoices.kerfCompensationB = 0;
    doc.cutChoices.referenceLowerSurface = 0;
    doc.cutChoices.clearance = 60.0;
    p.Rebuild(doc.splines, false);
  }

  // A different tip of the same shape: both ends rebuilt from their profile.
  void DifferentTip(double tipChord, double sweep) {
    panel().differentRootTip = true;
    panel().tip.params.chord = tipChord;
    panel().sweep = sweep;
    panel().Rebuild(doc.splines, false);
  }

  PanelCutResult Plan() { return PanelCutPlanner(doc, env).Plan(); }

  // A survey run of the current panel: the error it ends with.
  std::string Survey(bool messages, double& speed) {
    planner.BeginSpeedSurvey(messages);
    PanelCutPlanner(doc, env).Run(job);
    std::string label, error;
    planner.EndSpeedSurvey(messages, speed, label, error);
    return error;
  }
};

std::vector<std::string> Golden(const std::string& name) {
  return test::lines(test::readFile(test::testDataDir() / "cutting" / name));
}

std::string Text(Msg id) { return std::string(messageText(id)); }

// Where the wire of a planned move crosses the root and the tip section
// planes: the tower targets (relative to the machine zero) joined by a
// straight wire, cut at the planes' distances from the left tower.
struct Crossing {
  Point2D root;
  Point2D tip;
};
Crossing FaceCrossings(const CutMove& m, const PanelCutResult& r, const TableConfig& t) {
  const double e = t.Entraxe;
  const double xg = m.XG - t.ZeroX;
  const double xd = m.XD - t.ZeroX;
  const double yg = m.YG - t.ZeroY;
  const double yd = m.YD - t.ZeroY;
  const double face1 = t.TableInv ? e - r.leftDistance - r.span : r.leftDistance;
  const double face2 = face1 + r.span;
  const double zRoot = r.swapped ? face2 : face1;
  const double zTip = r.swapped ? face1 : face2;
  auto at = [&](double z) { return Point2D{xg + (xd - xg) * z / e, yg + (yd - yg) * z / e}; };
  return {at(zRoot), at(zTip)};
}

// ---------------------------------------------------------------------------
// Labels in cut order

TEST(PanelCutLabels, EachTrimmingModeEmitsItsSequence) {
  const std::vector<std::pair<int, std::string>> modes{{0, "labels-no-trimming.txt"},
                                                       {1, "labels-before-cutting.txt"},
                                                       {2, "labels-while-cutting.txt"},
                                                       {3, "labels-after-cutting.txt"},
                                                       {4, "labels-trimming-only.txt"}};
  for (const auto& [mode, file] : modes) {
    Rig rig;
    rig.doc.cutChoices.trimmingMode = mode;
    const PanelCutResult r = rig.Plan();
    ASSERT_TRUE(r.ok()) << file;
    EXPECT_EQ(test::labelsOf(r.moves), Golden(file)) << file;
    EXPECT_TRUE(rig.prompt.calls().empty()) << file;  // clearance 60 above the 40 mm block
  }
}

// ---------------------------------------------------------------------------
// Plans as reviewed: placement, kerfs, outlines and every move

// A plan as text: placement, kerfs, outline ends, and per move its label,
// duration and the wire's crossings of the root and tip planes.
std::string DumpPlan(const PanelCutResult& r, const TableConfig& t) {
  using test::dumpPoint;
  using test::mm;
  std::string text = "swapped " + std::to_string(r.swapped) + " left " + mm(r.leftDistance) +
                     " span " + mm(r.span) + " xle " + mm(r.xleRoot) + " " + mm(r.xleTip) +
                     " chords " + mm(r.rootChord) + " " + mm(r.tipChord) + " kerfs " +
                     mm(r.rootKerf) + " " + mm(r.tipKerf) + "\n";
  const auto ends = [](const std::string& name, const PointList& l) {
    return l.empty() ? name + " 0"
                     : name + " " + std::to_string(l.size()) + " " + test::dumpPoint(l.front()) +
                           " .. " + test::dumpPoint(l.back());
  };
  const CutOutlines& o = r.outlines;
  text += ends("root1", o.root1) + " | " + ends("root2", o.root2) + "\n" + ends("tip1", o.tip1) +
          " | " + ends("tip2", o.tip2) + "\n";
  for (const CutMove& m : r.moves) {
    const Crossing c = FaceCrossings(m, r, t);
    text += m.label + " | " + mm(m.duration) + " s | root " + dumpPoint(c.root) + " | tip " +
            dumpPoint(c.tip) + "\n";
  }
  return text;
}

// Each variant of the small wing planned (swap rule and left distance, a
// swept tip setting the leading edge, margins, X cut, kerf, intermediate
// sections, closed outlines, the lower-surface lift), compared with
// tests/data/cutting/panel-plans.txt.
TEST(PanelCutPlans, EveryVariantMatchesTheReviewedPlan) {
  using Edit = std::function<void(Rig&)>;
  const Edit tip = [](Rig& r) { r.DifferentTip(6.0, 2.0); };
  const Edit swept = [](Rig& r) { r.panel().offsetX0 = 100, r.DifferentTip(10.0, 30.0); };
  const Edit left = [](Rig& r) { r.doc.cutChoices.wingSide = 1; };
  const Edit reverse = [](Rig& r) { r.config.table.TableInv = 1; };
  const Edit whileCutting = [](Rig& r) { r.doc.cutChoices.trimmingMode = 2; };
  const Edit xCut = [](Rig& r) { r.panel().leMode = LeXCut; };
  const Edit noLeMargin = [](Rig& r) {
    r.panel().root.params.leMargin = r.panel().tip.params.leMargin = 0.0;
  };
  const Edit negativeLeMargin = [](Rig& r) {
    r.panel().root.params.leMargin = r.panel().tip.params.leMargin = -1.0;
  };
  const Edit skin = [](Rig& r) {
    r.panel().root.params.leMargin = r.panel().tip.params.leMargin = -0.1;
    r.panel().root.params.skin = r.panel().tip.params.skin = 0.2;
  };
  const Edit teMargin = [](Rig& r) {
    r.panel().root.params.teMargin = r.panel().tip.params.teMargin = -3.0;
  };
  const Edit noTeMargin = [](Rig& r) {
    r.panel().root.params.teMargin = r.panel().tip.params.teMargin = 0.0;
  };
  const Edit kerf = [](Rig& r) { r.doc.cutChoices.kerfCompensationA = 1; };
  const Edit atZ100 = [](Rig& r) {
    r.panel().sectionCutEnabled = true, r.panel().sectionCutZ = 100;
  };
  const Edit fromTipAtZ150 = [](Rig& r) {
    r.panel().sectionCutEnabled = true, r.panel().sectionCutZ = 150;
    r.doc.cutChoices.sectionReference = 1;
  };
  const Edit outline = [](Rig& r) { r.panel().wingPanel = false; };
  const Edit bottomFirst = [](Rig& r) { r.doc.cutChoices.cutOrder = 0; };
  const Edit lowerReference = [](Rig& r) { r.doc.cutChoices.referenceLowerSurface = 1; };
  const std::pair<std::string, std::vector<Edit>> variants[] = {
      {"right wing", {tip}},
      {"left wing", {tip, left}},
      {"right wing, reverse table", {tip, reverse}},
      {"left wing, reverse table", {tip, reverse, left}},
      {"long swept tip", {swept}},
      {"negative leading-edge margin with skin, while cutting", {skin, whileCutting}},
      {"X cut while cutting", {xCut, whileCutting}},
      {"X cut while cutting, no leading-edge margin", {xCut, noLeMargin, whileCutting}},
      {"negative leading-edge margin: no leading-edge cut", {negativeLeMargin}},
      {"negative trailing-edge margin, while cutting", {teMargin, whileCutting}},
      {"no trailing-edge margin, kerf, while cutting", {kerf, whileCutting, noTeMargin}},
      {"intermediate section from the root, right wing", {tip, atZ100}},
      {"intermediate section from the root, left wing", {tip, atZ100, left}},
      {"intermediate section from the tip, long swept tip", {swept, fromTipAtZ150}},
      {"closed outline, top first", {outline}},
      {"closed outline, bottom first", {outline, bottomFirst}},
      {"lower-surface reference", {lowerReference}},
  };
  std::string dump;
  for (const auto& [title, edits] : variants) {
    Rig rig;
    for (const Edit& edit : edits) edit(rig);
    const PanelCutResult r = rig.Plan();
    ASSERT_TRUE(r.ok()) << title << ": " << rig.planner.lastError();
    dump += test::section(title, DumpPlan(r, rig.config.table));
    // The outline as cut, in chord fractions, is the built one when only the
    // lift applies.
    if (title == "lower-surface reference") {
      ASSERT_TRUE(r.cutRoot.has_value());
      test::expectPointsNear(r.cutRoot->cutUpper, rig.panel().root.cutUpper);
    }
  }
  test::expectGolden("cutting/panel-plans.txt", dump);
}

// ---------------------------------------------------------------------------
// Warnings and refusals

// A plan's status, move count and message, then every question and message
// shown (kind, text) and the step requests that reached the machine.
std::string DumpRefusal(Rig& rig, const PanelCutResult& r) {
  static const char* const statuses[] = {"ok",          "cancelled",    "refused",
                                         "plan failed", "heat refused", "execution failed"};
  std::string text = std::string(statuses[static_cast<int>(r.status)]) + " moves " +
                     std::to_string(r.moves.size()) + " \"" + r.message + "\"\n";
  for (const ScriptedPrompt::Call& c : rig.prompt.calls()) {
    text += std::string(c.kind == ScriptedPrompt::Kind::OkCancel ? "  ask \"" : "  message \"") +
            c.text + "\"\n";
  }
  rig.prompt.clear();
  return text + "  requests " + std::to_string(rig.machine->counters().stepsRequests) + "\n";
}

// The clearance warning (before and after cutting, when the wire would not
// clear the 40 mm block; no answer queued is Cancel), intermediate sections
// outside the panel, zero chord, span or speed, blocks beyond the towers and a
// refused heat, as reviewed in tests/data/cutting/panel-cut-refusals.txt.
TEST(PanelCutRefusals, WarningsAndRefusalsMatchTheReviewedOutcomes) {
  std::string dump;
  const auto plan = [&dump](Rig& rig, const std::string& title) {
    dump += test::section(title, DumpRefusal(rig, rig.Plan()));
  };
  for (int mode : {0, 1, 2, 3, 4}) {
    Rig rig;
    rig.doc.cutChoices.trimmingMode = mode;
    const std::string m = "mode " + std::to_string(mode);
    rig.doc.cutChoices.clearance = 10.0;
    plan(rig, m + ", clearance 10");
    if (mode != 1 && mode != 3) continue;
    rig.doc.cutChoices.clearance = 40.0;
    plan(rig, m + ", clearance 40 cancelled");
    rig.prompt.queueAnswer(Answer::Ok);
    plan(rig, m + ", clearance 40 confirmed");
    rig.doc.cutChoices.clearance = 40.5;
    plan(rig, m + ", clearance 40.5");
  }
  for (int ref : {0, 1}) {
    for (int z : {0, 300, 400}) {
      Rig rig;
      rig.panel().sectionCutEnabled = true;
      rig.panel().sectionCutZ = z;
      rig.doc.cutChoices.sectionReference = ref;
      plan(rig, "section " + std::to_string(z) + (ref ? " from the tip" : " from the root"));
    }
  }
  {
    Rig rig;
    rig.panel().tip.params.chord = 0.0;
    plan(rig, "zero tip chord");
  }
  {
    Rig rig;
    rig.panel().span = 0.0;
    plan(rig, "zero span");
  }
  {
    Rig rig;
    rig.config.foams.cutSpeed = 0.0;
    plan(rig, "zero speed");
    // A survey looks for the speed itself: no refusal there.
    double speed = 0.0;
    EXPECT_EQ(rig.Survey(false, speed), "");
    EXPECT_GT(speed, 0.0);
  }
  {
    // Left wing, root 800 mm from the right tower: the 300 mm block would end
    // 1100 mm from it, 100 mm beyond the left tower; the same on a reverse table.
    Rig rig;
    rig.panel().rootAxisOffset = 800;
    plan(rig, "block beyond the right tower");
    rig.doc.cutChoices.wingSide = 1;
    plan(rig, "left wing beyond the left tower");
    rig.config.table.TableInv = 1;
    plan(rig, "left wing beyond the left tower, reverse table");
  }
  {
    Rig rig;
    FoamType hot = rig.config.foams.records["Blue"];
    hot.heatMode = ComputedHeat;
    hot.minSpeed = 1.0;
    hot.minSpeedHeat = 45;
    hot.maxSpeed = 3.5;
    hot.maxSpeedHeat = 80;
    rig.config.foams.records["Blue"] = hot;
    rig.config.foams.cutSpeed = 5.0;  // needs 101 %
    const MovePlanner::Position start = rig.planner.towers();
    PanelCutPlanner planner(rig.doc, rig.env);
    EXPECT_FALSE(planner.Run(rig.job));
    dump += test::section("heat refused on a run", DumpRefusal(rig, planner.lastResult()));
    const MovePlanner::Position now = rig.planner.towers();
    EXPECT_EQ(std::tuple(now.XG, now.YD), std::tuple(start.XG, start.YD));
  }
  test::expectGolden("cutting/panel-cut-refusals.txt", dump);
}

// ---------------------------------------------------------------------------
// Panels that are not wings, refusals

TEST(PanelCutClosedOutline, DifferentPointCountsAreRefusedWhoeverStartsTheCut) {
  Rig rig;
  Panel& panel = rig.panel();
  panel.wingPanel = false;
  panel.differentRootTip = true;
  auto naca = MakeNaca4("0012", 20);
  ASSERT_TRUE(naca.has_value());
  panel.tip.profile = *naca;
  panel.Rebuild(false, false);
  EXPECT_TRUE(PanelOutlineCountsDiffer(panel));
  Panel same = panel;
  same.tip.profile = same.root.profile;
  EXPECT_FALSE(PanelOutlineCountsDiffer(same));

  const PanelCutResult r = rig.Plan();
  EXPECT_EQ(std::tie(r.status, r.message),
            std::tuple(PanelCutStatus::Refused, Text(Msg::DifferingNumberOfPoints)));
  EXPECT_TRUE(r.moves.empty());
  EXPECT_EQ(rig.prompt.messages(), std::vector<std::string>{Text(Msg::DifferingNumberOfPoints)});

  // The dialog's estimate gets it as the survey's error.
  rig.prompt.clear();
  double speed = 4.0;
  EXPECT_EQ(rig.Survey(true, speed), Text(Msg::DifferingNumberOfPoints));
  EXPECT_TRUE(rig.prompt.calls().empty());
  EXPECT_EQ(rig.machine->counters().stepsRequests, 0u);
}

// ---------------------------------------------------------------------------
// The project is not changed; the outline as cut

TEST(PanelCutProject, NeitherACutNorASurveyChangesThePanelsSections) {
  Rig rig;
  rig.DifferentTip(6.0, 2.0);
  rig.panel().root.params.skin = 1.0;
  rig.doc.cutChoices.kerfCompensationA = 1;
  rig.doc.cutChoices.referenceLowerSurface = 1;
  const Panel before = rig.panel();
  const PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  double speed = 0.0;
  EXPECT_EQ(rig.Survey(false, speed), "");
  const Panel& after = rig.panel();
  EXPECT_EQ(std::tie(after.root.cutUpper, after.root.cutLower, after.tip.cutUpper, after.root.upper,
                     after.spars),
            std::tie(before.root.cutUpper, before.root.cutLower, before.tip.cutUpper,
                     before.root.upper, before.spars));
  EXPECT_FALSE(rig.doc.modified);
  // The outline as cut lies outside the built one by kerf - skin on the upper surface.
  ASSERT_TRUE(r.cutRoot.has_value());
  EXPECT_NE(r.cutRoot->cutUpper, before.root.cutUpper);
}

// ---------------------------------------------------------------------------
// Execution

// A cut run on the machine is checked through the dialog (PanelCutFormTest);
// a survey goes through the same run without moving or asking.
TEST(PanelCutRun, SurveyTotalsWithoutMovingOrAsking) {
  Rig rig;
  rig.doc.cutChoices.trimmingMode = 1;
  rig.doc.cutChoices.clearance = 20.0;  // below the block: a real cut would ask
  double speed = 0.0;
  EXPECT_EQ(rig.Survey(false, speed), "");
  EXPECT_TRUE(speed > 0.0 && speed <= 100.0) << speed;
  EXPECT_TRUE(rig.prompt.calls().empty());
  EXPECT_EQ(rig.machine->counters().stepsRequests, 0u);
}

}  // namespace
}  // namespace orva
