#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/FoamDatabase.h"
#include "config/TableConfig.h"
#include "motion/CutJob.h"
#include "motion/GcodeWriter.h"
#include "motion/MovePlanner.h"
#include "support/Golden.h"
#include "support/LowerLayerRigs.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

constexpr double kZeroX = 12.5;
constexpr double kZeroY = 7.25;

// A move given relative to the machine zero.
CutMove move(std::string label, double duration, double xg, double yg, double xd, double yd,
             bool rapid = false) {
  CutMove m;
  m.label = std::move(label);
  m.duration = duration;
  m.XG = xg + kZeroX;
  m.YG = yg + kZeroY;
  m.XD = xd + kZeroX;
  m.YD = yd + kZeroY;
  m.rapid = rapid;
  return m;
}

GcodeJob job(int heat = 45) {
  GcodeJob j;
  j.programVersion = "1.2.3";
  j.sourceFile = "wing (v2).orv";
  j.panel = "Panel 1";
  j.foam = "Poly expansé";
  j.cutSpeed = 4.0;
  j.heatPercent = heat;
  j.heatMode = FixedHeat;
  j.zeroX = kZeroX;
  j.zeroY = kZeroY;
  return j;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines after the modal line "G21 G90 G93".
std::vector<std::string> body(const std::string& text) {
  std::vector<std::string> lines = linesOf(text);
  const auto modal = std::find(lines.begin(), lines.end(), "G21 G90 G93");
  EXPECT_NE(modal, lines.end());
  return modal == lines.end() ? lines : std::vector<std::string>(modal + 1, lines.end());
}

std::string gcodeOf(const CutMove& m, GcodeOptions options = {}) {
  return WriteGcode(MoveList{move("Tempo", 1.0, 0, 0, 0, 0), m}, job(), options);
}

// The line written for `m` after a pause, and the line before it.
std::string lineOf(const CutMove& m, GcodeOptions options = {}, std::size_t before = 0) {
  const std::vector<std::string> lines = body(gcodeOf(m, options));
  return lines.size() < 5 + before ? std::string() : lines[lines.size() - 4 - before];
}

TEST(GcodeWriter, GoesColdToTheStartThenTimesEveryMoveRelativeToTheMachineZero) {
  MoveList moves;
  moves.push_back(move("Tempo", 10.0, 0, 0, 0, 0));
  moves.push_back(move("Move to block start", 3.2, 20, 35, 20, 35, true));
  moves.push_back(move("Lower surface cut, point 1", 2.5, 30, 34.5, 26, 34.75));
  moves.push_back(move("Tempo", 4.0, 30, 34.5, 26, 34.75));
  moves.push_back(move("", 0.0, 30, 34.5, 26, 34.75));  // neither moves nor lasts
  moves.push_back(move("Up vertical cut", 7.0, 30, 60.123456, 26, 34.75));
  // As fast as the motors allow: its steps take 5 s on the table.
  moves.push_back(move("Return to the initial position", 0.0, 0, 0, 0, 0));
  moves.back().scheduledTime = 5000.0;
  // 10 nm away: no motion at four decimals, so its time is spent as a pause.
  moves.push_back(move("Settle", 1.5, -0.00001, 0, 0, 0));

  // The header holds the facts of the cut in comments (parentheses become
  // brackets, accents go); every move is timed relative to the machine zero.
  test::expectGolden("motion/moves.ngc", WriteGcode(moves, job(), {}));

  // A start given by the caller is where the wire goes cold (the G-code of a
  // replayed script, tests/cli); a move that moves with no time at all cannot
  // be run hot safely.
  EXPECT_THROW(WriteGcode({move("instant", 0.0, 1, 2, 3, 4)}, job(), {}), std::invalid_argument);
}

TEST(GcodeWriter, MapsTheTowerAxesPerDialectOrCustomLettersAndRefusesBadLetters) {
  const CutMove m = move("m", 2.5, 1, 2, 3, 4);
  // The dialects' own letters are in the whole cuts' programs.
  GcodeOptions options;
  options.dialect = GcodeDialect::LinuxCnc;
  options.axisLetters = "xyab";
  EXPECT_EQ(lineOf(m, options), "G1 X1.0000 Y2.0000 A3.0000 B4.0000 F24");

  for (const char* bad : {"XYZ", "XYZAB", "XYZX", "XYZQ", "XYZ\xc3\x84"}) {
    options.axisLetters = bad;
    EXPECT_FALSE(CheckGcodeOptions(options).empty()) << bad;
    EXPECT_THROW(gcodeOf(m, options), std::invalid_argument) << bad;
  }
  EXPECT_EQ(ParseGcodeDialect("FluidNC"), GcodeDialect::Grbl);
  EXPECT_EQ(ParseGcodeDialect("marlin"), std::nullopt);
}

TEST(GcodeWriter, InverseTimeFeedsKeepTheDurationAndPausesTheirSeconds) {
  // F = 60 / duration with eight significant digits (hand-computed).
  const std::vector<std::pair<double, std::string>> feeds{
      {2.5, "F24"},      {7.0, "F8.5714286"},      {0.7, "F85.714286"},        {0.003, "F20000"},
      {1000.0, "F0.06"}, {123.456, "F0.48600311"}, {86400.0, "F0.00069444444"}};
  for (const auto& [duration, word] : feeds) {
    const std::string line = lineOf(move("m", duration, 1, 2, 3, 4));
    EXPECT_EQ(line.substr(line.rfind(' ') + 1), word) << duration;
  }
  // Over a wide range every F gives back its duration to 1 part in 10^6.
  for (double duration = 1.0e-3; duration < 1.0e5; duration *= 1.37) {
    const std::string line = lineOf(move("m", duration, 1, 2, 3, 4));
    const double f = std::stod(line.substr(line.rfind('F') + 1));
    EXPECT_NEAR(60.0 / f, duration, duration * 1.0e-6) << line;
  }
  for (const auto& [seconds, word] :
       std::vector<std::pair<double, std::string>>{{0.5, "G4 P0.5"}, {2.345678, "G4 P2.345678"}}) {
    EXPECT_EQ(lineOf(move("Tempo", seconds, 0, 0, 0, 0)), word);
  }
  // Values that cannot be written stop the whole program.
  for (double bad : {std::nan(""), -1.0, HUGE_VAL}) {
    EXPECT_THROW(gcodeOf(move("m", bad, 1, 2, 3, 4)), std::invalid_argument) << bad;
  }
  EXPECT_THROW(gcodeOf(move("m", 1.0, std::nan(""), 2, 3, 4)), std::invalid_argument);
}

TEST(GcodeWriter, ScalesTheHeatToTheSpindleRangeOrLeavesSpindleCommandsOut) {
  const MoveList moves{move("Tempo", 1.0, 0, 0, 0, 0), move("m", 2.5, 1, 2, 3, 4)};
  // Each dialect's full-heat S and the M3 / M5 around the moves are in the
  // whole cuts' programs; a spindle range of the user's.
  GcodeOptions options;
  options.sMax = 255.0;
  EXPECT_EQ(body(WriteGcode(moves, job(45), options))[2], "M3 S114.75");
  options.sMax.reset();
  options.heatControl = false;
  const std::string text = WriteGcode(moves, job(45), options);
  EXPECT_EQ(body(text).back(), "M2");
  EXPECT_EQ(text.find("M3"), std::string::npos);
  EXPECT_EQ(text.find("M5"), std::string::npos);
  for (const std::string& line : body(text)) {
    if (line.front() != '(') {
      EXPECT_EQ(line.find(" S"), std::string::npos) << line;
    }
  }
  EXPECT_NE(text.find("set by hand"), std::string::npos);

  for (double bad : {0.0, -1.0, std::nan("")}) {
    options.sMax = bad;
    EXPECT_FALSE(CheckGcodeOptions(options).empty()) << bad;
  }
}

TEST(GcodeWriter, CommentsCannotBreakOutOrTriggerControllerActions) {
  EXPECT_EQ(GcodeCommentText("Cut (upper); point 3\r\nnext"), "Cut [upper], point 3  next");
  EXPECT_EQ(GcodeCommentText("Poly expansé, cœur 45°"), "Poly expanse, coeur 45deg");
  EXPECT_EQ(GcodeCommentText("\xe6\x97\xa5\xe6\x9c\xac \xff\xc3"), "?? ??");
  EXPECT_EQ(GcodeCommentText(std::string(300, 'a')).size(), kGcodeCommentMaxChars);

  // A label that LinuxCNC would take as a message or a log command stays a comment.
  const std::string line = lineOf(move("msg, (LOGOPEN,/tmp/x)", 2.5, 1, 2, 3, 4), {}, 1);
  EXPECT_EQ(line, "(- msg, [LOGOPEN,/tmp/x])");
  // Every comment line of a program holds one balanced comment and stays short.
  GcodeJob long_job = job();
  long_job.sourceFile = std::string(400, '(');
  for (const std::string& l :
       linesOf(WriteGcode({move(std::string(400, ')'), 1.0, 1, 2, 3, 4)}, long_job, {}))) {
    EXPECT_LT(l.size(), 255u);
    if (l.front() != '(') continue;
    EXPECT_EQ(std::count(l.begin(), l.end(), '('), 1) << l;
    EXPECT_EQ(std::count(l.begin(), l.end(), ')'), 1) << l;
    EXPECT_EQ(l.back(), ')');
  }
}

// ---------------------------------------------------------------------------
// The file branch of ExecuteCut

// The script bench cutting to a G-code file.
struct Bench : test::ScriptBench {
  Bench() {
    env.output.cutToFile = true;
    env.output.format = OutputFormat::Gcode;
    useFoams({foam("Blue foam", FixedHeat, 5.0, 30)});  // cut at 5 mm/s with its heat
  }
};

TEST(GcodeFileBranch, WritesEveryCutAskedForAndCancelWritesNothing) {
  Bench b;
  // The foam cut's flags: no confirmation, yet the program is asked for and written whole.
  b.prompt.queueFile((b.dir / "raise").string());
  MoveList moves;
  moves.push_back(b.plan(b.planner.PlanDwell(2000.0)));
  moves.push_back(b.plan(b.planner.PlanMove(0.0, 1000.0, SpeedMode::FaceMax, 0, 10, 0, 10, "Up")));
  EXPECT_TRUE(b.job.ExecuteCut(std::move(moves), 0x15, 5.0));

  ASSERT_EQ(b.prompt.calls().size(), 1u);
  const FileDialogRequest& request = b.prompt.calls()[0].request;
  EXPECT_EQ(request.defaultName, "out.ngc");
  EXPECT_EQ(request.initialDirectory, b.dir.string());
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description, "G-code (*.ngc;*.nc;*.gcode)");
  EXPECT_EQ(request.filters[1].description, "All Files");

  // The program's text, foam, speed and heat included, is in the whole cuts'
  // programs (tests/data/cuts).

  // Cancelled dialog: failure, no file.
  b.prompt.clear();
  MoveList again;
  again.push_back(b.plan(b.planner.PlanDwell(1000.0)));
  EXPECT_FALSE(b.job.ExecuteCut(std::move(again), 0x1F, 5.0));
  EXPECT_EQ(test::fileNames(b.dir),
            (std::set<std::string>{"Default_foam.bd", "Default_table.bd", "raise.ngc"}));
}

// ---------------------------------------------------------------------------
// A real cut through LinuxCNC's standalone interpreter

struct CanonCall {
  std::string name;
  std::vector<double> values;
};

std::vector<CanonCall> readCanon(const fs::path& path) {
  static const std::regex kLine(R"(^\s*\d+\s+N\.+\s+([A-Z_]+)\((.*)\)\s*$)");
  std::vector<CanonCall> calls;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, kLine)) continue;
    CanonCall call{match[1], {}};
    std::string args = match[2];
    std::replace(args.begin(), args.end(), ',', ' ');
    std::istringstream values(args);
    for (double v; values >> v;) call.values.push_back(v);
    calls.push_back(call);
  }
  return calls;
}

TEST(GcodeWithRs274, EveryMotionEndsAtThePlannedTowerTargetsWithThePlannedDuration) {
  if (std::system("command -v rs274 >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "rs274 (Debian package linuxcnc-uspace) is not installed: the written "
                    "program cannot be run through LinuxCNC's interpreter here";
  }
  Bench b;
  // A tapered cut: root on face 1 at 200 mm from the left tower, tip on face 2 at 700 mm.
  MoveList moves;
  const auto block = [&](SpeedMode mode, double x1, double y1, double x2, double y2,
                         const char* label) {
    moves.push_back(b.plan(b.planner.PlanMove(200.0, 500.0, mode, x1, y1, x2, y2, label)));
  };
  moves.push_back(b.plan(b.planner.PlanDwell(3000.0)));
  block(SpeedMode::Rapid, 0, 40, 0, 40, "Move to block start");
  block(SpeedMode::Rapid, 60, 40, 80, 40, "Move to block start");
  block(SpeedMode::TowerMax, 60, 20, 80, 25, "Paced (msg, entry); 1");
  for (int i = 1; i <= 12; ++i) {
    const double s = std::sin(i * 0.25);
    block(SpeedMode::Face1, 60 + 9.3 * i, 20 + 7.1 * s, 80 + 5.7 * i, 25 + 4.3 * s, "Lower");
  }
  moves.push_back(b.plan(b.planner.PlanDwell(4000.0)));
  block(SpeedMode::FaceMax, 171.6, 60, 148.4, 60, "Up vertical cut");
  block(SpeedMode::Rapid, 0, 60, 0, 60, "Return to the initial position");
  block(SpeedMode::Rapid, 0, 0, 0, 0, "Return to the initial position");

  std::ofstream(b.dir / "cut.ngc", std::ios::binary) << WriteGcode(moves, job(30), {});
  std::ofstream(b.dir / "tool.tbl") << "T1 P1 Z0 D0 ;wire\n";
  const std::string command = "cd '" + b.dir.string() + "' && rs274 -g -t tool.tbl cut.ngc " +
                              "canon.txt </dev/null >out.txt 2>err.txt";
  ASSERT_EQ(std::system(command.c_str()), 0) << test::readFile(b.dir / "err.txt");

  // The order of the machine's actions: one cold traverse to the start, the
  // wire on, every move in turn, the wire off, then the feed mode reset.
  std::string order;
  std::size_t next = 0;  // the move the next motion or dwell belongs to
  double rate = 0.0;
  std::array<double, 4> at{};
  const auto targetOf = [](const CutMove& m) {
    return std::array<double, 4>{m.XG - kZeroX, m.YG - kZeroY, m.XD - kZeroX, m.YD - kZeroY};
  };
  for (const CanonCall& call : readCanon(b.dir / "canon.txt")) {
    EXPECT_NE(call.name, "MESSAGE") << "a comment became a message";
    if (call.name == "SET_SPINDLE_SPEED") {
      EXPECT_DOUBLE_EQ(call.values.at(1), 300.0);
    }
    if (call.name == "SET_FEED_RATE") rate = call.values.at(0);
    if (call.name == "START_SPINDLE_CLOCKWISE") order += "on ";
    if (call.name == "STOP_SPINDLE_TURNING") order += "off ";
    if (call.name == "SET_FEED_MODE" && next == moves.size()) order += "mode ";
    if (call.name == "STRAIGHT_TRAVERSE") {
      order += "start ";
      for (int axis = 0; axis < 4; ++axis) at[axis] = call.values.at(axis);
      for (int axis = 0; axis < 4; ++axis) EXPECT_NEAR(at[axis], targetOf(moves[0])[axis], 1.0e-4);
    }
    if (call.name != "STRAIGHT_FEED" && call.name != "DWELL") continue;
    ASSERT_LT(next, moves.size()) << call.name;
    const CutMove& m = moves[next++];
    const bool dwell = m.label == "Tempo";
    EXPECT_EQ(call.name == "DWELL", dwell) << m.label;
    if (next == 1 || next == moves.size()) order += "moves ";
    if (dwell) {
      EXPECT_NEAR(call.values.at(0), m.duration, 5.0e-5);
      continue;
    }
    std::array<double, 4> end{};
    for (int axis = 0; axis < 4; ++axis) {
      end[axis] = call.values.at(axis);
      EXPECT_NEAR(end[axis], targetOf(m)[axis], 1.0e-4) << m.label << " axis " << axis;
    }
    // Inverse time: the rate is the move's length as LinuxCNC measures it
    // (X Y Z; A alone when they stay) per 1/F minutes; a traverse takes the
    // time its steps take on the table.
    const double seconds = m.rapid && m.duration == 0.0 ? m.scheduledTime / 1000.0 : m.duration;
    const double dxyz = std::hypot(end[0] - at[0], end[1] - at[1], end[2] - at[2]);
    const double length = dxyz > 0.0 ? dxyz : std::fabs(end[3] - at[3]);
    ASSERT_GT(rate, 0.1);
    EXPECT_NEAR(60.0 * length / rate, seconds, seconds * (1.0e-6 + 1.0e-4 / rate)) << m.label;
    at = end;
  }
  // M2 resets the feed mode and stops the wire once more.
  EXPECT_EQ(order, "start on moves moves off mode mode off ");
}

}  // namespace
}  // namespace orva
