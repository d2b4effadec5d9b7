#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "common/Messages.h"
#include "cutting/CutSimulation.h"
#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutPlanner.h"
#include "model/ProjectFile.h"
#include "support/MachineRig.h"
#include "support/MirroredTowerCase.h"

namespace orva {
namespace {

const std::filesystem::path kExample =
    std::filesystem::path(ORVA_TEST_DATA_DIR) / ".." / ".." / "examples" / "wing.cnc";

double gap(const Point2D& a, const Point2D& b) { return std::hypot(a.x - b.x, a.y - b.y); }

struct SimulationRig : test::ProjectRig {
  SimulationRig() {
    std::string foam = "Poly";
    config.foams.LoadFoamsFromText("V3\n", foam);
    EXPECT_TRUE(LoadProjectFile(doc, kExample));
    doc.currentPanel = 1;
  }
};

// The same moves, targets and times as PanelCutPlanner at the dialog's speed,
// on every layout; the face points lie on the outlines, on the right face.
TEST(CutSimulationTest, ReplaysTheRealPlanWithFacePointsOnTheirOutlines) {
  for (int layout = 0; layout < 4; ++layout) {
    SimulationRig rig;
    const bool leftWing = (layout & 1) != 0;
    rig.doc.cutChoices.wingSide = leftWing ? 1 : 0;
    rig.config.table.TableInv = (layout & 2) != 0 ? 1 : 0;
    rig.config.table.ZeroX = 3.0;  // positions relative to the machine zero
    rig.config.table.ZeroY = 2.0;
    rig.planner.ResetPlanner();
    SCOPED_TRACE("layout " + std::to_string(layout));

    const CutSimulation sim = CutSimulation::plan(rig.doc, rig.env);
    ASSERT_TRUE(sim.ok()) << sim.error;
    EXPECT_EQ(sim.swapped, leftWing != (rig.config.table.TableInv != 0));

    const PanelCutSurvey survey = SurveyPanelCut(rig.doc, rig.env);
    ASSERT_TRUE(survey.ok());
    EXPECT_EQ(sim.cutSpeed, *survey.cutSpeed);
    rig.config.foams.cutSpeed = *survey.cutSpeed;
    PanelCutResult real = PanelCutPlanner(rig.doc, rig.env).Plan();
    ASSERT_TRUE(real.ok());
    ASSERT_EQ(sim.moves.size(), real.moves.size());
    double total = 0.0;
    std::size_t checkedFaces = 0;
    for (std::size_t i = 0; i < real.moves.size(); ++i) {
      const CutMove& m = real.moves[i];
      const SimulatedMove& s = sim.moves[i];
      ASSERT_EQ(s.label, m.label);
      ASSERT_NEAR(s.duration, m.duration, 1e-9) << i;
      ASSERT_NEAR(s.start, total, 1e-9) << i;
      ASSERT_NEAR(s.end.left.x, m.XG - 3.0, 1e-9) << i;
      ASSERT_NEAR(s.end.left.y, m.YG - 2.0, 1e-9) << i;
      ASSERT_NEAR(s.end.right.x, m.XD - 3.0, 1e-9) << i;
      ASSERT_NEAR(s.end.right.y, m.YD - 2.0, 1e-9) << i;
      total += m.duration;
      // "Upper surface cut, point k" goes to point k of the upper outlines.
      for (std::size_t k = 1; k < real.outlines.root1.size(); ++k) {
        if (s.label != formatMessage(Msg::UpperSurfaceCutPoint, {std::to_string(k)})) continue;
        ASSERT_LT(gap(s.end.root, real.outlines.root1[k]), 1e-6) << s.label;
        ASSERT_LT(gap(s.end.tip, real.outlines.tip1[k]), 1e-6) << s.label;
        ++checkedFaces;
        break;
      }
    }
    EXPECT_GT(checkedFaces, 50u);
    EXPECT_NEAR(sim.totalTime, total, 1e-9);
    EXPECT_NEAR(sim.totalTime, *survey.totalTime, 1e-9);
    EXPECT_NEAR(std::abs(sim.tipZ - sim.rootZ), real.span, 1e-9);
  }
}

// No change announced; panel, choices, planner and foam database stay.
TEST(CutSimulationTest, LeavesTheProjectThePlannerAndTheFoamsAsTheyWere) {
  SimulationRig rig;
  rig.doc.cutChoices.trimmingMode = 1;  // would ask about the clearance
  rig.doc.cutChoices.clearance = 10.0;
  rig.planner.SetPlannerPosition(12.0, 30.0, 14.0, 31.0);
  rig.config.foams.cutSpeed = 1.25;
  rig.config.foams.currentHeat = 17;
  int notified = 0;
  rig.doc.subscribe([&](DocChanges) { ++notified; });
  const Panel before = rig.doc.current();
  const PanelCutChoices choices = rig.doc.cutChoices;

  const CutSimulation sim = CutSimulation::plan(rig.doc, rig.env, 2.0);
  ASSERT_TRUE(sim.ok()) << sim.error;
  EXPECT_EQ(sim.cutSpeed, 2.0);
  // It starts where the program's planner stands.
  EXPECT_LT(gap(sim.start.left, {12.0, 30.0}), 1e-9);
  EXPECT_LT(gap(sim.start.right, {14.0, 31.0}), 1e-9);

  EXPECT_EQ(notified, 0);
  EXPECT_FALSE(rig.doc.modified);
  EXPECT_EQ(rig.doc.cutChoices, choices);
  const Panel& after = rig.doc.current();
  EXPECT_EQ(after.root.cutUpper, before.root.cutUpper);
  EXPECT_EQ(after.tip.cutLower, before.tip.cutLower);
  EXPECT_EQ(after.root.params, before.root.params);
  EXPECT_EQ(after.span, before.span);
  const MovePlanner::Position at = rig.planner.towers();
  EXPECT_EQ(at.XG, 12.0 + rig.config.table.ZeroX);
  EXPECT_EQ(at.YD, 31.0 + rig.config.table.ZeroY);
  EXPECT_TRUE(rig.planner.lastError().empty());
  EXPECT_TRUE(rig.planner.messageBoxesOn());
  EXPECT_EQ(rig.config.foams.cutSpeed, 1.25);
  EXPECT_EQ(rig.config.foams.currentHeat, 17);
  EXPECT_TRUE(rig.prompt.calls().empty());  // no clearance question, no message

  // A refusal is the simulation's error, not a message box.
  rig.doc.current().span = 5000.0;  // wider than the table
  const CutSimulation refused = CutSimulation::plan(rig.doc, rig.env, 2.0);
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.error.find("5000"), std::string::npos) << refused.error;
  EXPECT_TRUE(rig.prompt.calls().empty());
  EXPECT_EQ(rig.planner.towers().XG, 12.0 + rig.config.table.ZeroX);
}

// Boundaries, interpolation, speeds, pauses, ends of moves (also of no
// duration) and clamped times.
TEST(CutSimulationTest, TimeLineInterpolatesWithinMovesAndGivesTheirSpeeds) {
  SimulationRig rig;
  const CutSimulation sim = CutSimulation::plan(rig.doc, rig.env, 2.5);
  ASSERT_TRUE(sim.ok()) << sim.error;
  std::size_t cut = 0;
  const std::string label = formatMessage(Msg::UpperSurfaceCutPoint, {"40"});
  while (cut < sim.moves.size() && sim.moves[cut].label != label) ++cut;
  ASSERT_LT(cut, sim.moves.size());
  const SimulatedMove& m = sim.moves[cut];
  const WirePoints& from = sim.moves[cut - 1].end;
  ASSERT_GT(m.duration, 0.0);

  const WireState boundary = sim.at(m.start);
  EXPECT_EQ(boundary.move, cut);
  EXPECT_EQ(boundary.label, label);
  EXPECT_LT(gap(boundary.wire.root, from.root), 1e-9);

  const WireState inside = sim.at(m.start + 0.25 * m.duration);
  // The wire and the times within a move are in the scenes' reviewed dumps
  // (tests/scene); its speeds are here.
  EXPECT_EQ(inside.move, cut);
  EXPECT_NEAR(inside.rootSpeed, 2.5, 1e-9);  // the root face advances at the cut speed
  EXPECT_NEAR(inside.tipSpeed, gap(from.tip, m.end.tip) / m.duration, 1e-9);
  EXPECT_NEAR(inside.leftSpeed, gap(from.left, m.end.left) / m.duration, 1e-9);
  EXPECT_LT(inside.tipSpeed, inside.rootSpeed);   // the tip is the smaller section
  EXPECT_GT(inside.leftSpeed, inside.rootSpeed);  // the left tower is beyond the root

  ASSERT_EQ(sim.moves.front().label, messageText(Msg::Tempo));
  const WireState heating = sim.at(0.5 * sim.moves.front().duration);
  EXPECT_EQ(heating.move, 0u);
  EXPECT_EQ(heating.rootSpeed + heating.tipSpeed + heating.leftSpeed + heating.rightSpeed, 0.0);

  // Going to a move shows the wire at its end with that move (at() shows
  // the next one there), also for a move of no duration, which at() passes over.
  const WireState ended = sim.atMoveEnd(cut);
  EXPECT_EQ(ended.move, cut);
  EXPECT_EQ(ended.label, label);
  EXPECT_EQ(ended.fraction, 1.0);
  EXPECT_NEAR(ended.time, m.start + m.duration, 1e-9);
  EXPECT_NEAR(ended.time + ended.remaining, sim.totalTime, 1e-9);
  EXPECT_LT(gap(ended.wire.tip, m.end.tip), 1e-9);
  EXPECT_NEAR(ended.rootSpeed, 2.5, 1e-9);
  EXPECT_EQ(sim.at(ended.time).move, cut + 1);
  CutSimulation instant = sim;
  SimulatedMove& none = instant.moves[cut];
  const double lost = none.duration;
  none.duration = 0.0;
  for (std::size_t k = cut + 1; k < instant.moves.size(); ++k) instant.moves[k].start -= lost;
  instant.totalTime -= lost;
  EXPECT_EQ(instant.at(none.start).move, cut + 1);
  const WireState standing = instant.atMoveEnd(cut);
  EXPECT_EQ(standing.move, cut);
  EXPECT_EQ(standing.label, label);
  EXPECT_EQ(standing.time, none.start);
  EXPECT_EQ(standing.rootSpeed, 0.0);
  EXPECT_LT(gap(standing.wire.tip, m.end.tip), 1e-9);
  EXPECT_EQ(sim.atMoveEnd(sim.moves.size()).time, sim.totalTime);

  const WireState late = sim.at(sim.totalTime + 50.0);
  EXPECT_EQ(late.move, sim.moves.size() - 1);
  EXPECT_EQ(late.remaining, 0.0);
  EXPECT_LT(gap(late.wire.left, sim.moves.back().end.left), 1e-9);
  EXPECT_EQ(sim.at(-3.0).time, 0.0);
}

// Where the driver reports the towers; without a position, at the end of
// the moves output; another list only moves the wire.
TEST(CutSimulationTest, FollowsAJobsReportedPosition) {
  SimulationRig rig;
  const CutSimulation sim = CutSimulation::plan(rig.doc, rig.env, 2.5);
  ASSERT_TRUE(sim.ok());
  const std::size_t i = sim.moves.size() / 2;
  const SimulatedMove& m = sim.moves[i];
  const WirePoints& from = sim.moves[i - 1].end;
  ASSERT_GT(m.duration, 0.0);
  CutJobProgress progress;
  progress.moveCount = sim.moves.size();
  progress.moveIndex = i;
  progress.label = m.label;
  const auto at = [&](double f) {
    return WirePosition{from.left.x + f * (m.end.left.x - from.left.x),
                        from.left.y + f * (m.end.left.y - from.left.y),
                        from.right.x + f * (m.end.right.x - from.right.x),
                        from.right.y + f * (m.end.right.y - from.right.y)};
  };
  progress.position = at(0.6);
  const WireState followed = sim.follow(progress);
  EXPECT_EQ(followed.move, i);
  EXPECT_NEAR(followed.time, m.start + 0.6 * m.duration, 1e-6);
  EXPECT_NEAR(followed.wire.left.x, progress.position->XG, 1e-9);
  EXPECT_LT(gap(followed.wire.root, sim.at(m.start + 0.6 * m.duration).wire.root), 1e-6);

  progress.position.reset();
  EXPECT_NEAR(sim.follow(progress).time, m.start, 1e-9);

  progress.moveCount = 3;  // a retreat: its own list
  progress.position = at(1.0);
  const WireState other = sim.follow(progress);
  EXPECT_LT(gap(other.wire.tip, m.end.tip), 1e-6);
  EXPECT_EQ(other.move, sim.moves.size());
}

// The survey's warnings at their moves' face points: the badly placed panel
// has a mirrored tower and heating in the block, the others none.
TEST(CutSimulationTest, CarriesTheSurveysWarningsAtTheirMovesFacePoints) {
  for (const bool badly : {true, false}) {
    SCOPED_TRACE(badly ? "placed badly" : "placed well");
    test::ProjectRig rig;
    test::MirroredTowerCase::table(rig.config.table);
    test::MirroredTowerCase::foams(rig.config.foams);
    rig.planner.ResetPlanner();
    test::MirroredTowerCase::panel(rig.doc, badly);
    const PanelCutSurvey survey = SurveyPanelCut(rig.doc, rig.env);
    ASSERT_TRUE(survey.ok());
    const CutSimulation sim = CutSimulation::plan(rig.doc, rig.env);
    ASSERT_TRUE(sim.ok()) << sim.error;
    ASSERT_EQ(sim.warnings.size(), survey.warnings.size());
    EXPECT_EQ(sim.warnings.empty(), !badly);
    bool mirrored = false;
    for (std::size_t i = 0; i < sim.warnings.size(); ++i) {
      const SimulationWarning& w = sim.warnings[i];
      const CutWarning& expected = survey.warnings[i];
      EXPECT_EQ(w.moveIndex, expected.move);
      EXPECT_EQ(w.lastMoveIndex, expected.lastMove);
      EXPECT_EQ(w.label, expected.label);
      EXPECT_EQ(w.text, expected.message);
      ASSERT_LT(w.moveIndex, sim.moves.size());
      EXPECT_EQ(sim.moves[w.moveIndex].label, w.label);
      // Face 1 is the root's on this right wing and table.
      EXPECT_LT(gap(w.root, expected.where.face1), 1e-6) << w.text;
      EXPECT_LT(gap(w.tip, expected.where.face2), 1e-6) << w.text;
      if (expected.kind == CutWarningKind::TowerBackwards) mirrored = true;
      // The time line goes to the end of the warning's move, the wire at its ring.
      EXPECT_LT(gap(sim.atMoveEnd(w.moveIndex).wire.root, w.root), 1e-9);
    }
    EXPECT_EQ(mirrored, badly);
    if (badly) {
      // The heating is the first move: the wire at the start of the cut.
      ASSERT_FALSE(sim.warnings.empty());
      EXPECT_EQ(sim.warnings.front().moveIndex, 0u);
      EXPECT_EQ(sim.warnings.front().text.rfind("Move 1 (Tempo): ", 0), 0u);
      EXPECT_EQ(sim.atMoveEnd(0).time, sim.moves.front().duration);
      EXPECT_LT(gap(sim.atMoveEnd(0).wire.left, sim.start.left), 1e-9);
    }
  }
  SimulationRig example;
  for (int panel = 0; panel < static_cast<int>(example.doc.panels.size()); ++panel) {
    example.doc.currentPanel = panel;
    const CutSimulation sim = CutSimulation::plan(example.doc, example.env);
    ASSERT_TRUE(sim.ok()) << sim.error;
    EXPECT_TRUE(sim.warnings.empty()) << "panel " << panel << ": " << sim.warnings.front().text;
  }
}

}  // namespace
}  // namespace orva
