#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "cutting/PanelCutPlanner.h"
#include "geometry/Naca.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"

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

// Index of the nth move with this label.
std::optional<std::size_t> Find(const MoveList& moves, const std::string& label, int nth = 0) {
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (moves[i].label == label && nth-- == 0) return i;
  }
  return std::nullopt;
}

std::string Text(Msg id) { return std::string(messageText(id)); }

using Counts = std::pair<std::size_t, std::size_t>;

// How many moves are labelled as the leading-edge cut and as the block
// shaping at the leading edge.
Counts LeadingEdgeCounts(const PanelCutResult& r) {
  Counts n{0, 0};
  for (const CutMove& m : r.moves) {
    n.first += m.label == Text(Msg::LeadingEdgeCut) ? 1 : 0;
    n.second += m.label == Text(Msg::BlockShapingAtLeadingEdge) ? 1 : 0;
  }
  return n;
}

std::string Indexed(Msg id, std::size_t i) {
  return fillInserts(messageText(id), {std::to_string(i)});
}

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

void ExpectNear(Point2D actual, Point2D expected, double tol, const std::string& what = "") {
  EXPECT_NEAR(actual.x, expected.x, tol) << what;
  EXPECT_NEAR(actual.y, expected.y, tol) << what;
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

TEST(PanelCutLabels, BottomFirstCutsTheLowerSurfaceFirstFromTheTrailingEdge) {
  Rig rig;
  rig.doc.cutChoices.cutOrder = 0;
  const PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(test::labelsOf(r.moves), Golden("labels-no-trimming-bottom-first.txt"));
}

// ---------------------------------------------------------------------------
// Clearance warning

TEST(PanelCutClearance, WarnsBeforeAndAfterCuttingWhenTheWireWouldNotClearTheBlock) {
  for (int mode : {1, 3}) {
    Rig rig;
    rig.doc.cutChoices.trimmingMode = mode;
    rig.doc.cutChoices.clearance = 40.0;  // equal to the block height
    // No answer queued: the prompt answers Cancel.
    const PanelCutResult cancelled = rig.Plan();
    EXPECT_EQ(std::tuple(cancelled.status, cancelled.moves.size()),
              std::tuple(PanelCutStatus::Cancelled, 0u));
    ASSERT_EQ(rig.prompt.calls().size(), 1u);
    EXPECT_EQ(std::tie(rig.prompt.calls()[0].kind, rig.prompt.calls()[0].text),
              std::tuple(ScriptedPrompt::Kind::OkCancel, Text(Msg::ClearanceLowerThanFoam)));

    rig.prompt.queueAnswer(Answer::Ok);
    EXPECT_TRUE(rig.Plan().ok());

    rig.prompt.clear();
    rig.doc.cutChoices.clearance = 40.5;
    EXPECT_TRUE(rig.Plan().ok());
    EXPECT_TRUE(rig.prompt.calls().empty());
  }
  for (int mode : {0, 2, 4}) {
    Rig rig;
    rig.doc.cutChoices.trimmingMode = mode;
    rig.doc.cutChoices.clearance = 10.0;
    EXPECT_TRUE(rig.Plan().ok()) << mode;
    EXPECT_TRUE(rig.prompt.calls().empty()) << mode;
  }
}

// ---------------------------------------------------------------------------
// Block placement: left distance, swap rule, face pacing

TEST(PanelCutPlacement, SwapRuleAndLeftDistanceForBothSidesAndTableLayouts) {
  struct Case {
    int tableInv;
    int wingSide;
    bool swapped;
    double d;
  };
  // E 1000, S 300, R 100: right wing D = R, left wing D = E - S - R = 600.
  const Case cases[] = {
      {0, 0, false, 100.0}, {0, 1, true, 600.0}, {1, 0, true, 100.0}, {1, 1, false, 600.0}};
  for (const Case& c : cases) {
    Rig rig;
    rig.DifferentTip(6.0, 2.0);  // root and tip move by different lengths
    rig.config.table.TableInv = c.tableInv;
    rig.doc.cutChoices.wingSide = c.wingSide;
    const PanelCutResult r = rig.Plan();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(std::tuple(r.swapped, r.leftDistance, r.span), std::tuple(c.swapped, c.d, 300.0));

    // The upper surface cut passes through point 3 of each face's outline,
    // and the root face advances at the cut speed: the root goes to face 1 and
    // the move is paced by face 1, or both go to face 2.
    const TableConfig& t = rig.config.table;
    const std::size_t i = *Find(r.moves, Indexed(Msg::UpperSurfaceCutPoint, 3));
    const Crossing now = FaceCrossings(r.moves[i], r, t);
    const Crossing before = FaceCrossings(r.moves[i - 1], r, t);
    ExpectNear(now.root, r.outlines.root1[3], 1e-9);
    ExpectNear(now.tip, r.outlines.tip1[3], 1e-9);
    const double rootPath = std::hypot(now.root.x - before.root.x, now.root.y - before.root.y);
    const double tipPath = std::hypot(now.tip.x - before.tip.x, now.tip.y - before.tip.y);
    ASSERT_GT(std::fabs(rootPath - tipPath), 0.1);
    EXPECT_NEAR(r.moves[i].duration, rootPath / 4.0, 1e-9);
  }
}

TEST(PanelCutPlacement, LongSweptTipSetsTheLeadingEdgePosition) {
  Rig rig;
  // Short sweep: the root's margin decides, XLE = 20 + 5 + 10.
  PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(std::tuple(r.xleRoot, r.xleTip), std::tuple(35.0, 35.0));

  // X0 100, sweep 30: the tip needs 100 + 30 + 10 + 5 = 145, so the root
  // trailing edge stands 135 - 100 = 35 mm in front of X0, more than its 5 mm
  // margin. (X0 keeps the wire's extension to the far tower within the travel.)
  rig.panel().offsetX0 = 100;
  rig.DifferentTip(10.0, 30.0);
  r = rig.Plan();
  ASSERT_TRUE(r.ok()) << rig.planner.lastError();
  EXPECT_EQ(std::tuple(r.xleRoot, r.xleTip), std::tuple(145.0, 115.0));
  ExpectNear(r.outlines.root1.front(), {145.0, 20.0}, 1e-9);
  ExpectNear(r.outlines.tip1.front(), {115.0, 20.0}, 1e-9);
  ExpectNear(r.outlines.root1.back(), {135.0, 20.0}, 1e-9);
}

// ---------------------------------------------------------------------------
// Leading edge

TEST(PanelCutLeadingEdge, NoMarginMeansNoLeadingEdgeCutWhateverTheMode) {
  for (double margin : {0.0, -1.0}) {
    for (int le : {LeHorizontal, LeXCut}) {
      for (int mode : {0, 1, 3}) {
        Rig rig;
        Panel& panel = rig.panel();
        panel.root.params.leMargin = panel.tip.params.leMargin = margin;
        panel.leMode = le;
        rig.doc.cutChoices.trimmingMode = mode;
        const PanelCutResult r = rig.Plan();
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(LeadingEdgeCounts(r), Counts(0, 0)) << margin << le << mode;
      }
    }
  }
}

TEST(PanelCutLeadingEdge, WhileCuttingWithoutMarginsTheBlockIsShapedInsteadOfTheXCut) {
  // (The X cut itself is in the golden cuts of the symmetric panel.)
  Rig rig;
  rig.panel().leMode = LeXCut;
  rig.doc.cutChoices.trimmingMode = 2;
  PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(LeadingEdgeCounts(r), Counts(5, 0));
  rig.panel().root.params.leMargin = rig.panel().tip.params.leMargin = 0.0;
  r = rig.Plan();
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(LeadingEdgeCounts(r), Counts(0, 5));
}

TEST(PanelCutLeadingEdge, BlockShapingTrimsTheFrontFaceAtTheEffectiveMargin) {
  Rig rig;
  Panel& panel = rig.panel();
  // A negative margin with a skin: effective margin 0.2 - 0.1 = 0.1. No
  // leading-edge cut (no positive margin), but the horizontal mode shapes.
  panel.root.params.leMargin = panel.tip.params.leMargin = -0.1;
  panel.root.params.skin = panel.tip.params.skin = 0.2;
  panel.leMode = LeHorizontal;
  rig.doc.cutChoices.trimmingMode = 2;
  const PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  // The skin moves the outline in: the leading edge is where the corrected
  // outline starts.
  EXPECT_EQ(LeadingEdgeCounts(r).first, 0u);
  const Point2D le = r.outlines.root1.front();
  EXPECT_LT(le.x, 35.0);
  const double f = le.x + 0.1;
  const TableConfig& t = rig.config.table;
  const std::size_t i = *Find(r.moves, Text(Msg::BlockShapingAtLeadingEdge));
  ExpectNear(FaceCrossings(r.moves[i], r, t).root, {f + 5.0, le.y}, 1e-9);
  ExpectNear(FaceCrossings(r.moves[i + 1], r, t).root, {f, 45.0}, 1e-9);
  ExpectNear(FaceCrossings(r.moves[i + 2], r, t).root, {f, 0.0}, 1e-9);
  EXPECT_EQ(r.moves[i + 3].label, Text(Msg::Tempo));
  ExpectNear(FaceCrossings(r.moves[i + 5], r, t).root, le, 1e-9);
}

// ---------------------------------------------------------------------------
// Trailing edge

TEST(PanelCutTrailingEdge, NegativeMarginHasNoProlongationAndLeavesAtTheRearFace) {
  Rig rig;
  Panel& panel = rig.panel();
  panel.root.params.teMargin = panel.tip.params.teMargin = -3.0;
  rig.doc.cutChoices.trimmingMode = 2;
  const PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  // XLE = 20 - 3 + 10 = 27; the trailing edge at 17 is the entry and the exit.
  const TableConfig& t = rig.config.table;
  const Point2D te{17.0, 20.0};
  ExpectNear(r.outlines.root1.back(), te, 1e-9);
  ExpectNear(FaceCrossings(r.moves[2], r, t).root, te, 1e-9, "A");
  const std::size_t out = *Find(r.moves, Text(Msg::TrailingEdgeProlongationOutput));
  ExpectNear(FaceCrossings(r.moves[out], r, t).root, te, 1e-9, "B");
  // C = B.X - mTE: the block's rear face at 17 + 3, where the rear trim runs.
  ExpectNear(FaceCrossings(r.moves[out + 1], r, t).root, {20.0, 20.0}, 1e-9, "C");
  ExpectNear(FaceCrossings(r.moves[out + 2], r, t).root, {20.0, 0.0}, 1e-9, "trim");
}

TEST(PanelCutTrailingEdge, WithoutMarginTheProlongationsEndOnTheKerfCorrectedSurfaces) {
  // (The exit one kerf behind the rear face is in the golden cuts.)
  Rig rig;
  rig.doc.cutChoices.kerfCompensationA = 1;
  rig.doc.cutChoices.trimmingMode = 2;
  rig.panel().root.params.teMargin = 0.0;
  rig.panel().tip.params.teMargin = 0.0;
  const PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  EXPECT_DOUBLE_EQ(r.rootKerf, 0.4);
  const TableConfig& t = rig.config.table;
  ExpectNear(FaceCrossings(r.moves[2], r, t).root, r.outlines.root1.back(), 1e-9, "A");
  const std::size_t out = *Find(r.moves, Text(Msg::TrailingEdgeProlongationOutput));
  ExpectNear(FaceCrossings(r.moves[out], r, t).root, r.outlines.root2.back(), 1e-9, "B");
  ExpectNear(FaceCrossings(r.moves[out + 1], r, t).root, r.outlines.root2.back(), 1e-9, "C");
}

// ---------------------------------------------------------------------------
// Intermediate sections

TEST(PanelCutIntermediate, RootReferenceCutsFromTheRootToTheSectionAtZ) {
  for (int side : {0, 1}) {
    Rig rig;
    rig.DifferentTip(6.0, 2.0);  // XLE 35 at the root, 33 at the tip
    Panel& panel = rig.panel();
    panel.sectionCutEnabled = true;
    panel.sectionCutZ = 100;  // t = 1 - 100 / 300 = 2/3
    rig.doc.cutChoices.sectionReference = 0;
    rig.doc.cutChoices.wingSide = side;
    const PanelCutResult r = rig.Plan();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(std::tuple(r.span, r.xleRoot), std::tuple(100.0, 35.0));
    EXPECT_NEAR(r.tipChord, 6.0 + 4.0 * 2.0 / 3.0, 1e-12);
    EXPECT_NEAR(r.xleTip, 33.0 + 2.0 * 2.0 / 3.0, 1e-12);
    ExpectNear(r.outlines.tip1.front(), {33.0 + 2.0 * 2.0 / 3.0, 20.0}, 1e-9);
    // The root stays R from its tower: the left wing's block starts E - Z - R from the left.
    EXPECT_DOUBLE_EQ(r.leftDistance, side == 0 ? 100.0 : 1000.0 - 100.0 - 100.0);
  }
}

TEST(PanelCutIntermediate, TipReferenceOnALongSweptTipKeepsTheListsAtTheirLeadingEdges) {
  Rig rig;
  rig.panel().offsetX0 = 100;
  rig.DifferentTip(10.0, 30.0);  // XLE 145 at the root (set by the tip), 115 at the tip
  Panel& panel = rig.panel();
  panel.sectionCutEnabled = true;
  panel.sectionCutZ = 150;  // t = 0.5: the section's leading edge at 130
  rig.doc.cutChoices.sectionReference = 1;
  const PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok()) << rig.planner.lastError();
  // New XLE = max(100 + 5 + 10, 100 + 5 + 10 + 15) = 130: the section stays
  // where it was, 15 mm ahead of the tip.
  EXPECT_EQ(std::tuple(r.xleRoot, r.xleTip), std::tuple(130.0, 115.0));
  ExpectNear(r.outlines.root1.front(), {130.0, 20.0}, 1e-9);
  ExpectNear(r.outlines.tip1.front(), {115.0, 20.0}, 1e-9);
  ExpectNear(r.outlines.root1.back(), {120.0, 20.0}, 1e-9);
}

TEST(PanelCutIntermediate, SectionOutsideThePanelIsRefused) {
  for (int ref : {0, 1}) {
    for (int z : {0, 300, 400}) {
      if (ref == 0 && z == 300) continue;  // the whole panel: allowed
      Rig rig;
      rig.panel().sectionCutEnabled = true;
      rig.panel().sectionCutZ = z;
      rig.doc.cutChoices.sectionReference = ref;
      const PanelCutResult r = rig.Plan();
      EXPECT_EQ(std::tie(r.status, r.message),
                std::tuple(PanelCutStatus::Refused, Text(Msg::InvalidIntermediateSectionCut)))
          << ref << " " << z;
    }
  }
}

// ---------------------------------------------------------------------------
// Panels that are not wings, refusals

TEST(PanelCutClosedOutline, OnePassAroundTheOutlineInEitherDirection) {
  for (int order : {1, 0}) {
    Rig rig;
    rig.panel().wingPanel = false;
    rig.doc.cutChoices.cutOrder = order;
    const PanelCutResult r = rig.Plan();
    ASSERT_TRUE(r.ok());
    // 7 + 7 points with the shared leading edge once.
    ASSERT_EQ(r.outlines.root1.size(), 13u);
    const TableConfig& t = rig.config.table;
    ASSERT_EQ(r.moves[3].label, Indexed(Msg::CutComplexShapePoint, order == 1 ? 0 : 12));
    // Top first starts at the upper trailing edge (the outline's end).
    const Point2D first = order == 1 ? r.outlines.root1.back() : r.outlines.root1.front();
    ExpectNear(FaceCrossings(r.moves[3], r, t).root, first, 1e-9);
    for (std::size_t k = 0; k < 13; ++k) {
      EXPECT_EQ(r.moves[3 + k].label, Indexed(Msg::CutComplexShapePoint, order == 1 ? k : 12 - k));
    }
    EXPECT_EQ(r.moves[16].label, Text(Msg::TrailingEdgeProlongationOutput));
  }
}

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

TEST(PanelCutRefusals, ZeroChordSpanOrSpeedIsRefusedBeforeAnyMove) {
  const std::pair<std::function<void(Rig&)>, std::string> cases[] = {
      {[](Rig& rig) { rig.panel().tip.params.chord = 0.0; }, "chord"},
      {[](Rig& rig) { rig.panel().span = 0.0; }, "Invalid block width: 0 mm"},
      {[](Rig& rig) { rig.config.foams.cutSpeed = 0.0; }, "speed"},
  };
  for (const auto& [breakIt, text] : cases) {
    Rig rig;
    breakIt(rig);
    const PanelCutResult r = rig.Plan();
    EXPECT_EQ(r.status, PanelCutStatus::Refused) << text;
    EXPECT_NE(r.message.find(text), std::string::npos) << r.message;
    EXPECT_EQ(rig.prompt.messages(), std::vector<std::string>{r.message});
    EXPECT_EQ(rig.machine->counters().stepsRequests, 0u);
  }
  // A survey looks for the speed itself: no refusal there.
  Rig rig;
  rig.config.foams.cutSpeed = 0.0;
  double speed = 0.0;
  EXPECT_EQ(rig.Survey(false, speed), "");
  EXPECT_GT(speed, 0.0);
}

TEST(PanelCutRefusals, ABlockBeyondTheTowersIsRefusedWithNothingKept) {
  Rig rig;
  rig.panel().rootAxisOffset = 800;  // 800 + 300 > 1000
  PanelCutResult r = rig.Plan();
  EXPECT_EQ(std::tuple(r.status, r.moves.size()), std::tuple(PanelCutStatus::PlanFailed, 0u));
  ASSERT_EQ(rig.prompt.messages().size(), 1u);
  EXPECT_EQ(rig.prompt.messages()[0].rfind("Right block position greater than", 0), 0u);
  // Left wing, root 800 mm from the right tower: the 300 mm block would end
  // 1100 mm from it, 100 mm beyond the left tower; the same on a reverse table.
  const std::string beyond = "Right block position greater than XD-XG size: 1100";
  rig.doc.cutChoices.wingSide = 1;
  r = rig.Plan();
  EXPECT_EQ(std::tie(r.status, r.message), std::tuple(PanelCutStatus::Refused, beyond));
  rig.config.table.TableInv = 1;
  rig.prompt.clear();
  EXPECT_EQ(rig.Plan().status, PanelCutStatus::Refused);
  EXPECT_EQ(rig.prompt.messages(), std::vector<std::string>{beyond});
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

TEST(PanelCutProject, OutlineAsCutIsTheBuiltOutlineWhenOnlyTheLiftApplies) {
  Rig rig;
  rig.doc.cutChoices.referenceLowerSurface = 1;  // lift by the kerf, no offset
  const PanelCutResult r = rig.Plan();
  ASSERT_TRUE(r.ok());
  // The outline is cut 0.4 mm higher...
  ExpectNear(r.outlines.root1.back(), {25.0, 20.4}, 1e-9);
  // ...and written back in chord fractions without the lift.
  const Section& built = rig.panel().root;
  ASSERT_TRUE(r.cutRoot.has_value());
  ASSERT_EQ(r.cutRoot->cutUpper.size(), built.cutUpper.size());
  for (std::size_t i = 0; i < built.cutUpper.size(); ++i) {
    ExpectNear(r.cutRoot->cutUpper[i], built.cutUpper[i], 1e-12);
  }
}

// ---------------------------------------------------------------------------
// Execution

TEST(PanelCutRun, RunsOnTheMachineAndComesBackHome) {
  Rig rig;
  rig.config.foams.currentHeat = 0;
  rig.prompt.queueAnswer(Answer::Ok);  // "Start cut ?"
  PanelCutPlanner planner(rig.doc, rig.env);
  ASSERT_TRUE(planner.Run(rig.job)) << rig.planner.lastError();
  EXPECT_EQ(std::tuple(planner.lastResult().status, planner.lastResult().moves.size(),
                       rig.config.foams.currentHeat),
            std::tuple(PanelCutStatus::Ok, 0u, 40));
  const MachineSnapshot s = rig.machine->snapshot();
  EXPECT_GT(s.entriesOutput, 0u);
  for (Axis a : {Axis::XG, Axis::YG, Axis::XD, Axis::YD}) {
    EXPECT_LE(std::llabs(s[a].commandedSteps), 1) << static_cast<int>(a);
  }
}

TEST(PanelCutRun, RefusedHeatExecutesNothing) {
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
  EXPECT_EQ(std::tuple(planner.lastResult().status, rig.machine->counters().stepsRequests),
            std::tuple(PanelCutStatus::HeatRefused, 0u));
  const MovePlanner::Position now = rig.planner.towers();
  EXPECT_EQ(std::tuple(now.XG, now.YD), std::tuple(start.XG, start.YD));
}

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
