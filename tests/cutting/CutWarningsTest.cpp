#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cutting/CutWarnings.h"
#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutForm.h"
#include "cutting/PanelCutPlanner.h"
#include "geometry/Naca.h"
#include "support/MachineRig.h"
#include "support/MirroredTowerCase.h"

namespace orva {
namespace {

// The table and the foam of test::MirroredTowerCase with 2 s of heating: a
// 1000 mm table (1200 mm of X travel, the machine zero 200 mm along it, so
// that a tower may go behind the zero), fast motors, a fixed-heat foam cut at
// 4 mm/s whose kerf was measured at 4 and 2 mm/s.
struct WarnRig : test::ProjectRig {
  WarnRig() {
    test::MirroredTowerCase::table(config.table);
    config.table.Chauffe = 2.0;
    test::MirroredTowerCase::foams(config.foams);
    planner.ResetPlanner();  // the wire at the new machine zero
    doc.splines = false;
    doc.cutChoices = PanelCutChoices{};
    doc.cutChoices.clearance = 120.0;
  }

  // A right wing of NACA 2412 (20 points a surface, resampled about every
  // millimetre): the chords, the span, the root's distance from its tower,
  // X0 and the sweep; margins of 5 mm, a 100 mm block, 40 mm basic height.
  void wing(double rootChord, double tipChord, double span, int rootAxisOffset, int x0,
            double sweep = 0.0) {
    Panel& p = panel();
    const auto naca = MakeNaca4("2412", 20);
    ASSERT_TRUE(naca.has_value());
    p.root.profile = p.tip.profile = *naca;
    for (Section* s : {&p.root, &p.tip}) {
      s->params.basicHeight = 40.0;
      s->params.teMargin = 5.0;
      s->params.leMargin = 5.0;
    }
    p.root.params.chord = rootChord;
    p.tip.params.chord = tipChord;
    p.differentRootTip = true;
    p.wingPanel = true;
    p.span = span;
    p.sweep = sweep;
    p.blockCentredZ = false;
    p.rootAxisOffset = rootAxisOffset;
    p.offsetX0 = x0;
    p.foamThickness = 100.0;
    p.teMode = TeHorizontal;
    p.leMode = LeNone;
    p.Rebuild(false, false);
  }

  // A closed outline (not a wing panel) of 100 mm whose tip is its root
  // (differentRootTip off), the tip's points placed at `tipStations` along
  // the same shape: the same count, other places when the stations differ.
  void closedOutline(const std::vector<double>& tipStations) {
    auto outline = [](const std::vector<double>& stations) {
      // Upper from the trailing edge to the leading edge, lower back.
      std::vector<Point2D> points;
      for (double x : stations) points.push_back({x, 0.1 * (1.0 - x)});
      for (auto it = stations.rbegin() + 1; it != stations.rend(); ++it) {
        points.push_back({*it, -0.05 * (1.0 - *it)});
      }
      Profile p;
      EXPECT_TRUE(p.BuildFromPoints(points));
      return p;
    };
    Panel& p = panel();
    p.wingPanel = false;
    p.differentRootTip = false;
    p.root.profile = outline({1.0, 0.66, 0.33, 0.0});
    p.root.params.chord = 100.0;
    p.root.params.basicHeight = 40.0;
    p.root.params.teMargin = 5.0;
    p.root.params.leMargin = 5.0;
    p.tip = p.root;
    p.tip.profile = outline(tipStations);
    p.span = 300.0;
    p.sweep = 0.0;
    p.blockCentredZ = false;
    p.rootAxisOffset = 300;
    p.offsetX0 = 40;
    p.foamThickness = 100.0;
    p.RebuildAfterNewProfile(false, true);
  }

  // The survey's warnings; the survey itself must succeed.
  std::vector<CutWarning> warnings() {
    const PanelCutSurvey found = SurveyPanelCut(doc, env);
    EXPECT_TRUE(found.ok()) << (found.errors.empty() ? "" : found.errors.front());
    EXPECT_TRUE(found.moves.has_value());
    return found.warnings;
  }
};

const CutWarning* findKind(const std::vector<CutWarning>& warnings, CutWarningKind kind) {
  const auto it = std::find_if(warnings.begin(), warnings.end(),
                               [kind](const CutWarning& w) { return w.kind == kind; });
  return it == warnings.end() ? nullptr : &*it;
}

std::string describe(const std::vector<CutWarning>& warnings) {
  std::string out;
  for (const CutWarning& w : warnings) out += w.message + "\n";
  return out;
}

using SetUp = std::function<void(WarnRig&)>;

struct Case {
  const char* name;
  CutWarningKind kind;
  SetUp provokes;    // a panel and placement that give the warning
  SetUp avoids;      // the closest one that does not
  WireSide side;     // of the first warning of that kind
  const char* text;  // in its message
};

// Each warning with a panel that provokes it and a neighbour that does not.
TEST(CutWarnings, EachWarningIsGivenByThePanelThatCausesItOnly) {
  const std::vector<Case> cases = {
      // The right tower 750 mm from the root: its chord 200 - 80 x 3 = -40 mm.
      {"backwards", CutWarningKind::TowerBackwards,
       [](WarnRig& r) { r.wing(200, 120, 250, 250, 40); },
       [](WarnRig& r) { r.wing(200, 120, 250, 500, 40); }, WireSide::Right,
       "the right tower runs backwards"},
      // The right tower's chord 120 + 80 x 7.9 = 753 mm, 3.8 times the tip's.
      {"magnified", CutWarningKind::TowerMagnified,
       [](WarnRig& r) { r.wing(120, 200, 120, 50, 460); },
       [](WarnRig& r) { r.wing(120, 200, 120, 600, 460); }, WireSide::Right,
       "the right tower travels"},
      // X0 behind the machine zero: the wire heats under the block.
      {"pause", CutWarningKind::PauseInBlock, [](WarnRig& r) { r.wing(200, 200, 400, 300, -20); },
       [](WarnRig& r) {
         r.wing(200, 200, 400, 300, 20);
         r.doc.cutChoices.trimmingMode = 1;
       },
       WireSide::Both, "a pause of 2.00 s"},
      // A forward-swept block behind the zero, paced by the far right tower.
      {"slow", CutWarningKind::SlowInBlock,
       [](WarnRig& r) { r.wing(200, 200, 120, 100, -10, -20); },
       [](WarnRig& r) { r.wing(200, 200, 120, 440, -10, -20); }, WireSide::Both,
       "below a tenth of the cut speed (4.00 mm/s)"},
      // A tip of 0.4 times the root at 1.6 mm/s, below the law's 2 mm/s.
      {"kerf", CutWarningKind::KerfExtrapolated, [](WarnRig& r) { r.wing(200, 80, 500, 250, 40); },
       [](WarnRig& r) { r.wing(200, 120, 500, 250, 40); }, WireSide::Right, "Tip face at 1.6"},
      // A closed outline whose tip points lie elsewhere along the same shape.
      {"unequal", CutWarningKind::UnequalFaces,
       [](WarnRig& r) {
         r.closedOutline({1.0, 0.85, 0.2, 0.0});
       },
       [](WarnRig& r) {
         r.closedOutline({1.0, 0.66, 0.33, 0.0});
       },
       WireSide::Both, "the root and tip points do not match"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      WarnRig rig;
      c.provokes(rig);
      const std::vector<CutWarning> found = rig.warnings();
      const CutWarning* w = findKind(found, c.kind);
      ASSERT_NE(w, nullptr) << describe(found);
      EXPECT_EQ(w->side, c.side);
      EXPECT_NE(w->message.find(c.text), std::string::npos) << w->message;
      EXPECT_NE(w->message.find(w->label), std::string::npos) << w->message;
      EXPECT_LE(w->move, w->lastMove);
    }
    {
      WarnRig rig;
      c.avoids(rig);
      const std::vector<CutWarning> found = rig.warnings();
      EXPECT_EQ(findKind(found, c.kind), nullptr) << describe(found);
    }
  }
}

// The case that made a new user waste foam: a tapered, swept panel placed
// so that the right tower traces a small mirrored profile, X0 behind the
// machine zero so that the wire heats for 160 s lying under the block.
TEST(CutWarnings, AMirroredTowerAndTheWireHeatingInTheBlockAreWarnedOfBeforeTheCut) {
  auto setUp = [](WarnRig& r, bool placedBadly) {
    r.config.table.Chauffe = 160.0;
    test::MirroredTowerCase::panel(r.doc, placedBadly);
  };
  WarnRig rig;
  setUp(rig, true);
  const std::vector<CutWarning> found = rig.warnings();

  const CutWarning* pause = findKind(found, CutWarningKind::PauseInBlock);
  ASSERT_NE(pause, nullptr) << describe(found);
  EXPECT_EQ(pause->move, 0u);
  EXPECT_EQ(pause->label, "Tempo");
  EXPECT_DOUBLE_EQ(pause->value, 160.0);
  // Moves are numbered from 1 in the texts, as the cut window's time line counts them.
  EXPECT_EQ(pause->message,
            "Move 1 (Tempo): a pause of 160.00 s with the wire in the block melts a hole");
  // The wire lies on the table at the machine zero, under the block.
  EXPECT_NEAR(pause->where.face1.x, 0.0, 1e-9);
  EXPECT_NEAR(pause->where.face2.y, 0.0, 1e-9);

  const CutWarning* mirrored = findKind(found, CutWarningKind::TowerBackwards);
  ASSERT_NE(mirrored, nullptr) << describe(found);
  EXPECT_EQ(mirrored->side, WireSide::Right);
  // The right tower's chord: 200 + (120 - 200) x 750 / 250 = -40 mm against
  // the tip's 120 mm.
  EXPECT_NEAR(mirrored->value, -40.0 / 120.0, 0.05);
  EXPECT_NE(mirrored->label.find("surface cut"), std::string::npos) << mirrored->label;
  EXPECT_GT(mirrored->lastMove, mirrored->move + 100);  // the whole profile, not one move
  // Where: the planned tower target of that move, relative to the machine zero.
  const PanelCutResult planned = PanelCutPlanner(rig.doc, rig.env).Plan();
  ASSERT_TRUE(planned.ok());
  ASSERT_LT(mirrored->move, planned.moves.size());
  const CutMove& move = planned.moves[mirrored->move];
  EXPECT_NEAR(mirrored->where.right.x, move.XD - rig.config.table.ZeroX, 1e-9);
  EXPECT_NEAR(mirrored->where.left.y, move.YG - rig.config.table.ZeroY, 1e-9);
  // Every text names its first (and last) move by its number, index + 1,
  // and the label of the move at that index.
  for (const CutWarning& w : found) {
    SCOPED_TRACE(w.message);
    ASSERT_LT(w.lastMove, planned.moves.size());
    EXPECT_EQ(w.label, planned.moves[w.move].label);
    const std::string first = std::to_string(w.move + 1);
    const std::string head =
        w.move == w.lastMove
            ? "Move " + first + " (" + w.label + "): "
            : "Moves " + first + " to " + std::to_string(w.lastMove + 1) + " (" + w.label + "): ";
    EXPECT_EQ(w.message.rfind(head, 0), 0u);
  }

  // The dialog lists them after its own message; the cut can still be started.
  PanelCutForm form(rig.doc, rig.env);
  ASSERT_FALSE(form.warnings().empty());
  EXPECT_EQ(form.warnings().size(), found.size());
  const std::string messages = form.text(PanelCutField::Messages);
  EXPECT_NE(messages.find("Warnings:\n" + found.front().message), std::string::npos) << messages;
  EXPECT_TRUE(form.okEnabled());
  // With a computed-heat foam the dialog searches the speed first; the
  // warnings are those of the cut at the speed found.
  FoamType red = WarnRig::foam("Red", 4.0, 60, ComputedHeat);
  red.minSpeed = 1.0;
  red.minSpeedHeat = 20;
  rig.useFoams({red});
  PanelCutForm computed(rig.doc, rig.env);
  const std::string shown = computed.text(PanelCutField::Messages);
  EXPECT_EQ(shown.rfind("Speed limit: ", 0), 0u) << shown;
  ASSERT_NE(findKind(computed.warnings(), CutWarningKind::PauseInBlock), nullptr) << shown;
  EXPECT_NE(shown.find("\nWarnings:\n"), std::string::npos) << shown;

  // The same panel in front of the zero, the tower 500 mm from the root
  // (chord +40 mm): nothing to say, in the survey or the dialog.
  WarnRig placedWell;
  setUp(placedWell, false);
  EXPECT_TRUE(placedWell.warnings().empty()) << describe(placedWell.warnings());
  PanelCutForm quiet(placedWell.doc, placedWell.env);
  EXPECT_TRUE(quiet.warnings().empty());
  EXPECT_EQ(quiet.text(PanelCutField::Messages).find("Warnings:"), std::string::npos);
}

// The face points read back from the tower targets are the outline points
// the cut was planned through, whichever face the root is on.
TEST(CutWarnings, TheWireTraceFindsThePlannedFacePointsOnEveryLayout) {
  struct Layout {
    int wingSide;
    int tableInv;
  };
  for (const Layout layout : {Layout{0, 0}, Layout{1, 0}, Layout{0, 1}, Layout{1, 1}}) {
    SCOPED_TRACE(layout.wingSide * 10 + layout.tableInv);
    WarnRig rig;
    rig.wing(200, 120, 250, 150, 40, 30.0);
    rig.config.table.ZeroY = 7.0;
    rig.config.table.TableInv = layout.tableInv;
    rig.planner.ResetPlanner();
    rig.doc.cutChoices.wingSide = layout.wingSide;
    const MovePlanner::Position start = rig.planner.towers();
    const PanelCutResult planned = PanelCutPlanner(rig.doc, rig.env).Plan();
    ASSERT_TRUE(planned.ok()) << rig.planner.lastError();
    const CutWarningSetup setup =
        PanelCutWarningSetup(planned, rig.config.table, rig.config.foams, rig.panel(), 4.0, start);
    EXPECT_EQ(setup.rootOnFace2, layout.wingSide != layout.tableInv);
    const std::vector<WireSpan> trace = TraceWire(planned.moves, setup.geometry, start);
    ASSERT_EQ(trace.size(), planned.moves.size() + 1);
    const std::string prefix = "Upper surface cut, point ";
    std::size_t checked = 0;
    for (std::size_t i = 0; i < planned.moves.size(); ++i) {
      const std::string& label = planned.moves[i].label;
      if (label.rfind(prefix, 0) != 0) continue;
      const std::size_t j = std::stoul(label.substr(prefix.size()));
      const Point2D root = setup.rootOnFace2 ? trace[i + 1].face2 : trace[i + 1].face1;
      const Point2D tip = setup.rootOnFace2 ? trace[i + 1].face1 : trace[i + 1].face2;
      ASSERT_LT(j, planned.outlines.root1.size());
      EXPECT_NEAR(root.x, planned.outlines.root1[j].x, 1e-9);
      EXPECT_NEAR(root.y, planned.outlines.root1[j].y, 1e-9);
      EXPECT_NEAR(tip.x, planned.outlines.tip1[j].x, 1e-9);
      EXPECT_NEAR(tip.y, planned.outlines.tip1[j].y, 1e-9);
      ++checked;
    }
    EXPECT_GT(checked, 100u);
    // The cut starts and ends at the machine zero.
    EXPECT_NEAR(trace.front().left.x, 0.0, 1e-9);
    EXPECT_NEAR(trace.back().face2.y, 0.0, 1e-9);
  }
}

}  // namespace
}  // namespace orva
