#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "driver/SimulatedMachine.h"
#include "motion/CutJob.h"
#include "motion/CutMove.h"
#include "motion/CutScript.h"
#include "motion/MovePlanner.h"
#include "support/Golden.h"
#include "support/LowerLayerRigs.h"
#include "support/MachineRig.h"
#include "support/StepStreams.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

using Bench = test::ScriptBench;
using test::table32;

// A move to the given targets relative to the machine zero of table32().
CutMove moveTo(std::string label, double duration, double xg, double yg, double xd, double yd) {
  CutMove m;
  m.label = std::move(label);
  m.duration = duration;
  m.XG = 12.5 + xg;
  m.YG = 7.25 + yg;
  m.XD = 12.5 + xd;
  m.YD = 7.25 + yd;
  return m;
}

// ---------------------------------------------------------------------------
// Writing

TEST(CutScriptWriter, WritesHeaderMoveLinesAndStepDumpExactlyUnderTheCutExtension) {
  Bench b;
  b.config.foams.SelectFoam("Poly expansé");
  b.config.foams.currentHeat = 45;
  b.env.output.stepDetails = true;

  CutMove a = moveTo("Move to block start", 2.5, 20.0, 35.0, 20.0, 35.0);
  // -YG +XG after 3 periods; a wait entry; +YD +XD after 5; -YG -YD -XD at once.
  a.entries = {0x83, 0x0E, 0xFF, 0x00, 0x85, 0xF0, 0x80, 0xA2};
  const MoveList moves{a,
                       moveTo("two\nlines", 1.0 / 3.0, 2.0 / 3.0, -0.0000004, 1000.0, 123.4567896)};

  b.prompt.queueFile((b.dir / "mine.txt").string());
  ASSERT_TRUE(WriteCutScript(b.env, moves, true));

  ASSERT_EQ(b.prompt.calls().size(), 1u);
  const FileDialogRequest& request = b.prompt.calls()[0].request;
  EXPECT_EQ(b.prompt.calls()[0].kind, ScriptedPrompt::Kind::SaveFile);
  EXPECT_EQ(request.defaultName + request.initialDirectory, "out.cut" + b.dir.string());
  EXPECT_EQ(request.maxPathLength, 128u);
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].description + "|" + request.filters[0].patterns, " (*.cut)|*.cut");

  EXPECT_FALSE(fs::exists(b.dir / "mine.txt"));
  // The header (foam in Windows-1252), each move's comment and line, its step dump.
  test::expectGolden("motion/writer.cut", test::readFile(b.dir / "mine.cut"));
}

TEST(CutScriptWriter, LeavesTheHeatOutWhenSetByHandAndWritesNoMovesWithoutTheLongFlag) {
  SimulatedMachineParams params = test::machine32();
  params.heatSetByHand = true;
  Bench b(table32(), params);
  const CutMove a = moveTo("x", 0.0, 0, 0, 0, 0);
  b.prompt.queueFile((b.dir / "hand").string());
  ASSERT_TRUE(WriteCutScript(b.env, MoveList{a}, true));
  EXPECT_EQ(test::readFile(b.dir / "hand.cut"),
            "F:Blue foam\nN:Default\n// x\n"
            "T:0.000000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n");

  b.prompt.queueFile((b.dir / "header.cut").string());
  ASSERT_TRUE(WriteCutScript(b.env, MoveList{a}, false));
  EXPECT_EQ(test::readFile(b.dir / "header.cut"), "F:Blue foam\nN:Default\n");
}

TEST(CutScriptWriter, CancelAndUncreatableFilesFail) {
  Bench b;
  b.prompt.queueFile(std::nullopt);
  EXPECT_FALSE(WriteCutScript(b.env, MoveList{}, true));
  EXPECT_TRUE(b.prompt.messages().empty());

  b.prompt.queueFile((b.dir / "missing" / "out.cut").string());
  EXPECT_FALSE(WriteCutScript(b.env, MoveList{}, true));
  ASSERT_EQ(b.prompt.messages().size(), 1u);
  EXPECT_EQ(b.prompt.messages()[0].rfind("Unable to save " + (b.dir / "missing").string(), 0), 0u);
  EXPECT_FALSE(fs::exists(b.dir / "missing"));
}

// ---------------------------------------------------------------------------
// Writing, then reading and running

TEST(CutScriptRoundTrip, ReplaysTheTargetsAndDurationsRelativeToTheZeroOfAnotherTable) {
  Bench a;
  MovePlanner& p = a.planner;
  a.config.foams.cutSpeed = 5.0;
  p.SetPlannerPosition(10.0, 20.0, 10.0, 20.0);
  MoveList list;
  // The first move's target declares the start of the replay; its duration
  // (the heating pause of a written cut) stays a pause there.
  list.push_back(a.plan(p.PlanScriptMove(10.0, 20.0, 10.0, 20.0, 0.25, "pause")));
  list.push_back(a.plan(p.PlanScriptMove(40.5, 20.0, 60.25, 30.0, 3.2345678, "towers")));
  // A block cut: tower targets projected from the faces, a duration from the speed.
  list.push_back(a.plan(p.PlanMove(250.0, 400.0, SpeedMode::Face1, 60.0, 40.0, 70.3, 45.0, "cut")));
  list.push_back(a.plan(p.PlanScriptMove(30.25, 25.5, 45.75, 35.125, 2.0, "back")));
  list.push_back(a.plan(p.PlanScriptMove(30.25, 25.5, 45.75, 35.125, 1.5, "wait")));
  ASSERT_EQ(list.size(), 5u);
  ASSERT_TRUE(a.prompt.messages().empty()) << a.prompt.messages()[0];
  const MoveList original = list;

  a.prompt.queueFile((a.dir / "round").string());
  ASSERT_TRUE(WriteCutScript(a.env, list, true));
  const fs::path script = a.dir / "round.cut";

  // Another table: same drives, another machine zero.
  TableConfig other = table32();
  other.ZeroX = 30.0;
  other.ZeroY = 15.0;
  Bench b(other);
  const double shiftX = other.ZeroX - 12.5;
  const double shiftY = other.ZeroY - 7.25;

  std::optional<MoveList> replay = parseCutScript(b.env, test::readFile(script), "round.cut");
  ASSERT_TRUE(replay);
  ASSERT_EQ(replay->size(), original.size());
  for (std::size_t i = 0; i < replay->size(); ++i) {
    const auto r = test::targetsOf((*replay)[i]);
    const auto o = test::targetsOf(original[i]);
    for (int axis = 0; axis < 4; ++axis) {
      EXPECT_NEAR(r[axis], o[axis] + (axis % 2 == 0 ? shiftX : shiftY), 1e-6) << i << axis;
    }
    EXPECT_NEAR((*replay)[i].duration, original[i].duration, 5e-7) << i;
  }
  EXPECT_EQ(test::labelsOf(*replay),
            (std::vector<std::string>{"Tempo", "Script file round.cut, line 7",
                                      "Script file round.cut, line 9",
                                      "Script file round.cut, line 11", "Tempo"}));

  // On the machine: every axis ends its net travel in whole steps, and the
  // time is that of every move, the start pause included.
  b.planner.ResetPlanner();
  b.prompt.queueAnswer(Answer::Ok);
  ASSERT_TRUE(RunCutScriptFile(b.env, b.job, script));
  EXPECT_EQ(b.allSteps(), (test::Steps{648, 176, 1144, 484}));  // (30.25 - 10) * 32, ...
  double seconds = 0.0;
  for (const CutMove& move : original) seconds += move.duration;
  EXPECT_NEAR(b.machine->snapshot().elapsedMs, seconds * 1000.0, 4 * 0.5);
  // The planner ends where the script ended, on the other table's zero.
  EXPECT_NEAR(b.planner.towers().XD, 45.75 + other.ZeroX, 1e-9);
  EXPECT_EQ(b.sound.played.size(), 1u);
}

TEST(CutScriptRun, HeaderAndOneMoveLineRunAnEmptyCutOnTheMachine) {
  Bench b;
  b.env.output.cutToFile = true;
  const fs::path script = b.dir / "empty.cut";
  test::writeFile(script,
                  "F:Blue foam\nN:Default\nHw:30\n// Tempo\n"
                  "T:0.000000 XG:5.000000 YG:5.000000 XD:5.000000 YD:5.000000\n");
  b.prompt.queueAnswer(Answer::Ok);
  EXPECT_TRUE(RunCutScriptFile(b.env, b.job, script));

  EXPECT_FALSE(b.env.output.cutToFile);
  ASSERT_EQ(b.confirmations(), 1u);
  EXPECT_EQ(b.prompt.calls().back().text, "Start cut ?\nTotal time 0 sec\nHeat fixed 30%");
  EXPECT_EQ(b.machine->counters().starts, 1u);
  EXPECT_EQ(b.machine->counters().stepsRequests, 0u);
  EXPECT_EQ(b.machine->heatPercent(), 30);
}

TEST(CutScriptRun, OpenDialogAndItsCancel) {
  Bench b;
  b.env.output.cutToFile = true;
  b.prompt.queueFile(std::nullopt);
  EXPECT_FALSE(RunCutScript(b.env, b.job));
  ASSERT_EQ(b.prompt.calls().size(), 1u);
  const FileDialogRequest& request = b.prompt.calls()[0].request;
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description + "|" + request.filters[0].patterns + "|" +
                request.filters[1].description + "|" + request.filters[1].patterns,
            "Scripts cut (*.cut)|*.cut|All Files|*.*");
  EXPECT_EQ(request.initialDirectory, b.dir.string());
  EXPECT_TRUE(b.env.output.cutToFile);  // nothing happened

  EXPECT_FALSE(RunCutScriptFile(b.env, b.job, b.dir / "absent.cut"));
  EXPECT_TRUE(b.env.output.cutToFile);
}

// ---------------------------------------------------------------------------
// Reading

// 99 % is taken and sent; 100 % is refused before the confirmation, the heat unchanged.
TEST(CutScriptReader, HeatLinesAcceptUpTo99) {
  for (const int heat : {99, 100}) {
    SCOPED_TRACE(heat);
    Bench b;
    b.config.foams.ApplyHeat(40);
    const fs::path script = b.dir / "hot.cut";
    test::writeFile(script, "Hw:" + std::to_string(heat) + "\nT:0 XG:1 YG:1 XD:1 YD:1\n");
    b.prompt.queueAnswer(Answer::Cancel);
    EXPECT_FALSE(RunCutScriptFile(b.env, b.job, script));
    const int taken = heat == 99 ? 99 : 40;
    EXPECT_EQ(std::tuple(b.config.foams.currentHeat, b.machine->heatPercent(), b.confirmations()),
              std::tuple(taken, taken, heat == 99 ? 1u : 0u));
    EXPECT_EQ(b.prompt.messages(),
              heat == 99 ? std::vector<std::string>{}
                         : std::vector<std::string>{"Invalid power coefficient 100%"});
  }
}

TEST(CutScriptReader, AFoamLineBeforeTheTableLineSelectsThatFoamOfTheTable) {
  TableConfig wide = table32();
  wide.AxesX = 1200;
  const std::vector<FoamType> foams{Bench::foam("Café", FixedHeat, 3.25, 20),
                                    Bench::foam("Blue foam", FixedHeat, 7.5, 35)};
  // After the table line a foam line is too late: the table's foam stays.
  for (const auto& [script, foam, speed] :
       {std::tuple{"F:Caf\xE9\nN:Other\n", "Café", 3.25},
        std::tuple{"N:Other\nF:Caf\xE9\n", "Blue foam", 7.5}}) {
    Bench b;
    b.addTable("Other", wide, foams);
    ASSERT_TRUE(b.parse(script));
    EXPECT_EQ(std::tuple(b.config.currentTable, b.config.table.AxesX, b.config.foams.currentFoam,
                         b.config.foams.cutSpeed, b.config.savedFoamName),
              std::tuple("Other", 1200, foam, speed, "Blue foam"));
    ASSERT_FALSE(b.status.texts.empty());
    EXPECT_EQ(b.status.texts.back(), "Other");
  }
}

TEST(CutScriptReader, RefusesMissingTablesAndNamesThatLeaveTheDataDirectory) {
  Bench b;
  // A table file that a path in the name would reach.
  TableConfig t = table32();
  t.tableModified = true;
  ASSERT_TRUE(SaveTableConfig(t, b.dir.parent_path(), "x_table.bd"));
  for (const std::string name : {"Nope", "../x"}) {
    SCOPED_TRACE(name);
    b.prompt.clear();
    const fs::path script = b.dir / "table.cut";
    test::writeFile(script, "N:" + name + "\nT:0 XG:1 YG:1 XD:1 YD:1\nT:1 XG:2 YG:1 XD:1 YD:1\n");
    EXPECT_FALSE(RunCutScriptFile(b.env, b.job, script));
    EXPECT_EQ(b.prompt.messages(),
              std::vector<std::string>{"Table \"" + name + "\" does not exist"});
    EXPECT_EQ(b.confirmations(), 0u);
    EXPECT_EQ(b.config.currentTable, "Default");
  }
  EXPECT_EQ(b.machine->counters().stepsRequests, 0u);
  fs::remove(b.dir.parent_path() / "x_table.bd");
}

TEST(CutScriptReader, ReadErrorsNameTheLineAndPutThePlannerBack) {
  struct Case {
    std::string text;
    int line;
  };
  const std::string start = "T:0 XG:10 YG:20 XD:10 YD:20\nT:1 XG:11 YG:20 XD:10 YD:20\n";
  const std::vector<Case> cases{
      {start + "T:1 XG:2 YG:3 XD:4\n", 3},           // four numbers
      {start + "\n", 3},                             // empty line
      {"F:x\r\n\r\n", 2},                            // empty line after CR LF
      {start + "T:nan XG:1 YG:1 XD:1 YD:1\n", 3},    // not a number
      {start + "T:1 XG:1 YG:inf XD:1 YD:1\n", 3},    // infinite
      {start + "T:1 XG:1e999 YG:1 XD:1 YD:1\n", 3},  // beyond the double range
      {start + "T:1 XG:1 YG:1 XD:1 YD:1e\n", 3},     // exponent without digits, as scanf
      {start + "t:1 XG:1 YG:1 XD:1 YD:1\n", 3},      // kinds are case-sensitive
      {start + " T:1 XG:1 YG:1 XD:1 YD:1\n", 3},     // and at the very start
      {"Hw:warm\n", 1},                              // heat without a number
      {"//" + std::string(5000, 'x') + "\n", 1},     // longer than a line may be
      {start + "N:Default\n", 3},                    // table change after the start
      {start + "12 +XG\n", 3},                       // a step dump line (not run)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    Bench b;
    b.planner.SetPlannerPosition(1.0, 2.0, 3.0, 4.0);
    EXPECT_FALSE(b.parse(c.text));
    EXPECT_EQ(b.prompt.messages(), std::vector<std::string>{"Read error\nScript file s.cut, line " +
                                                            std::to_string(c.line)});
    EXPECT_DOUBLE_EQ(b.planner.towers().XG, 1.0 + 12.5);
    EXPECT_DOUBLE_EQ(b.planner.towers().YD, 4.0 + 7.25);
  }
}

TEST(CutScriptReader, ReadsNumbersLikeScanfAcrossEveryLineEnd) {
  Bench b;
  CutScriptReader reader(b.env, "s.cut");
  // Pieces cut inside lines and between CR and LF; numbers in every form scanf
  // takes (2 as "+.2e1", 3.5 in hexadecimal), blanks of any width, also none.
  for (std::string_view piece :
       {"// a\r", "\nT:0 XG:1 YG:1 XD:1 YD:1\rT:  +.2e1 XG:", "0x3.8p0 YG:1 XD:",
        "1  YD:\t1 ignored\r", "\nT:1XG:4YG:1XD:1YD:1"}) {
    EXPECT_TRUE(reader.feed(piece));
  }
  std::optional<MoveList> moves = reader.finish();
  ASSERT_TRUE(moves);
  EXPECT_EQ(test::labelsOf(*moves),
            (std::vector<std::string>{"Script file s.cut, line 3", "Script file s.cut, line 4"}));
  EXPECT_DOUBLE_EQ((*moves)[0].XG, 3.5 + 12.5);
  EXPECT_DOUBLE_EQ((*moves)[0].duration, 2.0);
  EXPECT_DOUBLE_EQ((*moves)[1].XG, 4.0 + 12.5);
  EXPECT_EQ(reader.lineCount(), 4u);
  EXPECT_TRUE(b.prompt.messages().empty());
}

TEST(CutScriptReader, PlanningErrorsEndWithTheLineLabelAndStopTheScript) {
  Bench b;
  const fs::path script = b.dir / "far.cut";
  test::writeFile(script, "T:0 XG:10 YG:10 XD:10 YD:10\nT:1 XG:2000 YG:10 XD:10 YD:10\n");
  EXPECT_FALSE(RunCutScriptFile(b.env, b.job, script));
  EXPECT_EQ(b.prompt.messages(),
            std::vector<std::string>{"left X axis limit overflow : 2012 mm, Script file " +
                                     script.string() + ", line 2"});
  EXPECT_EQ(b.confirmations(), 0u);

  // The declared start is checked too: from 10 km away the first move would
  // need hundreds of millions of steps.
  Bench c;
  test::writeFile(script, "T:0 XG:10000000 YG:10 XD:10 YD:10\nT:1 XG:5 YG:10 XD:10 YD:10\n");
  EXPECT_FALSE(RunCutScriptFile(c.env, c.job, script));
  ASSERT_EQ(c.prompt.messages().size(), 1u);
  EXPECT_EQ(c.prompt.messages()[0].rfind("left X axis limit overflow : 10000012 mm, ", 0), 0u)
      << c.prompt.messages()[0];
  EXPECT_EQ(c.confirmations(), 0u);
}

TEST(CutScriptReader, ScriptsBeyondTheLimitsAreRefusedBeforeTheyRun) {
  const std::string start = "T:0 XG:10 YG:20 XD:10 YD:20\n";
  {
    Bench b;
    CutScriptLimits limits;
    limits.maxMoves = 2;
    EXPECT_TRUE(
        b.parse(start + "T:1 XG:11 YG:20 XD:10 YD:20\nT:1 XG:12 YG:20 XD:10 YD:20\n", limits));
    EXPECT_FALSE(b.parse(start + "T:1 XG:11 YG:20 XD:10 YD:20\nT:1 XG:12 YG:20 XD:10 YD:20\n"
                                 "T:1 XG:13 YG:20 XD:10 YD:20\n",
                         limits));
    EXPECT_EQ(b.prompt.messages(),
              std::vector<std::string>{"Cut script too long: at most 2 moves and 33554432 step "
                                       "entries can be run, Script file s.cut, line 4"});
  }
  CutScriptLimits limits;
  limits.maxEntries = 100;
  for (const std::string& line : {
           std::string("T:100 XG:10 YG:20 XD:10 YD:20\n"),  // a pause of 200000 periods
           std::string("T:0 XG:20 YG:20 XD:10 YD:20\n"),    // 320 steps
       }) {
    SCOPED_TRACE(line);
    Bench b;
    EXPECT_FALSE(b.parse(start + line, limits));
    ASSERT_EQ(b.prompt.messages().size(), 1u);
    EXPECT_EQ(
        b.prompt.messages()[0].rfind("Cut script too long: at most 1000000 moves and 100 ", 0), 0u);
  }
  Bench b;
  EXPECT_TRUE(b.parse(start + "T:0 XG:12 YG:20 XD:10 YD:20\n", limits));  // 64 steps fit
}

}  // namespace
}  // namespace orva
