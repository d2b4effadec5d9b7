// The command-line tool as a user or a script runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliRun.h"
#include "support/Golden.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace fs = std::filesystem;
namespace test = orva::test;

namespace {

using test::CliRun;
using test::q;

// How a refusal's standard error is compared with the expected text.
enum class Match { Exact, Contains };
struct Refusal {
  std::string arguments;
  int exitCode;
  std::string err;  // empty: only the exit code is checked
  Match match = Match::Exact;
};

class CliTest : public ::testing::Test {
 protected:
  fs::path writeFile(const std::string& name, const std::string& content) {
    test::writeFile(dir_ / name, content);
    return dir_ / name;
  }

  // A script of one pause of `seconds` on the built-in table.
  fs::path pauseScript(const std::string& seconds) {
    return writeFile("pause.cut",
                     "N:Default\nT:0.000000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\nT:" +
                         seconds + " XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n");
  }

  CliRun run(const std::string& arguments) { return test::runCli(dir_.path(), arguments); }

  // A run that must succeed; its failure shows the command and its errors.
  CliRun succeeded(const std::string& arguments) {
    CliRun result = run(arguments);
    EXPECT_EQ(result.exitCode, 0) << arguments << "\n" << result.err;
    return result;
  }

  void expectRefusals(const std::vector<Refusal>& refusals) {
    for (const Refusal& r : refusals) {
      SCOPED_TRACE(r.arguments);
      const CliRun result = run(r.arguments);
      EXPECT_EQ(result.exitCode, r.exitCode);
      if (r.match == Match::Contains) {
        EXPECT_TRUE(test::contains(result.err, r.err)) << result.err;
      } else if (!r.err.empty()) {
        EXPECT_EQ(result.err, r.err);
      }
    }
  }

  // Builds the project of `json` into <name>.cnc.
  fs::path build(const std::string& name, const std::string& json) {
    const fs::path project = dir_ / (name + ".cnc");
    const CliRun built = run("build " + q(writeFile(name + ".json", json)) + " -o " + q(project));
    EXPECT_EQ(built.exitCode, 0) << built.err;
    return project;
  }

  std::string dataDir() {
    fs::create_directories(dir_ / "data");
    return " --data-dir " + q(dir_ / "data");
  }

  const test::TempDir dir_;
};

// The built-in airfoil with its points, leading edge, extremes and thickness
// (thickest at x = 0.30866, where the two columns of its table are furthest
// apart), a NACA airfoil and a file named from its text line.
TEST_F(CliTest, ReportsAirfoilsWithTheirLeadingEdgeAndThickness) {
  const CliRun result = succeeded("airfoil --default --points");
  test::expectGolden("cli/airfoil-default.json", result.out);  // its leading edge at x = 0

  const auto symmetric = succeeded("airfoil --naca 0012").json();
  EXPECT_EQ(std::tuple(symmetric["name"], symmetric["maxCamber"]), std::tuple("NACA 0012", 0.0));
  EXPECT_NEAR(symmetric["maxThickness"].get<double>(), 0.12, 0.002);

  const fs::path file = writeFile(
      "diamond.dat", "Diamond 5\r\n1.0 0.0\r\n0.5 0.05\r\n0.0 0.0\r\n0.5 -0.05\r\n1.0 0.0\r\n");
  const CliRun read = succeeded("airfoil --compact " + q(file));
  EXPECT_EQ(read.out.find('\n'), read.out.size() - 1);  // one line
  const auto json = read.json();
  EXPECT_EQ(std::tuple(json["name"], json["count"], json["leadingEdgeIndex"]),
            std::tuple("Diamond 5", 5, 2));
  // Coordinates are read as 32-bit floats: 0.05f - (-0.05f) in double.
  EXPECT_DOUBLE_EQ(json["maxThickness"].get<double>(),
                   std::trunc(2.0 * static_cast<double>(0.05f) * 100000.0) * 0.00001);
  EXPECT_DOUBLE_EQ(json["maxThicknessX"].get<double>(), 0.5);
}

// Every refusal names its cause with the program's messages and ends with
// exit code 1 (the input) or 2 (the command line); nothing is created.
TEST_F(CliTest, RefusalsNameTheCauseAndCreateNothing) {
  const fs::path missing = dir_ / "absent.dat";
  const fs::path flat = writeFile("flat.dat", "flat\n1.0 0.0\n0.0 0.0\n");
  const fs::path pct = writeFile("pct.dat", "pct\n100 0\n50 5\n0 0\n50 -5\n100 0\n");
  const fs::path hdr =
      writeFile("hdr.dat", "hdr\n5. 5.\n\n0 0\n0.5 0.05\n1 0\n\n0 0\n0.5 -0.05\n1 0\n");
  const fs::path dat = writeFile("wing.dat", "NACA\n1 0\n0 0\n1 0\n");
  const fs::path cnc = writeFile("wing.cnc", "not a script");
  const fs::path typo = writeFile("typo.json", R"({"panels": [{"spann": 300}]})");
  const fs::path span = writeFile("span.json", R"({"panels": [{"span": 0}]})");
  const fs::path foam = writeFile("foam.json", R"({"panels": [{"foamThickness": -5}]})");
  const fs::path chord =
      writeFile("chord.json", R"({"panels": [{"root": {"chord": 0, "default": true}}]})");
  const std::string x = " -o " + q(dir_ / "x.cnc");
  const std::string data = dataDir();
  const fs::path elsewhere = writeFile("missing.cut", "N:Elsewhere\n");
  const std::string block = "block-shaping --left-width 200 --length 400 --clearance 70";
  const fs::path settings = dir_ / "orva.ini";
  const fs::path typoDir = dir_ / "dta";
  // Reviewed in tests/data/cli/refusals.txt: each command, its exit code
  // and its whole standard error. A section names the end whose airfoil
  // failed; a file of another kind gets a hint after the program's message;
  // lengths that must be positive are refused with the field's JSON path.
  std::string dump;
  for (const std::string& arguments : {
           std::string("airfoil --naca 12"),
           "airfoil " + q(missing),
           "airfoil " + q(flat),
           "airfoil " + q(pct),
           "airfoil " + q(hdr),
           "section --default --tip " + q(missing),
           std::string("section --default --chord 0"),
           std::string("section --default --washout abc"),
           std::string("section --default --tip-chord 100"),
           std::string("section --default --naca 0012"),
           "info " + q(dat),
           "gcode " + q(cnc) + " -o " + q(dir_ / "x.ngc"),
           "build " + q(typo) + x,
           "build " + q(typo),
           "build " + q(span) + x,
           "build " + q(foam) + x,
           "build " + q(chord) + x,
           "replay --yes " + q(elsewhere) + data,
           block + data + " --table Big -o " + q(dir_ / "b.cut"),
           "tables --data-dir " + q(typoDir),
           "foams --settings " + q(settings),
           block + " --format cut -o " + q(dir_ / "b.ngc"),
           block + " --format gcode -o " + q(dir_ / "b.cut"),
           block + " -o " + q(dir_.path()),
           block + " -o " + q(dir_ / "b.txt"),
           "test-cut --left-width 100 --length 300 --clearance 70 --height 40 --spacing 0 -o " +
               q(dir_ / "t.ngc"),
           std::string("frobnicate"),
       }) {
    const CliRun result = run(arguments);
    // The refusal, without the usage that may follow it.
    dump += "> " + arguments + "\nexit " + std::to_string(result.exitCode) + ", stdout " +
            std::to_string(result.out.size()) + " bytes\n" +
            result.err.substr(0, std::min(result.err.find("\n\n"), result.err.size() - 1) + 1);
  }
  const std::string root = dir_.path().string();
  for (std::size_t at = dump.find(root); at != std::string::npos; at = dump.find(root, at)) {
    dump.replace(at, root.size(), "$DIR");
  }
  test::expectGolden("cli/refusals.txt", dump);
  for (const char* created : {"x.cnc", "b.cut", "b.ngc", "dta", "data/Big_table.bd"}) {
    EXPECT_FALSE(fs::exists(dir_ / created)) << created;
  }
  EXPECT_FALSE(fs::exists(dir_.path().string() + ".cut"));
}

TEST_F(CliTest, SectionMatchesTheTipToTheRootPointForPoint) {
  const CliRun result = succeeded(
      "section --default --chord 400 --skin 1 --washout 0 --tip-naca 0012 --tip-chord 200 "
      "--tip-washout 3 --compact");
  const auto json = result.json();
  ASSERT_TRUE(json.contains("tip"));
  const auto& root = json["root"];
  const auto& tip = json["tip"];
  EXPECT_EQ(tip["cutUpper"].size(), root["cutUpper"].size());
  EXPECT_EQ(tip["cutLower"].size(), root["cutLower"].size());
  // Resampled about every 0.7 mm at 400 mm: far more points than the 35 of the surface.
  EXPECT_GT(root["cutUpper"].size(), 400u);
  EXPECT_EQ(root["upper"].size(), 35u);
  // The tip's trailing edge is turned down by its washout.
  EXPECT_LT(tip["upper"].back()[1].get<double>(), 0.0);
  EXPECT_EQ(tip["name"], "NACA 0012");

  const CliRun plain = succeeded("section --naca 2412 --splines 0 --compact");
  EXPECT_FALSE(plain.json().contains("tip"));
  EXPECT_EQ(plain.json()["splines"], false);
}

TEST_F(CliTest, BuildInfoAndBuildAgainReproduceTheProject) {
  writeFile("diamond.dat", "Diamond\n1 0\n0.5 0.05\n0 0\n0.5 -0.05\n1 0\n");
  const fs::path first = build("wing", R"({
    "comments": "Aile \u00e9paisse\nsecond line", "foamName": "Poly extrud\u00e9", "cutSpeed": 3.5,
    "panels": [
      {"span": 400, "differentRootTip": true, "sweep": 20,
       "root": {"chord": 220, "naca": "2412"},
       "tip": {"chord": 160, "washout": 2, "default": true},
       "spars": [{"active": true, "label": "Main", "type": 1, "distance": 30}]},
      {"span": 300, "root": {"chord": 160, "airfoil": "diamond.dat"}}]})");
  const CliRun info = succeeded("info " + q(first));
  // The reviewed project: version 1007, the comments, the foam, the NACA 2412
  // root and built-in tip (washout 2) of the first panel with its spar "Main"
  // among ten, the fields not given at a new panel's values (root axis offset
  // 375 on the built-in table), and the second panel's five-point "Diamond"
  // at both ends.
  test::expectGolden("cli/info-wing.json", info.out);

  // Building from info's output writes the same file again.
  const fs::path second = dir_ / "again.cnc";
  ASSERT_EQ(run("build " + q(writeFile("info.json", info.out)) + " -o " + q(second)).exitCode, 0);
  EXPECT_EQ(test::readFile(first), test::readFile(second));

  // A section outside its block is built, with a warning naming it: NACA 2412
  // at 200 mm reaches about 7 mm below its chord line, 2 mm above the bottom.
  const fs::path low = writeFile("low.json", R"({"panels": [{"foamThickness": 40,
      "root": {"chord": 200, "basicHeight": 2, "naca": "2412"},
      "tip": {"chord": 200, "basicHeight": 15, "naca": "2412"}, "differentRootTip": true}]})");
  const CliRun warned = run("build " + q(low) + " -o " + q(dir_ / "x.cnc"));
  EXPECT_EQ(warned.exitCode, 0) << warned.err;
  EXPECT_TRUE(test::contains(warned.err,
                             "warning: project.panels[0].root: the section reaches from -6.5 to "
                             "17.8 mm, outside its block (0 to foamThickness 40.0 mm)"));
  EXPECT_FALSE(test::contains(warned.err, "panels[0].tip"));
  EXPECT_TRUE(fs::exists(dir_ / "x.cnc"));
}

TEST_F(CliTest, ExportWritesTheChosenPanelWithCrLf) {
  const fs::path project = build("two", R"({"panels": [{"span": 111, "root": {"default": true}},
                                 {"span": 222, "root": {"naca": "0012"}}]})");
  const fs::path out = dir_ / "two.txt";
  const CliRun exported = succeeded("export " + q(project) + " --panel 2 -o " + q(out));
  const std::string text = test::readFile(out);
  EXPECT_EQ(text.rfind("Configuration de la table:\r\nEntre-axe XGXD: 1500 mm\r\n", 0), 0u);
  EXPECT_TRUE(test::contains(text, "NACA 0012"));
  EXPECT_FALSE(test::contains(text, "NoName"));  // panel 1 is not exported
  for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
    ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
  }
  EXPECT_EQ(run("export " + q(project) + " --panel 3 -o " + q(out)).exitCode, 2);
}

TEST_F(CliTest, ReplayRunsAScriptOnTheSimulatedMachine) {
  // Starts at (10, 5) on both towers, pauses, moves 20 mm in X and 10 mm up on
  // the left tower only (in 10 s: within the built-in table's 4.17 mm/s).
  const fs::path script =
      writeFile("move.cut",
                "F:Poly expans\xe9\nN:Default\nHw:45\n"
                "// start\n"
                "T:0.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n"
                "// Tempo\n"
                "T:2.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n"
                "// move\n"
                "T:10.000000 XG:30.000000 YG:15.000000 XD:10.000000 YD:5.000000\n");
  const std::string options = dataDir();
  const CliRun result = succeeded("replay --yes --json " + q(script) + options);
  // The reviewed summary: 2 moves, 12 s planned and run, the end point and
  // the steps counted (48 per mm on the built-in table: 960 XG, 480 YG, 0 XD).
  test::expectGolden("cli/replay-move.json", result.out);
  // The start-up on an empty data directory created the table's files.
  EXPECT_TRUE(fs::exists(dir_ / "data/Default_table.bd"));
  EXPECT_TRUE(fs::exists(dir_ / "data/TableNames.bd"));

  // Without --yes (and no terminal) the cut is not confirmed.
  const CliRun unconfirmed = run("replay " + q(script) + options);
  EXPECT_EQ(unconfirmed.exitCode, 1);
  EXPECT_TRUE(test::contains(unconfirmed.err, "Start cut ?\nTotal time 12 sec\n"));
}

TEST_F(CliTest, ReplayInterruptedByCtrlCRetreatsAndExits130) {
  // 70 s of cutting, paced 20 times faster than real time: the second move
  // still runs when the interrupt comes.
  const fs::path script =
      writeFile("long.cut",
                "N:Default\nHw:45\n"
                "T:0.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n"
                "T:10.000000 XG:30.000000 YG:15.000000 XD:10.000000 YD:5.000000\n"
                "T:60.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n");
  // SIGINT until the command has ended (one sent before its handler is
  // installed is ignored, as for every command started in the background).
  const CliRun interrupted = test::runCli(
      dir_.path(), "replay --yes --speed-up 20 " + q(script) + dataDir(),
      " & p=$!; i=0; while kill -0 $p 2>/dev/null && [ $i -lt 300 ]; do sleep 0.05; "
      "kill -INT $p 2>/dev/null; i=$((i+1)); done; wait $p");
  EXPECT_EQ(interrupted.exitCode, 130);
  // The wire went back to the machine zero.
  EXPECT_TRUE(
      test::contains(interrupted.err, "Abort cut: XG 0.000 YG 0.000 XD 0.000 YD 0.000\n"));
}

TEST_F(CliTest, GcodeStartsColdAtTheScriptsStartAndCarriesItsLabels) {
  const fs::path script =
      writeFile("move.cut",
                "N:Default\nHw:45\n"
                "T:0.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n"
                "// Lift (left)\n"
                "T:10.000000 XG:30.000000 YG:15.000000 XD:10.000000 YD:5.000000\n");
  const fs::path out = dir_ / "move.ngc";
  const std::string common = " " + q(script) + dataDir() + " -o " + q(out);
  const CliRun grbl = succeeded("gcode" + common);
  EXPECT_EQ(grbl.err, "wrote " + out.string() + "\n");
  // 10 s per move: F = 60 / 10; the script's start is reached before the heat.
  EXPECT_TRUE(test::contains(test::readFile(out),
                             "G21 G90 G93\n(- Start position, wire cold)\n"
                             "G0 X10.0000 Y5.0000 Z10.0000 A5.0000\nM3 S450\n"
                             "(- Lift [left])\nG1 X30.0000 Y15.0000 Z10.0000 A5.0000 F6\n"
                             "M5\nG94\nM2\n"));

  ASSERT_EQ(run("gcode --dialect linuxcnc --no-heat" + common).exitCode, 0);
  const std::string text = test::readFile(out);
  EXPECT_TRUE(test::contains(text,
                             "G0 X10.0000 Y5.0000 U10.0000 V5.0000\n(- Lift [left])\n"
                             "G1 X30.0000 Y15.0000 U10.0000 V5.0000 F6\n"));
  EXPECT_FALSE(test::contains(text, "M3"));

  EXPECT_EQ(run("gcode --axes XYXY" + common).exitCode, 2);
  EXPECT_EQ(run("gcode --dialect mach3" + common).exitCode, 2);
}

TEST_F(CliTest, SurveyCutAndReplayAPanelEndToEnd) {
  const fs::path project = build("wing", R"({"foamName": "Poly expans\u00e9",
    "panels": [{"span": 400, "offsetX0": 40, "differentRootTip": true, "sweep": 20,
      "root": {"chord": 220, "naca": "2412"},
      "tip": {"chord": 160, "washout": 2, "naca": "2410"}}]})");
  const std::string common = " " + q(project) + dataDir();

  const CliRun survey = succeeded("survey" + common);
  const auto found = survey.json();
  // The reviewed survey: no errors, the speed the motors allow (below the
  // built-in table's 1000 / (48 x 5) = 4.1667 mm/s, truncated to two
  // decimals) and, a computed-heat foam, the cut speed at it; the limiting
  // move, the table, the panel's place (a right wing: the left distance is the
  // root axis offset) and the moves.
  test::expectGolden("cli/survey-wing.json", survey.out);

  const fs::path script = dir_ / "wing.cut";
  // No --speed: the cut runs at the speed the survey reported.
  const CliRun cut = succeeded("cut" + common + " -o " + q(script));
  EXPECT_TRUE(test::contains(cut.err, "wrote " + script.string() + "\n"));
  const CliRun replay = succeeded("replay --yes --json " + q(script) + dataDir());
  const auto ran = replay.json();
  // The cut ends where it started: back at the machine zero on every axis.
  for (const char* axis : {"XG", "YG", "XD", "YD"}) {
    EXPECT_NEAR(ran["final"][axis].get<double>(), 0.0, 1.0 / 48) << axis;
  }
  EXPECT_NEAR(ran["plannedTime"].get<double>(), found["totalTime"].get<double>(), 1e-3);
  EXPECT_NEAR(ran["machineTime"].get<double>(), ran["plannedTime"].get<double>(), 0.01);

  // Faster than the motors allow: refused with the planner's message.
  expectRefusals({{"cut --speed 50" + common + " -o " + q(script), 1,
                   "Speed above step motor limit", Match::Contains}});

  // The format follows the extension; with the wire hot every move is a timed G1.
  const fs::path gcode = dir_ / "wing.ngc";
  const CliRun program = succeeded("cut --dialect linuxcnc" + common + " -o " + q(gcode));
  EXPECT_TRUE(test::contains(program.err, "wrote " + gcode.string() + "\n"));
  const std::string text = test::readFile(gcode);
  const std::size_t heatOn = text.find("\nM3 S");
  ASSERT_NE(heatOn, std::string::npos) << text;
  EXPECT_NE(text.rfind("\nG0 X0.0000 Y0.0000 U0.0000 V0.0000\n", heatOn), std::string::npos);
  EXPECT_EQ(text.find("\nG0", heatOn), std::string::npos);
  EXPECT_GT(std::count(text.begin(), text.end(), '\n'), found["moves"].get<long>());
}

// A panel the survey warns of: a tip of 100 mm at a root of 220 mm moves at
// 0.45 times the cut speed, below the foam's kerf law (half of it), and the
// right tower, 2.8 spans from the root, traces the profile mirrored
// (220 - 120 x 2.8 < 0). The warnings come as JSON and on stderr; the cut is
// still possible (exit 0).
TEST_F(CliTest, SurveyWarnsOfAMirroredTowerAndAnExtrapolatedKerf) {
  const fs::path project = build("wing", R"({"foamName": "Poly expans\u00e9",
    "panels": [{"span": 400, "offsetX0": 150, "differentRootTip": true,
      "root": {"chord": 220, "naca": "2412"}, "tip": {"chord": 100, "naca": "2412"}}]})");
  const CliRun survey = succeeded("survey " + q(project) + dataDir());
  // Reviewed in tests/data/cli/survey-warnings.json: each warning's kind,
  // its text naming the move (or moves) and label of its JSON fields, and
  // where the faces and the towers are; no unequal faces (a tapered panel).
  test::expectGolden("cli/survey-warnings.json", survey.out);
  const auto parsed = survey.json();  // kept: the loop reads into it
  for (const auto& w : parsed["warnings"]) {
    EXPECT_TRUE(test::contains(survey.err, "warning: " + w["message"].get<std::string>() + "\n"))
        << survey.err;
  }
}

TEST_F(CliTest, FoamIsTheProjectsWhenTheTableHasItOtherwiseTheCurrentOne) {
  // A project without a foam name, on a table whose foams differ in case only.
  const fs::path project = build("wing", R"({"panels": [{"span": 300, "offsetX0": 40,
      "root": {"chord": 200, "naca": "0012"}}]})");
  const std::string common = "survey " + q(project) + dataDir();
  const auto surveyed = [&](const std::string& options) {
    const CliRun result = run(common + options);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.exitCode == 0 ? result.json() : nlohmann::json{};
  };
  EXPECT_EQ(surveyed("")["foam"], "Poly expans\u00e9");  // the built-in current foam
  EXPECT_EQ(surveyed(" --foam 'POLY extrude'")["foam"], "Poly extrud\u00e9");
  // A fixed-heat foam cuts by default at its measured speed.
  const auto fixed = surveyed(" --foam depron");
  EXPECT_EQ(fixed["cutSpeed"], 2.0);
  EXPECT_EQ(fixed["heat"], 50);

  // A project foam the table does not have leaves the current foam, with a warning.
  const fs::path other = build("balsa", R"({"foamName": "Balsa", "panels": [{"span": 300,
      "offsetX0": 40, "root": {"chord": 200, "naca": "0012"}}]})");
  const CliRun kept = succeeded("survey " + q(other) + dataDir());
  EXPECT_EQ(kept.json()["foam"], "Poly expans\u00e9");
  EXPECT_TRUE(
      test::contains(kept.err, "the project's foam \"Balsa\" is not a foam of table \"Default\""));

  expectRefusals({{common + " --foam balsa", 1,
                   "Invalid foam type, select a new foam: \"balsa\"\n"
                   "Foams: D\u00e9pron, Poly expans\u00e9, Poly extrud\u00e9\n"}});
  writeFile("data/Default_foam.bd",
            "V3\nBlue: 1 2.0 2.0 0.8 1.5 40 40\nblue: 1 3.0 3.0 0.8 1.5 40 40\n");
  EXPECT_EQ(surveyed(" --foam blue")["cutSpeed"], 3.0);
  expectRefusals(
      {{common + " --foam BLUE", 1,
        "Foam \"BLUE\" matches several foams: \"Blue\", \"blue\"\nFoams: Blue, blue\n"}});
}

TEST_F(CliTest, APanelOutOfTravelFailsWithNullsAndTheLeastOffsetThatFits) {
  const auto survey = [&](int offsetX0) {
    const fs::path project = build("wing", R"({"panels": [{"span": 500, "sweep": 30,
        "offsetX0": )" + std::to_string(offsetX0) +
                                               R"(, "differentRootTip": true,
        "root": {"chord": 180, "naca": "2410"}, "tip": {"chord": 120, "washout": 2,
        "naca": "2410"}}]})");
    return "survey " + q(project) + dataDir();
  };
  const CliRun refused = run(survey(10));
  EXPECT_EQ(refused.exitCode, 1);
  const auto json = refused.json();
  ASSERT_EQ(json["errors"].size(), 1u);
  EXPECT_TRUE(
      test::contains(json["errors"][0].get<std::string>(), "left X axis limit overflow : -"));
  for (const char* uncomputed : {"maxSpeed", "cutSpeed", "moves", "totalTime", "heat"}) {
    EXPECT_TRUE(json[uncomputed].is_null()) << uncomputed;
  }
  const std::string hint = "Every tower target stays in travel with offsetX0 = ";
  const std::size_t at = refused.err.find(hint);
  ASSERT_NE(at, std::string::npos) << refused.err;
  const int least = std::stoi(refused.err.substr(at + hint.size()));
  EXPECT_GT(least, 10);

  // It is the least: one millimetre less still overflows.
  EXPECT_EQ(run(survey(least - 1)).exitCode, 1);
  EXPECT_EQ(run(survey(least)).exitCode, 0);
  // --place auto applies it.
  const CliRun placed = succeeded(survey(10) + " --place auto");
  EXPECT_EQ(placed.json()["offsetX0"], least);
  EXPECT_EQ(placed.json()["errors"], nlohmann::json::array());
}

TEST_F(CliTest, TablesFoamsAndAReplaySummaryTellWhatThereIs) {
  const std::string options = dataDir();
  const CliRun tables = succeeded("tables --json" + options);
  EXPECT_EQ(run("tables" + options).out,
            "* Default  (entraxe 1500 mm, travel X 1000 mm, Y 500 mm)\n");
  const CliRun foams = succeeded("foams --json" + options);
  // The built-in table and its three foams, the current one marked.
  EXPECT_EQ(tables.json()["tables"], nlohmann::json::parse(R"([{"name": "Default", "current": true,
                                     "entraxe": 1500, "axesX": 1000, "axesY": 500}])"));
  test::expectGolden("cli/foams.json", foams.out);
  EXPECT_TRUE(test::contains(run("foams" + options).out,
                             "* Poly expans\u00e9  (computed heat, 1..4 mm/s at 30..70 %"));

  const CliRun replay = succeeded("replay --yes " + q(pauseScript("1.500000")) + options);
  EXPECT_EQ(replay.out, "1 move, 1.5 s planned\n");
}

TEST_F(CliTest, CommandsWorkOnTheUsersSettingsAndDataDirectory) {
  const fs::path script = pauseScript("1.000000");
  // First run: the per-user data directory got the default table's files, and
  // the settings were written as at the program's exit, without the port.
  ASSERT_EQ(run("replay --yes " + q(script)).exitCode, 0);
  const fs::path data = dir_ / "home/.local/share/orva";
  for (const char* file : {"Default_table.bd", "Default_foam.bd", "TableNames.bd"}) {
    EXPECT_TRUE(fs::exists(data / file)) << file;
  }
  const std::string ini = test::readFile(dir_ / "home/.config/orva/orva.ini");
  EXPECT_TRUE(test::contains(ini, "[CncConfig]"));
  EXPECT_TRUE(test::contains(ini, "CurrentTable=Default"));
  EXPECT_FALSE(test::contains(ini, "Port="));

  // --settings names another store; its data directory is used.
  const fs::path other = dir_ / "other-data";
  const fs::path settings =
      writeFile("orva.ini", "[CncConfig]\nRepIns=" + other.string() + "\nCurrentTable=Default\n");
  ASSERT_EQ(run("replay --yes --settings " + q(settings) + " " + q(script)).exitCode, 0);
  EXPECT_TRUE(fs::exists(other / "Default_table.bd"));
}

// The format follows the extension of the output (none: a script).
TEST_F(CliTest, AuxiliaryCutsAreWrittenAsScriptsOrGcode) {
  const fs::path script = dir_ / "block.cut";
  const std::string block = "block-shaping --left-width 200 --length 400 --clearance 70";
  EXPECT_EQ(succeeded(block + " -o " + q(dir_ / "block.tap")).err,
            "wrote " + (dir_ / "block.tap").string() + "\n");
  EXPECT_TRUE(test::contains(test::readFile(dir_ / "block.tap"), "G21 G90 G93"));
  EXPECT_EQ(succeeded(block + " -o " + q(dir_ / "block")).err, "wrote " + script.string() + "\n");
  const std::string text = test::readFile(script);
  EXPECT_EQ(text.rfind("F:", 0), 0u);
  // A centred 400 mm block on the 1500 mm table; its rear faces at X0 = 20,
  // trimmed from the clearance height down.
  EXPECT_TRUE(test::contains(text, "// Move to block start\nT:"));
  EXPECT_TRUE(test::contains(text, "XG:20.000000 YG:70.000000 XD:20.000000 YD:70.000000"));
  EXPECT_TRUE(test::contains(text, "XG:20.000000 YG:0.000000 XD:20.000000 YD:0.000000"));
  // --foam makes that foam current at its own speed (D\u00e9pron: 2 mm/s).
  const auto scriptOf = [&](const std::string& options) {
    EXPECT_EQ(run(block + " --foam depron" + options + " -o " + q(script)).exitCode, 0) << options;
    return test::readFile(script);
  };
  EXPECT_EQ(scriptOf(""), scriptOf(" --speed 2"));
  EXPECT_NE(scriptOf(""), scriptOf(" --speed 4"));

  const fs::path gcode = dir_ / "test.ngc";
  const CliRun slices = succeeded(
      "test-cut --left-width 100 --length 300 --clearance 70 --height 40 "
      "--format gcode -o " +
      q(gcode));
  const std::string program = test::readFile(gcode);
  EXPECT_TRUE(test::contains(program, "G21 G90 G93"));
  EXPECT_TRUE(test::contains(program, "M2\n"));
  EXPECT_TRUE(test::contains(program, "(- Slice cut 0)"));
}

TEST_F(CliTest, HelpListsTheCommandsAndShowsExamplesOfEach) {
  const CliRun help = succeeded("--help");
  EXPECT_TRUE(test::contains(run("section --help").out, "--tip-chord"));
  for (const std::string command :
       {"airfoil", "section", "info", "build", "export", "survey", "cut", "block-shaping",
        "test-cut", "replay", "gcode", "tables", "foams", "render"}) {
    EXPECT_TRUE(test::contains(help.out, "\n  " + command + " ")) << command;
    EXPECT_TRUE(
        test::contains(succeeded(command + " --help").out, "Examples:\n  orva-cli " + command));
  }
}

// The width (or height) in pixels of a PNG file from its IHDR record, 0 when it is none.
unsigned pngSize(const std::string& png, bool height = false) {
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return 0;
  unsigned size = 0;
  for (std::size_t i = height ? 20 : 16; i < (height ? 24u : 20u); ++i) {
    size = size << 8 | static_cast<unsigned char>(png[i]);
  }
  return size;
}

TEST_F(CliTest, RenderDrawsEveryViewAndTilesLargeDrawingsOnPaper) {
  const fs::path project = build("wing", R"({"panels": [{"span": 400, "sweep": 20,
      "root": {"chord": 240, "naca": "2412"}, "tip": {"chord": 200, "naca": "2411"}}]})");
  const std::string render = "render " + q(project);
  std::vector<unsigned> widths;
  unsigned profileHeight = 0;
  for (const char* view : {"profile", "wing", "front-preview", "top-preview"}) {
    const fs::path png = dir_ / (std::string(view) + ".png");
    const CliRun drawn = run(render + " --view " + view + " -o " + q(png));
    ASSERT_EQ(drawn.exitCode, 0) << view << drawn.err;
    EXPECT_EQ(drawn.err, "") << view;
    widths.push_back(pngSize(test::readFile(png)));
    if (widths.size() == 1) profileHeight = pngSize(test::readFile(png), true);
    EXPECT_GT(widths.back(), 100u) << view;
  }
  // The previews follow --zoom and the wing side like the others.
  const fs::path left = dir_ / "left.png";
  ASSERT_EQ(run(render + " --view top-preview --side left --zoom 0.5 -o " + q(left)).exitCode, 0);
  EXPECT_NEAR(pngSize(test::readFile(left)), 2.0 * widths[3], 2.0);
  // At zoom 2 the sections do not fit an A4 page: they are tiled over pages of
  // 190 x 277 mm that overlap by 10 mm (the PNG at 96 dpi gives the size).
  const auto pagesFor = [](double mm, double page) {
    return static_cast<std::size_t>(std::ceil((mm - 10) / (page - 10)));
  };
  const std::size_t expected =
      pagesFor(2 * widths[0] * 25.4 / 96, 190) * pagesFor(2 * profileHeight * 25.4 / 96, 277);
  EXPECT_GT(expected, 1u);
  const fs::path pdf = dir_ / "ribs.pdf";
  const CliRun tiled =
      succeeded(render + " --view profile --print --zoom 2 --paper a4 -o " + q(pdf));
  const std::string pages = test::readFile(pdf);
  std::size_t count = 0;
  for (std::size_t at = pages.find("/Type /Page\n"); at != std::string::npos;
       at = pages.find("/Type /Page\n", at + 1)) {
    ++count;
  }
  EXPECT_EQ(count, expected);
  expectRefusals({{render + " --view profile --paper a4 -o " + q(dir_ / "x.png"), 2, ""},
                  {render + " --view profile --paper b5 -o " + q(pdf), 2, ""},
                  {render + " --view side -o " + q(pdf), 2,
                   "render: --view must be profile, wing, front-preview, top-preview or cut\n"}});
}

// The cut of a tapered panel drawn as PNG (the wire at the end unless
// --time says otherwise) and as SVG in 3D; a panel that cannot be cut and
// the options of other views are refused.
TEST_F(CliTest, RenderDrawsThePlannedCutInBothProjectionsAndRefusesWhatItCannot) {
  const fs::path project = build("wing", R"({"panels": [{"span": 400, "sweep": 40,
      "root": {"chord": 240, "naca": "2412"}, "tip": {"chord": 160, "naca": "2412"}}]})");
  const std::string render = "render " + q(project) + " --view cut --place auto";
  const fs::path end = dir_ / "end.png";
  const CliRun drawn = succeeded(render + " -o " + q(end));
  EXPECT_EQ(drawn.err, "");
  succeeded(render + " --time 20 -o " + q(dir_ / "early.png"));
  const std::string endPng = test::readFile(end);
  EXPECT_EQ(endPng.compare(1, 3, "PNG"), 0);
  EXPECT_GT(endPng.size(), 5000u);
  EXPECT_NE(test::readFile(dir_ / "early.png"), endPng);  // the wire and the time shown moved

  succeeded(render + " --3d --time 100 -o " + q(dir_ / "cut3d.svg"));
  const std::string picture = test::readFile(dir_ / "cut3d.svg");
  for (const char* shown : {"<svg", "Oblique view", "100.0 s elapsed"}) {
    EXPECT_TRUE(test::contains(picture, shown)) << shown;
  }
  // An intermediate section outside the panel is not simulated.
  expectRefusals(
      {{"render " + q(project) + " --view cut --section-cut 5000 -o " + q(dir_ / "x.png"), 1,
        "render: The cut cannot be simulated: ", Match::Contains},
       {"render " + q(project) + " --view profile --3d -o " + q(end), 2, ""},
       {render + " --time -4 -o " + q(end), 2, ""}});
  EXPECT_FALSE(fs::exists(dir_ / "x.png"));
}

}  // namespace
