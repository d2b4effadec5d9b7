#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "config/FoamDatabase.h"
#include "config/TableConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "motion/CutMove.h"
#include "motion/MovePlanner.h"
#include "support/StepStreams.h"

namespace orva {
namespace {

using test::Bytes;
using test::mm4;
using test::Mm4;
using Steps = std::array<std::int64_t, 4>;
using Entries = std::vector<std::pair<int, int>>;
using Texts = std::vector<std::string>;

Entries entriesOf(const CutMove& m) { return test::entriesOf(m.entries); }
Entries towerSteps(const CutMove& m, int nibble) { return test::towerSteps(m.entries, nibble); }
Steps stepsOf(const CutMove& m) { return test::stepsOf(m.entries); }

// A table with round numbers: X 32 steps/mm (XNtour 64, pitch 2: a step is
// 1/32 mm), Y 64 steps/mm (1/64 mm), timer 0.5 ms, X at least 2 ms between
// steps (15.625 mm/s), Y 1 ms (15.625 mm/s); 1000 mm between the towers.
TableConfig roundTable() {
  TableConfig t;
  t.Entraxe = t.AxesX = 1000;
  t.AxesY = 500;
  t.XNtour = t.YNtour = 64;
  t.XPas = t.XVmax = 2.0;
  t.YPas = t.YVmax = 1.0;
  t.XPasInvSens = t.YPasInvSens = 0;
  return t;
}

class PlannerTest : public ::testing::Test {
 protected:
  PlannerTest()
      : driver(std::make_unique<SimulatedMachine>(), prompt),
        foams(driver, prompt),
        planner(table, foams, prompt) {
    foams.cutSpeed = 5.0;
  }

  // Bare-wire move: the face points are the tower points.
  std::optional<CutMove> wire(double xg, double yg, double xd, double yd,
                              SpeedMode mode = SpeedMode::Rapid, std::string_view label = "m") {
    return planner.PlanMove(0.0, table.Entraxe, mode, xg, yg, xd, yd, label);
  }
  void at(double v) { planner.SetPlannerPosition(v, v, v, v); }

  ScriptedPrompt prompt;
  TableConfig table = roundTable();
  InterfaceDriver driver;
  FoamDatabase foams;
  MovePlanner planner;
};

// --- Geometry --------------------------------------------------------------

TEST_F(PlannerTest, ProjectsTheWireLineOntoTheTowers) {
  // Block from 200 to 700 mm along the wire; slope 50/500 = 0.1 in X and Y.
  const auto move =
      planner.PlanMove(200.0, 500.0, SpeedMode::FaceMax, 100.0, 50.0, 150.0, 100.0, "block");
  ASSERT_TRUE(move);
  EXPECT_EQ(test::targetsOf(*move), (Mm4{80.0, 30.0, 180.0, 130.0}));
  // The longer face path (face 2, 150/100 from 0/0) at 5 mm/s.
  EXPECT_DOUBLE_EQ(move->duration, std::sqrt(150.0 * 150.0 + 100.0 * 100.0) / 5.0);
  EXPECT_EQ(mm4(planner.facePoints()), (Mm4{100.0, 50.0, 150.0, 100.0}));
  // Every step of the towers is in the stream: 80 mm * 32, 30 mm * 64, ...
  EXPECT_EQ(stepsOf(*move), (Steps{2560, 1920, 5760, 8320}));
  // A script move after it still starts from the towers, not the face points.
  const auto script = planner.PlanScriptMove(90.0, 40.0, 170.0, 120.0, 0.0, "script");
  ASSERT_TRUE(script);
  EXPECT_EQ(stepsOf(*script), (Steps{320, 640, -320, -640}));

  // The reverse table's block offset (E - offset - width) and the machine
  // zero added to every target are in the whole cuts (tests/data/cuts).
}

TEST_F(PlannerTest, PausesAreChunksOfWholeMilliseconds) {
  // The pauses of the whole cuts (tests/data/cuts) wait in chunks of
  // trunc(126 * 0.5) = 63 ms, then the rest, where the wire stands.
  EXPECT_EQ(planner.PlanDwell(0.0)->entryCount(), 0u);

  table.Tempo = 0.0079;  // trunc(126 * 0.0079) = 0 ms chunks
  EXPECT_FALSE(planner.PlanDwell(10.0));
  EXPECT_EQ(prompt.messages(),
            Texts{"Timer period 0.0079 ms too short for a pause: it must be at least 1/126 ms"});
  table.Tempo = 0.008;  // 1 ms chunks of 125 periods
  const auto fine = planner.PlanDwell(3.0);
  ASSERT_TRUE(fine);
  EXPECT_EQ(entriesOf(*fine), (Entries{{125, 0}, {125, 0}, {125, 0}}));
}

// --- Stream content --------------------------------------------------------

TEST_F(PlannerTest, RapidStillAndRotatingMovesRunAtTheMotorPace) {
  // Zero length: one X step time (XVmax 2 ms = 4 periods) without stepping.
  const auto still = wire(0.0, 0.0, 0.0, 0.0, SpeedMode::TowerMax);
  ASSERT_TRUE(still);
  EXPECT_EQ(still->entries, (Bytes{0x84, 0x00}));
  EXPECT_FALSE(still->hasSteps());
  EXPECT_EQ(still->duration, 0.0);

  // Rapid: 320 X steps of 2 ms on both towers, 0.64 s.
  const auto rapid = wire(10.0, 0.0, 10.0, 0.0);
  ASSERT_TRUE(rapid);
  EXPECT_DOUBLE_EQ(rapid->duration, 0.64);
  EXPECT_EQ(entriesOf(*rapid), Entries(320, {4, 0xCC}));

  // Face 1 (the left tower) stays: duration 0, yet the right tower moves 320
  // X steps, each at the slower axis' minimum (Y made the slower, 3 ms = 6
  // periods). The still left tower's one entry of 4 periods comes first.
  table.YVmax = 3.0;
  planner.SetPlannerPosition(100.0, 50.0, 100.0, 50.0);
  const auto rotation = wire(100.0, 50.0, 110.0, 50.0, SpeedMode::Face1);
  ASSERT_TRUE(rotation);
  EXPECT_EQ(rotation->duration, 0.0);
  Entries paced(320, {6, 0xC0});
  paced[0] = {2, 0xC0};
  paced.insert(paced.begin(), {4, 0});
  EXPECT_EQ(entriesOf(*rotation), paced);
}

// Y leads with 5 Y and 2 X steps: the ideal X after i Y steps is
// i * 0.8 * 1/64 mm = i * 0.0125 mm; X steps when that passes the X made
// (0, then 1/32 mm): at i = 1 and i = 3. With 4 Y steps the ideal X reaches
// the X made exactly at i = 2, which is not past it: X steps at i = 1 and 3.
// (X leading is in the closed outline's step dump, tests/data/cuts.)
TEST_F(PlannerTest, LeadingAxisDistributionSpreadsTheOtherAxisSteps) {
  for (const auto& [ySteps, expected] : {std::pair{5, std::vector<int>{10, 2, 10, 2, 2}},
                                         std::pair{4, std::vector<int>{10, 2, 10, 2}}}) {
    at(10.0);
    const auto yLeads =
        planner.PlanScriptMove(10.0 - 2.0 / 32, 10.0 - ySteps / 64.0, 10.0, 10.0, 0.1, "");
    ASSERT_TRUE(yLeads);
    std::vector<int> commands;
    for (const auto& step : towerSteps(*yLeads, 0)) commands.push_back(step.second);
    EXPECT_EQ(commands, expected) << ySteps << " Y steps";
  }
}

TEST_F(PlannerTest, EveryEntryWaitsThePeriodsOwedByTheExactTime) {
  // 1000 X steps in 0.7 s: 0.7 ms apart on a 0.3 ms timer, delays of 2 or 3
  // periods as the owed time dictates (2333 periods = 1000 * 2 + 333); and 64
  // steps in 20 ms, where the owed time lands on ties between two counts.
  table.Tempo = 0.3;
  for (const auto& [xvmax, mm, seconds, count] :
       {std::tuple{0.6, 1000.0 / 32, 0.7, 1000}, std::tuple{0.3, 2.0, 0.02, 64}}) {
    table.XVmax = xvmax;
    at(10.0);
    const auto move = planner.PlanScriptMove(10.0 + mm, 10.0, 10.0, 10.0, seconds, "");
    ASSERT_TRUE(move);
    CutMove reference;
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(AppendStep(reference, 1, 0, seconds * 1000.0 / count, 0.3));
    }
    EXPECT_EQ(towerSteps(*move, 0), towerSteps(reference, 0)) << count;
    EXPECT_EQ(move->scheduledTime, reference.scheduledTime);
    EXPECT_EQ(move->exactTime, reference.exactTime);
  }
}

// --- Backlash ----------------------------------------------------------------

// The backlash steps first after a reversal, at their own speed, are in the
// closed outline's step dump (tests/data/cuts). At 1 % of the X speed a
// backlash step waits 200 ms = 400 periods: three wait entries before each,
// 12 entries where the step count gives room for 3.
TEST_F(PlannerTest, SlowBacklashStepsWaitInEntriesOfTheirOwn) {
  table.XPasInvSens = 3;
  table.VitesseInvSensX = 1;
  ASSERT_TRUE(wire(1.0, 0.0, 1.0, 0.0));  // the first move never compensates
  const auto slow = wire(0.5, 0.0, 0.5, 0.0);
  ASSERT_TRUE(slow);
  EXPECT_EQ(slow->entryCount(), 3u * 4u + 16u);
  EXPECT_EQ(stepsOf(*slow), (Steps{-19, 0, -19, 0}));
  EXPECT_EQ(test::totalTicks(slow->entries), 3 * 400 + 16 * 4);
  EXPECT_DOUBLE_EQ(slow->scheduledTime, 632.0);
}

TEST_F(PlannerTest, BacklashOfBothAxesStepsThemTogetherAtTheSlowerPace) {
  table.XPasInvSens = 3;
  table.YPasInvSens = 2;
  table.XVmax = 1.0;
  table.YVmax = 2.0;
  table.VitesseInvSensY = 50;
  at(10.0);
  ASSERT_TRUE(wire(11.0, 11.0, 11.0, 11.0));
  const auto back = planner.PlanScriptMove(10.0, 10.0, 11.0, 11.0, 0.0, "");
  ASSERT_TRUE(back);
  // bx = 3 >= by = 2: two entries stepping X- and Y- at 2 * 100 / 50 = 4 ms,
  // then one X- entry at 1 * 100 / 100 = 1 ms; the right tower stays.
  const auto steps = towerSteps(*back, 0);
  ASSERT_GE(steps.size(), 3u);
  EXPECT_EQ(Entries(steps.begin(), steps.begin() + 3), (Entries{{8, 0x0A}, {8, 0x0A}, {2, 0x08}}));
  EXPECT_TRUE(towerSteps(*back, 1).empty());

  // by > bx with X the slower axis: both at 2 * 100 / 50 = 4 ms, then Y alone
  // at 1 * 100 / 100 = 1 ms.
  table.XPasInvSens = 1;
  table.XVmax = 2.0;
  table.YVmax = 1.0;
  table.VitesseInvSensX = 50;
  table.VitesseInvSensY = 100;
  const auto again = planner.PlanScriptMove(11.0, 11.0, 11.0, 11.0, 0.0, "");
  ASSERT_TRUE(again);
  const auto more = towerSteps(*again, 0);
  ASSERT_GE(more.size(), 2u);
  EXPECT_EQ(Entries(more.begin(), more.begin() + 2), (Entries{{8, 0x0F}, {2, 0x03}}));

  // Equal step times: both at the lower of the two speeds, 2 * 100 / 50 = 4 ms.
  table.YVmax = 2.0;
  const auto equal = planner.PlanScriptMove(10.0, 10.0, 11.0, 11.0, 0.0, "");
  ASSERT_TRUE(equal);
  const auto down = towerSteps(*equal, 0);
  ASSERT_GE(down.size(), 2u);
  EXPECT_EQ(Entries(down.begin(), down.begin() + 2), (Entries{{8, 0x0A}, {4, 0x02}}));
}

TEST_F(PlannerTest, ResetKeepsTheLastDirections) {
  table.ZeroX = 50.0;
  table.XPasInvSens = 2;
  planner.ResetPlanner();
  ASSERT_TRUE(wire(1.0, 0.0, 1.0, 0.0));
  planner.ResetPlanner();
  EXPECT_EQ(planner.towers().XG, 50.0);
  const auto back = wire(-1.0, 0.0, -1.0, 0.0);
  ASSERT_TRUE(back);
  EXPECT_EQ(stepsOf(*back)[0], -(32 + 2));
}

// --- Limits, speeds and refusals -----------------------------------------------

TEST_F(PlannerTest, TravelAndBlockLimitsNameTheFirstAxisOutsideAndResetThePlanner) {
  EXPECT_TRUE(wire(-0.00001, 0.0, 0.0, 0.0));  // a hundredth of a micron below zero is fine
  EXPECT_TRUE(prompt.messages().empty());
  planner.ResetPlanner();
  EXPECT_FALSE(wire(-0.0000101, 0.0, 0.0, 0.0, SpeedMode::Rapid, "Lbl"));
  ASSERT_EQ(prompt.calls().size(), 1u);
  EXPECT_EQ(prompt.calls()[0].icon, MessageIcon::None);
  // XG, XD, YG, YD order.
  at(10.0);
  EXPECT_FALSE(planner.PlanScriptMove(5.0, 600.0, 1000.5, -3.7, 1.0, "a"));
  EXPECT_FALSE(planner.PlanScriptMove(5.0, -3.7, 5.0, 512.9, 1.0, "b"));
  EXPECT_FALSE(planner.PlanScriptMove(5.0, 10.0, 5.0, 512.9, 1.0, "c"));
  // Every failure puts the planner back at the machine zero.
  EXPECT_EQ(mm4(planner.towers()), (Mm4{}));
  EXPECT_EQ(mm4(planner.facePoints()), (Mm4{}));
  EXPECT_FALSE(planner.PlanMove(0.0, 1200.7, SpeedMode::Face1, 1, 1, 1, 1, ""));
  EXPECT_FALSE(planner.PlanMove(800.9, 199.5, SpeedMode::Face1, 1, 1, 1, 1, ""));
  EXPECT_EQ(
      prompt.messages(),
      (Texts{"left X axis limit overflow : 0 mm, Lbl", "right X axis limit overflow : 1000 mm, a",
             "left Y axis limit overflow : -3 mm, b", "right Y axis limit overflow : 512 mm, c",
             "Block size greater than  XD-XG size: 1200",
             "Right block position greater than XD-XG size: 1000"}));
}

TEST_F(PlannerTest, StepRateAboveTheMotorLimitIsRefused) {
  foams.cutSpeed = 20.0;
  at(100.0);
  // 10 mm of X in 0.5 s: 320 steps of 1.5625 ms < 2 ms; 2 * 1000 / (1.5625 * 64) = 20.
  EXPECT_FALSE(wire(110.0, 100.0, 110.0, 100.0, SpeedMode::TowerMax, "fast"));
  at(100.0);
  // 10 mm of Y: 640 steps of 0.78125 ms < 1 ms.
  EXPECT_FALSE(wire(100.0, 110.0, 100.0, 110.0, SpeedMode::TowerMax, "up"));
  // Y leads on a 45 degree line; X (now at most 2000 / (64 * 3) = 10.4 mm/s)
  // would need 14.14 mm/s.
  table.XVmax = 3.0;
  at(100.0);
  EXPECT_FALSE(wire(110.0, 110.0, 110.0, 110.0, SpeedMode::TowerMax, "diag"));
  EXPECT_EQ(planner.towers().XG, 0.0);
  // 320 X steps (10 mm): periods 1.9991 ms (allowed) and 1.9989 ms against XVmax = 2.
  table.XVmax = 2.0;
  at(10.0);
  EXPECT_TRUE(planner.PlanScriptMove(20.0, 10.0, 10.0, 10.0, 1.9991 * 320 / 1000, ""));
  at(10.0);
  EXPECT_FALSE(planner.PlanScriptMove(20.0, 10.0, 10.0, 10.0, 1.9989 * 320 / 1000, "p"));
  // 2 * 1000 / (1.9989 * 64) = 15.634; the right tower stays: the error is the left one's.
  EXPECT_EQ(prompt.messages(),
            (Texts{"Speed above step motor limit on X left axis : 20.00 mm/s, fast",
                   "Speed above step motor limit on Y left axis : 20.00 mm/s, up",
                   "Speed above step motor limit on X left axis : 14.14 mm/s, diag",
                   "Speed above step motor limit on X left axis : 15.63 mm/s, p"}));
}

TEST_F(PlannerTest, TableValuesThatWouldDivideByZeroAreRefusedBeforePlanning) {
  struct Case {
    void (*edit)(TableConfig&);
    std::string message;
  };
  const std::vector<Case> cases{
      {[](TableConfig& t) { t.Tempo = 0.0; },
       "Invalid timer period 0 ms: it must be greater than 0"},
      {[](TableConfig& t) { t.XPas = 0.0; },
       "Invalid screw thread on X axis: 0 mm, it must be greater than 0"},
      {[](TableConfig& t) { t.YPas = -1.0; },
       "Invalid screw thread on Y axis: -1 mm, it must be greater than 0"},
      {[](TableConfig& t) { t.XNtour = 0; },
       "Invalid steps per revolution on X axis: 0, it must be greater than 0"},
      {[](TableConfig& t) { t.YNtour = -48; },
       "Invalid steps per revolution on Y axis: -48, it must be greater than 0"},
      {[](TableConfig& t) { t.XVmax = -5.0; },
       "Invalid minimum time between steps on X axis: -5 ms, it must not be negative"},
      {[](TableConfig& t) {
         t.XPasInvSens = 2;
         t.VitesseInvSensY = 0;
       },
       "Invalid backlash compensation speed on Y axis: 0 percent, it must be greater than 0"},
  };
  for (const Case& c : cases) {
    table = roundTable();
    c.edit(table);
    prompt.clear();
    at(10.0);
    EXPECT_FALSE(wire(11.0, 11.0, 11.0, 11.0)) << c.message;
    EXPECT_FALSE(planner.PlanScriptMove(11.0, 11.0, 11.0, 11.0, 1.0, "")) << c.message;
    EXPECT_EQ(prompt.messages(), (Texts{c.message, c.message}));
    EXPECT_EQ(planner.towers().XG, 0.0) << c.message;
  }
}

TEST_F(PlannerTest, BrokenInputsAndOverlongMovesAreRefusedNotTurnedIntoSteps) {
  EXPECT_FALSE(planner.PlanMove(0.0, 0.0, SpeedMode::Face1, 1, 1, 2, 2, "w0"));
  EXPECT_FALSE(planner.PlanMove(0.0, -5.0, SpeedMode::Face1, 1, 1, 2, 2, "w-"));
  EXPECT_FALSE(wire(std::nan(""), 1.0, 1.0, 1.0, SpeedMode::Rapid, "nan"));
  EXPECT_FALSE(planner.PlanScriptMove(1.0, 1.0, 1.0, HUGE_VAL, 1.0, "inf"));
  EXPECT_FALSE(planner.PlanScriptMove(1.0, 1.0, 1.0, 1.0, std::nan(""), "T"));
  EXPECT_FALSE(planner.PlanDwell(std::nan("")));
  foams.cutSpeed = 1e-320;  // a duration beyond the double range
  EXPECT_FALSE(wire(1.0, 1.0, 1.0, 1.0, SpeedMode::TowerMax, "slow"));
  // One step spread over 10^12 s: billions of wait entries; then 10^12 steps per mm.
  at(10.0);
  EXPECT_FALSE(planner.PlanScriptMove(10.1, 10.0, 10.0, 10.0, 1e12, "long"));
  EXPECT_FALSE(planner.PlanDwell(1e15));
  table.XNtour = 1000000000;
  table.XPas = 0.001;
  table.XVmax = 0.0;
  EXPECT_FALSE(wire(5.0, 0.0, 5.0, 0.0, SpeedMode::Rapid, "fine"));
  const std::string tooLong = "Move too long: more than 2147483648 step entries needed, ";
  EXPECT_EQ(prompt.messages(), (Texts{"Invalid block width: 0 mm, it must be greater than 0, w0",
                                      "Invalid block width: -5 mm, it must be greater than 0, w-",
                                      "Invalid move: a value is not a finite number, nan",
                                      "Invalid move: a value is not a finite number, inf",
                                      "Invalid move: a value is not a finite number, T",
                                      "Invalid move: a value is not a finite number, Tempo",
                                      "Invalid move: a value is not a finite number, slow",
                                      tooLong + "long", tooLong + "Tempo", tooLong + "fine"}));
}

// --- Errors while message boxes are off, and the speed survey -------------------

TEST_F(PlannerTest, ErrorsAreStoredWhileMessageBoxesAreOff) {
  planner.BeginSpeedSurvey(true);
  EXPECT_FALSE(planner.surveying());
  EXPECT_FALSE(planner.messageBoxesOn());
  EXPECT_FALSE(wire(-1.0, 0.0, 0.0, 0.0, SpeedMode::Rapid, "one"));
  EXPECT_FALSE(wire(0.0, 0.0, 0.0, 600.0, SpeedMode::Rapid, "two"));
  EXPECT_TRUE(prompt.calls().empty());
  EXPECT_EQ(planner.lastError(), "right Y axis limit overflow : 600 mm, two");
  double speed = 3.5;
  std::string label, error;
  planner.EndSpeedSurvey(true, speed, label, error);
  EXPECT_EQ(speed, 3.5);  // errors only: the caller's speed stays
  EXPECT_EQ(error, "right Y axis limit overflow : 600 mm, two");
  EXPECT_TRUE(planner.messageBoxesOn());
}

TEST_F(PlannerTest, SurveyOfFastMovesReports100) {
  table.XVmax = 0.1;  // X up to 312.5 mm/s, Y up to 156.25 mm/s
  table.YVmax = 0.1;
  planner.BeginSpeedSurvey(false);
  EXPECT_TRUE(planner.surveying());
  ASSERT_TRUE(wire(10.0, 10.0, 10.0, 10.0, SpeedMode::FaceMax));
  ASSERT_TRUE(wire(40.0, 10.0, 40.0, 10.0, SpeedMode::Face1));
  ASSERT_TRUE(wire(40.0, 10.0, 40.0, 10.0, SpeedMode::Face2));  // no steps: no limit
  table.XVmax = 0.0;  // motors without a minimum step time set no limit either
  table.YVmax = 0.0;
  ASSERT_TRUE(wire(41.0, 11.0, 41.0, 11.0, SpeedMode::TowerMax));
  double speed = 0.0;
  std::string label = "x", error = "y";
  planner.EndSpeedSurvey(false, speed, label, error);
  EXPECT_EQ(speed, 100.0);
  EXPECT_EQ(label + error, "");
  EXPECT_FALSE(planner.surveying());
}

TEST_F(PlannerTest, SurveyFindsTheSlowestMoveAndPlansAtItsFastestSpeed) {
  planner.BeginSpeedSurvey(false);
  // 10 mm of X: 320 steps of 2 ms = 0.64 s, 15.625 mm/s.
  const auto first = wire(10.0, 0.0, 10.0, 0.0, SpeedMode::Face1, "first");
  ASSERT_TRUE(first);
  EXPECT_DOUBLE_EQ(first->duration, 0.64);
  // 3 mm X and 4 mm Y: max(96 * 2, 256 * 1) ms = 0.256 s for 5 mm, 19.53 mm/s.
  ASSERT_TRUE(wire(13.0, 4.0, 13.0, 4.0, SpeedMode::TowerMax, "second"));
  // A rotation about face 1 sets no limit.
  ASSERT_TRUE(wire(13.0, 4.0, 23.0, 4.0, SpeedMode::Face1, "third"));
  EXPECT_DOUBLE_EQ(planner.surveySpeed(), 15.625);
  double speed = 0.0;
  std::string label, error;
  planner.EndSpeedSurvey(false, speed, label, error);
  EXPECT_DOUBLE_EQ(speed, 15.62);
  EXPECT_EQ(label, "first");
}

// --- Time keeping and the machine ------------------------------------------------

TEST_F(PlannerTest, PlannedMovesTakeTheMachineExactlyToTheTargets) {
  table.XPasInvSens = 3;
  table.YPasInvSens = 2;
  table.VitesseInvSensX = 50;
  table.VitesseInvSensY = 80;
  foams.cutSpeed = 4.0;
  SimulatedMachineParams params;
  params.tempoMs = table.Tempo;
  params.xStepsPerMm = table.XNtour / table.XPas;
  params.yStepsPerMm = table.YNtour / table.YPas;
  params.xBacklashSteps = table.XPasInvSens;
  params.yBacklashSteps = table.YPasInvSens;
  SimulatedMachine machine(params);
  ASSERT_TRUE(machine.open());

  // Every axis first moves away from the zero, then back and forth: reversals
  // on every axis, sub-step moves, a pause, script moves and block moves.
  const std::vector<std::optional<CutMove>> moves{
      wire(30.0, 20.0, 40.0, 25.0, SpeedMode::Rapid, "start"),
      planner.PlanMove(100.0, 700.0, SpeedMode::FaceMax, 35.3, 22.1, 31.7, 24.9, "cut 1"),
      planner.PlanMove(100.0, 700.0, SpeedMode::Face1, 35.3, 21.3, 33.0, 24.0, "cut 2"),
      planner.PlanMove(100.0, 700.0, SpeedMode::Face2, 35.301, 21.299, 33.0, 24.0, "tiny"),
      planner.PlanMove(100.0, 700.0, SpeedMode::TowerMax, 20.4, 30.7, 25.2, 19.9, "cut 3"),
      planner.PlanDwell(250.0),
      planner.PlanScriptMove(12.34, 5.67, 8.9, 10.11, 3.0, "script"),
      planner.PlanScriptMove(12.34, 5.67, 8.9, 10.11, 0.5, "pause"),
      planner.PlanScriptMove(12.0, 6.0, 9.5, 9.0, 0.0, "rapid"),
      wire(12.0, 6.0, 9.5, 9.0, SpeedMode::TowerMax, "still"),
      wire(60.0, 2.0, 3.0, 45.0, SpeedMode::Rapid, "end")};
  double scheduled = 0.0;
  for (const auto& move : moves) {
    ASSERT_TRUE(move);
    scheduled += move->scheduledTime;
    if (move->entries.empty()) continue;
    ASSERT_EQ(machine.sendSteps(move->entries.data(), move->entries.size()).bytesReturned, 0u)
        << move->label;
  }
  const MachineSnapshot snap = machine.snapshot();
  const Mm4 target = mm4(planner.towers());
  const Mm4 residual = mm4(planner.residuals());
  EXPECT_EQ(target, (Mm4{60.0, 2.0, 3.0, 45.0}));
  const std::array<Axis, 4> axes{Axis::XG, Axis::YG, Axis::XD, Axis::YD};
  for (int i = 0; i < 4; ++i) {
    const double step = i % 2 == 0 ? 1.0 / 32 : 1.0 / 64;
    // The residual is what is missing, and less than a step.
    EXPECT_NEAR(snap[axes[i]].actualMm, target[i] - residual[i], 1e-9) << i;
    EXPECT_LT(std::abs(residual[i]), step) << i;
  }
  EXPECT_NEAR(snap.elapsedMs, scheduled, 1e-6);
}

}  // namespace
}  // namespace orva
