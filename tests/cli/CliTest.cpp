// Runs orva-cli as a separate process, as a user or a script does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "support/Golden.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace fs = std::filesystem;
namespace test = orva::test;

namespace {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  nlohmann::json json() const { return nlohmann::json::parse(out); }
};

class CliTest : public ::testing::Test {
 protected:
  fs::path writeFile(const std::string& name, const std::string& content) {
    test::writeFile(dir_ / name, content);
    return dir_ / name;
  }

  CliRun run(const std::string& arguments) {
    const fs::path out = dir_ / "stdout.txt";
    const fs::path err = dir_ / "stderr.txt";
    // The user's settings and data directory live in the test's own home.
    const fs::path home = dir_ / "home";
    const std::string environment = "HOME='" + home.string() + "' XDG_CONFIG_HOME='" +
                                    (home / ".config").string() + "' XDG_DATA_HOME='" +
                                    (home / ".local/share").string() + "' ";
    const std::string command = environment + "'" + ORVA_CLI_PATH + "' " + arguments + " >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    CliRun result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = test::readFile(out);
    result.err = test::readFile(err);
    return result;
  }

  const test::TempDir dir_;
};

// The built-in airfoil with its points, leading edge, extremes and thickness
// (thickest at x = 0.30866, where the two columns of its table are furthest apart).
TEST_F(CliTest, ReportsTheBuiltInAirfoilWithItsLeadingEdge) {
  const CliRun result = run("airfoil --default --points");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  test::expectGolden("cli/airfoil-default.json", result.out);
  EXPECT_EQ(result.json()["points"][result.json()["leadingEdgeIndex"].get<int>()][0], 0.0);
}

TEST_F(CliTest, ReportsNacaAirfoilsAndRefusesBadDesignations) {
  const CliRun symmetric = run("airfoil --naca 0012");
  ASSERT_EQ(symmetric.exitCode, 0) << symmetric.err;
  EXPECT_EQ(symmetric.json()["name"], "NACA 0012");
  EXPECT_EQ(symmetric.json()["maxCamber"].get<double>(), 0.0);
  EXPECT_NEAR(symmetric.json()["maxThickness"].get<double>(), 0.12, 0.002);

  const CliRun bad = run("airfoil --naca 12");
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(test::contains(bad.err, "NACA"));
}

TEST_F(CliTest, RefusedFilesAreNamedWithTheProgramsMessagesAndTheReason) {
  const std::string missing = (dir_ / "absent.dat").string();
  const CliRun absent = run("airfoil '" + missing + "'");
  EXPECT_EQ(absent.exitCode, 1);
  EXPECT_EQ(absent.err, missing + ": Unable to Open file for Reading\nInvalid .dat file\n");
  EXPECT_TRUE(absent.out.empty());

  const std::vector<std::pair<std::string, std::string>> invalid{
      {"flat\n1.0 0.0\n0.0 0.0\n", "too few points"},
      {"pct\n100 0\n50 5\n0 0\n50 -5\n100 0\n",
       "the coordinates are in percent of the chord, not fractions"},
      {"hdr\n5. 5.\n\n0 0\n0.5 0.05\n1 0\n\n0 0\n0.5 -0.05\n1 0\n",
       "the header announces more points than follow"}};
  for (const auto& [content, reason] : invalid) {
    const std::string file = writeFile("bad.dat", content).string();
    const CliRun refused = run("airfoil '" + file + "'");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, file + ": Invalid .dat file: " + reason + "\n");
  }
  // A section names the end whose airfoil failed.
  const CliRun tip = run("section --default --tip '" + missing + "'");
  EXPECT_EQ(tip.exitCode, 1);
  EXPECT_EQ(tip.err.rfind("tip airfoil: " + missing + ": Unable to Open", 0), 0u) << tip.err;

  // A file of another kind gets a hint after the program's message.
  const fs::path dat = writeFile("wing.dat", "NACA\n1 0\n0 0\n1 0\n");
  const CliRun info = run("info '" + dat.string() + "'");
  EXPECT_EQ(info.exitCode, 1);
  EXPECT_TRUE(test::contains(
      info.err, dat.string() + ": this is an airfoil coordinate file: use 'orva-cli airfoil'\n"));
  const fs::path cnc = writeFile("wing.cnc", "not a script");
  const CliRun gcode = run("gcode '" + cnc.string() + "' -o '" + (dir_ / "x.ngc").string() + "'");
  EXPECT_EQ(gcode.exitCode, 1);
  EXPECT_TRUE(test::contains(gcode.err, cnc.string() + ": this is a project file"));
}

TEST_F(CliTest, ReadsAFileAndNamesItFromItsTextLine) {
  const fs::path file = writeFile(
      "diamond.dat", "Diamond 5\r\n1.0 0.0\r\n0.5 0.05\r\n0.0 0.0\r\n0.5 -0.05\r\n1.0 0.0\r\n");
  const CliRun result = run("airfoil --compact '" + file.string() + "'");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find('\n'), result.out.size() - 1);  // one line
  const auto json = result.json();
  EXPECT_EQ(json["name"], "Diamond 5");
  EXPECT_EQ(json["count"], 5);
  EXPECT_EQ(json["leadingEdgeIndex"], 2);
  // Coordinates are read as 32-bit floats: 0.05f - (-0.05f) in double.
  EXPECT_DOUBLE_EQ(json["maxThickness"].get<double>(),
                   std::trunc(2.0 * static_cast<double>(0.05f) * 100000.0) * 0.00001);
  EXPECT_DOUBLE_EQ(json["maxThicknessX"].get<double>(), 0.5);
}

TEST_F(CliTest, SectionMatchesTheTipToTheRootPointForPoint) {
  const CliRun result =
      run("section --default --chord 400 --skin 1 --washout 0 --tip-naca 0012 --tip-chord 200 "
          "--tip-washout 3 --compact");
  ASSERT_EQ(result.exitCode, 0) << result.err;
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
}

TEST_F(CliTest, SectionWithoutTipHasNoTipAndKeepsOptionsInRange) {
  const CliRun plain = run("section --naca 2412 --splines 0 --compact");
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_FALSE(plain.json().contains("tip"));
  EXPECT_EQ(plain.json()["splines"], false);

  const CliRun chord = run("section --default --chord 0");
  EXPECT_EQ(chord.exitCode, 2);
  EXPECT_EQ(chord.err, "--chord: Please enter a number between 0.1 and 10000.\n");

  const CliRun notNumber = run("section --default --washout abc");
  EXPECT_EQ(notNumber.exitCode, 2);
  EXPECT_EQ(notNumber.err, "--washout: Please enter a number.\n");

  const CliRun tipWithoutAirfoil = run("section --default --tip-chord 100");
  EXPECT_EQ(tipWithoutAirfoil.exitCode, 2);

  const CliRun twoRoots = run("section --default --naca 0012");
  EXPECT_EQ(twoRoots.exitCode, 2);
}

TEST_F(CliTest, BuildInfoAndBuildAgainReproduceTheProject) {
  const fs::path wing = writeFile("wing.json", R"({
    "comments": "Aile \u00e9paisse\nsecond line", "foamName": "Poly extrud\u00e9", "cutSpeed": 3.5,
    "panels": [
      {"span": 400, "differentRootTip": true, "sweep": 20,
       "root": {"chord": 220, "naca": "2412"},
       "tip": {"chord": 160, "washout": 2, "default": true},
       "spars": [{"active": true, "label": "Main", "type": 1, "distance": 30}]},
      {"span": 300, "root": {"chord": 160, "airfoil": "diamond.dat"}}]})");
  writeFile("diamond.dat", "Diamond\n1 0\n0.5 0.05\n0 0\n0.5 -0.05\n1 0\n");
  const fs::path first = dir_ / "wing.cnc";
  const CliRun build = run("build '" + wing.string() + "' -o '" + first.string() + "'");
  ASSERT_EQ(build.exitCode, 0) << build.err;

  const CliRun info = run("info '" + first.string() + "'");
  ASSERT_EQ(info.exitCode, 0) << info.err;
  // The reviewed project: version 1007, the comments, the foam, the NACA 2412
  // root and built-in tip (washout 2) of the first panel with its spar "Main"
  // among ten, the fields not given at a new panel's values (root axis offset
  // 375 on the built-in table), and the second panel's five-point "Diamond"
  // at both ends.
  test::expectGolden("cli/info-wing.json", info.out);
  const auto json = info.json();
  EXPECT_EQ(json["panels"][1]["tip"]["profile"], json["panels"][1]["root"]["profile"]);

  // Building from info's output writes the same file again.
  const fs::path infoFile = writeFile("info.json", info.out);
  const fs::path second = dir_ / "again.cnc";
  ASSERT_EQ(run("build '" + infoFile.string() + "' -o '" + second.string() + "'").exitCode, 0);
  EXPECT_EQ(test::readFile(first), test::readFile(second));
}

TEST_F(CliTest, ProjectCommandsRefuseBadInputWithTheProgramsMessages) {
  const fs::path notProject = writeFile("naca.dat", "NACA\n1 0\n0 0\n1 0\n");
  const CliRun info = run("info '" + notProject.string() + "'");
  EXPECT_EQ(info.exitCode, 1);
  EXPECT_EQ(info.err.rfind("Invalid project format. Do not mix up profil files (.dat) with "
                           "project files (.cnc).\n",
                           0),
            0u)
      << info.err;

  const fs::path typo = writeFile("typo.json", R"({"panels": [{"spann": 300}]})");
  const CliRun build = run("build '" + typo.string() + "' -o '" + (dir_ / "x.cnc").string() + "'");
  EXPECT_EQ(build.exitCode, 1);
  EXPECT_TRUE(test::contains(build.err, "unknown field \"spann\""));
  EXPECT_FALSE(fs::exists(dir_ / "x.cnc"));

  EXPECT_EQ(run("build '" + typo.string() + "'").exitCode, 2);  // no -o

  // Lengths that must be positive are refused with the field's JSON path.
  for (const auto& [panel, path] : std::vector<std::pair<std::string, std::string>>{
           {R"({"span": 0})", "project.panels[0].span"},
           {R"({"foamThickness": -5})", "project.panels[0].foamThickness"},
           {R"({"root": {"chord": 0, "default": true}})", "project.panels[0].root.chord"}}) {
    const fs::path bad = writeFile("bad.json", R"({"panels": [)" + panel + "]}");
    const CliRun refused =
        run("build '" + bad.string() + "' -o '" + (dir_ / "x.cnc").string() + "'");
    EXPECT_EQ(refused.exitCode, 1) << panel;
    EXPECT_TRUE(test::contains(refused.err, path + ": must be greater than 0 mm"));
  }
  EXPECT_FALSE(fs::exists(dir_ / "x.cnc"));

  // A section outside its block is built, with a warning naming it: NACA 2412
  // at 200 mm reaches about 7 mm below its chord line, 2 mm above the bottom.
  const fs::path low = writeFile("low.json", R"({"panels": [{"foamThickness": 40,
      "root": {"chord": 200, "basicHeight": 2, "naca": "2412"},
      "tip": {"chord": 200, "basicHeight": 15, "naca": "2412"}, "differentRootTip": true}]})");
  const CliRun warned = run("build '" + low.string() + "' -o '" + (dir_ / "x.cnc").string() + "'");
  EXPECT_EQ(warned.exitCode, 0) << warned.err;
  EXPECT_NE(warned.err.find("warning: project.panels[0].root: the section reaches from -6.5 to "
                            "17.8 mm, outside its block (0 to foamThickness 40.0 mm)"),
            std::string::npos)
      << warned.err;
  EXPECT_EQ(warned.err.find("panels[0].tip"), std::string::npos) << warned.err;
  EXPECT_TRUE(fs::exists(dir_ / "x.cnc"));
}

TEST_F(CliTest, ExportWritesTheChosenPanelWithCrLf) {
  const fs::path wing =
      writeFile("two.json", R"({"panels": [{"span": 111, "root": {"default": true}},
                                 {"span": 222, "root": {"naca": "0012"}}]})");
  const fs::path project = dir_ / "two.cnc";
  ASSERT_EQ(run("build '" + wing.string() + "' -o '" + project.string() + "'").exitCode, 0);
  const fs::path out = dir_ / "two.txt";
  const CliRun exported =
      run("export '" + project.string() + "' --panel 2 -o '" + out.string() + "'");
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  const std::string text = test::readFile(out);
  EXPECT_EQ(text.rfind("Configuration de la table:\r\nEntre-axe XGXD: 1500 mm\r\n", 0), 0u);
  EXPECT_TRUE(test::contains(text, "NACA 0012"));
  EXPECT_FALSE(test::contains(text, "NoName"));  // panel 1 is not exported
  for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
    ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
  }
  EXPECT_EQ(run("export '" + project.string() + "' --panel 3 -o '" + out.string() + "'").exitCode,
            2);
}

TEST_F(CliTest, ReplayRunsAScriptOnTheSimulatedMachine) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
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
  const std::string options = " --data-dir '" + data.string() + "'";
  const CliRun result = run("replay --yes --json '" + script.string() + "'" + options);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // The reviewed summary: 2 moves, 12 s planned and run, the end point and
  // the steps counted (48 per mm on the built-in table: 960 XG, 480 YG, 0 XD).
  test::expectGolden("cli/replay-move.json", result.out);
  EXPECT_EQ(result.json()["steps"]["XG"], (30 - 10) * 48);
  // The start-up on an empty data directory created the table's files.
  EXPECT_TRUE(fs::exists(data / "Default_table.bd"));
  EXPECT_TRUE(fs::exists(data / "TableNames.bd"));

  // Without --yes (and no terminal) the cut is not confirmed.
  const CliRun unconfirmed = run("replay '" + script.string() + "'" + options + " </dev/null");
  EXPECT_EQ(unconfirmed.exitCode, 1);
  EXPECT_TRUE(test::contains(unconfirmed.err, "Start cut ?\nTotal time 12 sec\n"));

  const fs::path missing = writeFile("missing.cut", "N:Elsewhere\n");
  const CliRun refused = run("replay --yes '" + missing.string() + "'" + options);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "Table \"Elsewhere\" does not exist\n");
}

TEST_F(CliTest, ReplayInterruptedByCtrlCRetreatsAndExits130) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
  // 70 s of cutting, paced 20 times faster than real time: the second move
  // still runs when the interrupt comes.
  const fs::path script =
      writeFile("long.cut",
                "N:Default\nHw:45\n"
                "T:0.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n"
                "T:10.000000 XG:30.000000 YG:15.000000 XD:10.000000 YD:5.000000\n"
                "T:60.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n");
  const fs::path home = dir_ / "home";
  const fs::path err = dir_ / "stderr.txt";
  // SIGINT until the command has ended (one sent before its handler is
  // installed is ignored, as for every command started in the background).
  const std::string command =
      "HOME='" + home.string() + "' XDG_CONFIG_HOME='" + (home / ".config").string() +
      "' XDG_DATA_HOME='" + (home / ".local/share").string() + "' '" + ORVA_CLI_PATH +
      "' replay --yes --speed-up 20 '" + script.string() + "' --data-dir '" + data.string() +
      "' >/dev/null 2>'" + err.string() +
      "' & p=$!; i=0; while kill -0 $p 2>/dev/null && [ $i -lt 300 ]; do sleep 0.05; "
      "kill -INT $p 2>/dev/null; i=$((i+1)); done; wait $p";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  // The wire went back to the machine zero.
  const std::string text = test::readFile(err);
  EXPECT_TRUE(test::contains(text, "Abort cut: XG 0.000 YG 0.000 XD 0.000 YD 0.000\n"));
}

TEST_F(CliTest, GcodeStartsColdAtTheScriptsStartAndCarriesItsLabels) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
  const fs::path script =
      writeFile("move.cut",
                "N:Default\nHw:45\n"
                "T:0.000000 XG:10.000000 YG:5.000000 XD:10.000000 YD:5.000000\n"
                "// Lift (left)\n"
                "T:10.000000 XG:30.000000 YG:15.000000 XD:10.000000 YD:5.000000\n");
  const fs::path out = dir_ / "move.ngc";
  const std::string common =
      " '" + script.string() + "' --data-dir '" + data.string() + "' -o '" + out.string() + "'";
  const CliRun grbl = run("gcode" + common);
  ASSERT_EQ(grbl.exitCode, 0) << grbl.err;
  EXPECT_EQ(grbl.err, "wrote " + out.string() + "\n");
  std::string text = test::readFile(out);
  // 10 s per move: F = 60 / 10; the script's start is reached before the heat.
  EXPECT_TRUE(test::contains(text,
                             "G21 G90 G93\n(- Start position, wire cold)\n"
                             "G0 X10.0000 Y5.0000 Z10.0000 A5.0000\nM3 S450\n"
                             "(- Lift [left])\nG1 X30.0000 Y15.0000 Z10.0000 A5.0000 F6\n"
                             "M5\nG94\nM2\n"));

  ASSERT_EQ(run("gcode --dialect linuxcnc --no-heat" + common).exitCode, 0);
  text = test::readFile(out);
  EXPECT_TRUE(test::contains(text,
                             "G0 X10.0000 Y5.0000 U10.0000 V5.0000\n(- Lift [left])\n"
                             "G1 X30.0000 Y15.0000 U10.0000 V5.0000 F6\n"));
  EXPECT_FALSE(test::contains(text, "M3"));

  EXPECT_EQ(run("gcode --axes XYXY" + common).exitCode, 2);
  EXPECT_EQ(run("gcode --dialect mach3" + common).exitCode, 2);
}

TEST_F(CliTest, SurveyCutAndReplayAPanelEndToEnd) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
  const fs::path wing = writeFile("wing.json", R"({"foamName": "Poly expans\u00e9",
    "panels": [{"span": 400, "offsetX0": 40, "differentRootTip": true, "sweep": 20,
      "root": {"chord": 220, "naca": "2412"},
      "tip": {"chord": 160, "washout": 2, "naca": "2410"}}]})");
  const fs::path project = dir_ / "wing.cnc";
  ASSERT_EQ(run("build '" + wing.string() + "' -o '" + project.string() + "'").exitCode, 0);
  const std::string common = " '" + project.string() + "' --data-dir '" + data.string() + "'";

  const CliRun survey = run("survey" + common);
  ASSERT_EQ(survey.exitCode, 0) << survey.err;
  const auto found = survey.json();
  // The reviewed survey: no errors, the speed the motors allow (below the
  // built-in table's 1000 / (48 x 5) = 4.1667 mm/s, truncated to two
  // decimals), the limiting move, the table, the panel's place and the moves.
  test::expectGolden("cli/survey-wing.json", survey.out);
  // A computed-heat foam cuts by default at the surveyed maximum.
  EXPECT_EQ(found["cutSpeed"], found["maxSpeed"]);
  EXPECT_EQ(found["leftDistance"], 375.0);  // right wing: the root axis offset

  const fs::path script = dir_ / "wing.cut";
  // No --speed: the cut runs at the speed the survey reported.
  const CliRun cut = run("cut" + common + " -o '" + script.string() + "'");
  ASSERT_EQ(cut.exitCode, 0) << cut.err;
  EXPECT_TRUE(test::contains(cut.err, "wrote " + script.string() + "\n"));
  const CliRun replay =
      run("replay --yes --json '" + script.string() + "' --data-dir '" + data.string() + "'");
  ASSERT_EQ(replay.exitCode, 0) << replay.err;
  const auto ran = replay.json();
  // The cut ends where it started: back at the machine zero on every axis.
  for (const char* axis : {"XG", "YG", "XD", "YD"}) {
    EXPECT_NEAR(ran["final"][axis].get<double>(), 0.0, 1.0 / 48) << axis;
  }
  EXPECT_NEAR(ran["plannedTime"].get<double>(), found["totalTime"].get<double>(), 1e-3);
  EXPECT_NEAR(ran["machineTime"].get<double>(), ran["plannedTime"].get<double>(), 0.01);

  // Faster than the motors allow: refused with the planner's message.
  const CliRun tooFast = run("cut --speed 50" + common + " -o '" + script.string() + "'");
  EXPECT_EQ(tooFast.exitCode, 1);
  EXPECT_TRUE(test::contains(tooFast.err, "Speed above step motor limit"));

  // The format follows the extension; with the wire hot every move is a timed G1.
  const fs::path gcode = dir_ / "wing.ngc";
  const CliRun program = run("cut --dialect linuxcnc" + common + " -o '" + gcode.string() + "'");
  ASSERT_EQ(program.exitCode, 0) << program.err;
  EXPECT_TRUE(test::contains(program.err, "wrote " + gcode.string() + "\n"));
  const std::string text = test::readFile(gcode);
  const std::size_t heatOn = text.find("\nM3 S");
  ASSERT_NE(heatOn, std::string::npos) << text;
  EXPECT_NE(text.rfind("\nG0 X0.0000 Y0.0000 U0.0000 V0.0000\n", heatOn), std::string::npos);
  EXPECT_EQ(text.find("\nG0", heatOn), std::string::npos);
  EXPECT_GT(std::count(text.begin(), text.end(), '\n'), found["moves"].get<long>());
}

TEST_F(CliTest, OutputFormatFollowsTheExtensionAndContradictionsAreRefused) {
  const std::string block = "block-shaping --left-width 200 --length 400 --clearance 70";
  const CliRun gcode = run(block + " -o '" + (dir_ / "block.tap").string() + "'");
  ASSERT_EQ(gcode.exitCode, 0) << gcode.err;
  EXPECT_EQ(gcode.err, "wrote " + (dir_ / "block.tap").string() + "\n");
  EXPECT_TRUE(test::contains(test::readFile(dir_ / "block.tap"), "G21 G90 G93"));
  const CliRun script = run(block + " -o '" + (dir_ / "block").string() + "'");
  ASSERT_EQ(script.exitCode, 0) << script.err;
  EXPECT_EQ(script.err, "wrote " + (dir_ / "block.cut").string() + "\n");
  EXPECT_EQ(test::readFile(dir_ / "block.cut").rfind("F:", 0), 0u);

  const CliRun contradiction = run(block + " --format cut -o '" + (dir_ / "b.ngc").string() + "'");
  EXPECT_EQ(contradiction.exitCode, 2);
  EXPECT_TRUE(test::contains(contradiction.err, "contradicts --format cut"));
  const CliRun directory = run(block + " -o '" + dir_.path().string() + "'");
  EXPECT_EQ(directory.exitCode, 2);
  EXPECT_TRUE(test::contains(directory.err, "is a directory"));
  EXPECT_EQ(run(block + " -o '" + (dir_ / "b.txt").string() + "'").exitCode, 2);
  EXPECT_FALSE(fs::exists(dir_ / "b.ngc") || fs::exists(dir_ / "b.cut") ||
               fs::exists(dir_.path().string() + ".cut"));
}

TEST_F(CliTest, FoamIsTheProjectsWhenTheTableHasItOtherwiseTheCurrentOne) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
  // A project without a foam name, on a table whose foams differ in case only.
  const fs::path wing = writeFile("wing.json", R"({"panels": [{"span": 300, "offsetX0": 40,
      "root": {"chord": 200, "naca": "0012"}}]})");
  const fs::path project = dir_ / "wing.cnc";
  ASSERT_EQ(run("build '" + wing.string() + "' -o '" + project.string() + "'").exitCode, 0);
  const std::string common = "survey '" + project.string() + "' --data-dir '" + data.string() + "'";
  const CliRun current = run(common);
  ASSERT_EQ(current.exitCode, 0) << current.err;
  EXPECT_EQ(current.json()["foam"], "Poly expans\u00e9");  // the built-in current foam
  const CliRun matched = run(common + " --foam 'POLY extrude'");
  ASSERT_EQ(matched.exitCode, 0) << matched.err;
  EXPECT_EQ(matched.json()["foam"], "Poly extrud\u00e9");
  // A fixed-heat foam cuts by default at its measured speed.
  const CliRun fixed = run(common + " --foam depron");
  ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_EQ(fixed.json()["cutSpeed"], 2.0);
  EXPECT_EQ(fixed.json()["heat"], 50);

  // A project foam the table does not have leaves the current foam, with a warning.
  const fs::path balsa = writeFile("balsa.json", R"({"foamName": "Balsa", "panels": [{"span": 300,
      "offsetX0": 40, "root": {"chord": 200, "naca": "0012"}}]})");
  const fs::path other = dir_ / "balsa.cnc";
  ASSERT_EQ(run("build '" + balsa.string() + "' -o '" + other.string() + "'").exitCode, 0);
  const CliRun kept = run("survey '" + other.string() + "' --data-dir '" + data.string() + "'");
  ASSERT_EQ(kept.exitCode, 0) << kept.err;
  EXPECT_EQ(kept.json()["foam"], "Poly expans\u00e9");
  EXPECT_TRUE(
      test::contains(kept.err, "the project's foam \"Balsa\" is not a foam of table \"Default\""));

  const CliRun unknown = run(common + " --foam balsa");
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err,
            "Invalid foam type, select a new foam: \"balsa\"\n"
            "Foams: D\u00e9pron, Poly expans\u00e9, Poly extrud\u00e9\n");

  writeFile("data/Default_foam.bd",
            "V3\nBlue: 1 2.0 2.0 0.8 1.5 40 40\nblue: 1 3.0 3.0 0.8 1.5 40 40\n");
  const CliRun exact = run(common + " --foam blue");
  ASSERT_EQ(exact.exitCode, 0) << exact.err;
  EXPECT_EQ(exact.json()["cutSpeed"], 3.0);
  const CliRun ambiguous = run(common + " --foam BLUE");
  EXPECT_EQ(ambiguous.exitCode, 1);
  EXPECT_EQ(ambiguous.err,
            "Foam \"BLUE\" matches several foams: \"Blue\", \"blue\"\nFoams: Blue, blue\n");
}

TEST_F(CliTest, APanelOutOfTravelFailsWithNullsAndTheLeastOffsetThatFits) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
  const auto build = [&](int offsetX0) {
    const fs::path wing = writeFile("wing.json", R"({"panels": [{"span": 500, "sweep": 30,
        "offsetX0": )" + std::to_string(offsetX0) + R"(, "differentRootTip": true,
        "root": {"chord": 180, "naca": "2410"}, "tip": {"chord": 120, "washout": 2,
        "naca": "2410"}}]})");
    const fs::path project = dir_ / "wing.cnc";
    EXPECT_EQ(run("build '" + wing.string() + "' -o '" + project.string() + "'").exitCode, 0);
    return "survey '" + project.string() + "' --data-dir '" + data.string() + "'";
  };
  const CliRun refused = run(build(10));
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
  EXPECT_EQ(run(build(least - 1)).exitCode, 1);
  EXPECT_EQ(run(build(least)).exitCode, 0);
  // --place auto applies it.
  const CliRun placed = run(build(10) + " --place auto");
  ASSERT_EQ(placed.exitCode, 0) << placed.err;
  EXPECT_EQ(placed.json()["offsetX0"], least);
  EXPECT_EQ(placed.json()["errors"], nlohmann::json::array());
}

TEST_F(CliTest, RunOnlyOptionsNamingNothingAreRefusedAndNothingIsCreated) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
  const std::string block = "block-shaping --left-width 200 --length 400 --clearance 70 -o '" +
                            (dir_ / "b.cut").string() + "'";
  const CliRun table = run(block + " --data-dir '" + data.string() + "' --table Big");
  EXPECT_EQ(table.exitCode, 1);
  EXPECT_EQ(table.err, "Table \"Big\" does not exist\nTables: Default\n");
  EXPECT_FALSE(fs::exists(data / "Big_table.bd"));

  const fs::path typo = dir_ / "dta";
  const CliRun directory = run("tables --data-dir '" + typo.string() + "'");
  EXPECT_EQ(directory.exitCode, 1);
  EXPECT_EQ(directory.err, "Data directory not found: " + typo.string() + "\n");
  EXPECT_FALSE(fs::exists(typo));

  const fs::path settings = dir_ / "orva.ini";
  const CliRun ini = run("foams --settings '" + settings.string() + "'");
  EXPECT_EQ(ini.exitCode, 1);
  EXPECT_EQ(ini.err, "Settings file not found: " + settings.string() + "\n");
  EXPECT_FALSE(fs::exists(dir_ / "b.cut"));
}

TEST_F(CliTest, TablesFoamsAndAReplaySummaryTellWhatThereIs) {
  const fs::path data = dir_ / "data";
  fs::create_directories(data);
  const std::string options = " --data-dir '" + data.string() + "'";
  const CliRun tables = run("tables --json" + options);
  ASSERT_EQ(tables.exitCode, 0) << tables.err;
  EXPECT_EQ(run("tables" + options).out,
            "* Default  (entraxe 1500 mm, travel X 1000 mm, Y 500 mm)\n");
  const CliRun foams = run("foams --json" + options);
  ASSERT_EQ(foams.exitCode, 0) << foams.err;
  // The built-in table and its three foams, the current one marked.
  EXPECT_EQ(tables.json()["tables"], nlohmann::json::parse(R"([{"name": "Default", "current": true,
                                     "entraxe": 1500, "axesX": 1000, "axesY": 500}])"));
  test::expectGolden("cli/foams.json", foams.out);
  EXPECT_TRUE(test::contains(run("foams" + options).out,
                             "* Poly expans\u00e9  (computed heat, 1..4 mm/s at 30..70 %"));

  const fs::path script = writeFile("pause.cut",
                                    "N:Default\n"
                                    "T:0.000000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n"
                                    "T:1.500000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n");
  const CliRun replay = run("replay --yes '" + script.string() + "'" + options);
  ASSERT_EQ(replay.exitCode, 0) << replay.err;
  EXPECT_EQ(replay.out, "1 move, 1.5 s planned\n");
}

TEST_F(CliTest, CommandsWorkOnTheUsersSettingsAndDataDirectory) {
  const fs::path script = writeFile("pause.cut",
                                    "N:Default\n"
                                    "T:0.000000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n"
                                    "T:1.000000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n");
  const CliRun first = run("replay --yes '" + script.string() + "'");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  // First run: the per-user data directory got the default table's files, and
  // the settings were written as at the program's exit, without the port.
  const fs::path data = dir_ / "home/.local/share/orva";
  EXPECT_TRUE(fs::exists(data / "Default_table.bd"));
  EXPECT_TRUE(fs::exists(data / "Default_foam.bd"));
  EXPECT_TRUE(fs::exists(data / "TableNames.bd"));
  const std::string ini =
      test::readFile(dir_ / "home/.config/orva/orva.ini");
  EXPECT_TRUE(test::contains(ini, "[CncConfig]"));
  EXPECT_TRUE(test::contains(ini, "CurrentTable=Default"));
  EXPECT_FALSE(test::contains(ini, "Port="));

  // --settings names another store; its data directory is used.
  const fs::path other = dir_ / "other-data";
  const fs::path settings =
      writeFile("orva.ini", "[CncConfig]\nRepIns=" + other.string() + "\nCurrentTable=Default\n");
  ASSERT_EQ(
      run("replay --yes --settings '" + settings.string() + "' '" + script.string() + "'").exitCode,
      0);
  EXPECT_TRUE(fs::exists(other / "Default_table.bd"));
}

TEST_F(CliTest, AuxiliaryCutsAreWrittenAsScriptsOrGcode) {
  const fs::path script = dir_ / "block.cut";
  const CliRun block = run("block-shaping --left-width 200 --length 400 --clearance 70 -o '" +
                           script.string() + "'");
  ASSERT_EQ(block.exitCode, 0) << block.err;
  const std::string text = test::readFile(script);
  // A centred 400 mm block on the 1500 mm table; its rear faces at X0 = 20,
  // trimmed from the clearance height down.
  EXPECT_TRUE(test::contains(text, "// Move to block start\nT:"));
  EXPECT_TRUE(test::contains(text, "XG:20.000000 YG:70.000000 XD:20.000000 YD:70.000000"));
  EXPECT_TRUE(test::contains(text, "XG:20.000000 YG:0.000000 XD:20.000000 YD:0.000000"));
  // --foam makes that foam current at its own speed (D\u00e9pron: 2 mm/s).
  const std::string depron =
      "block-shaping --left-width 200 --length 400 --clearance 70 --foam depron";
  const auto scriptOf = [&](const std::string& options) {
    EXPECT_EQ(run(depron + options + " -o '" + script.string() + "'").exitCode, 0) << options;
    return test::readFile(script);
  };
  EXPECT_EQ(scriptOf(""), scriptOf(" --speed 2"));
  EXPECT_NE(scriptOf(""), scriptOf(" --speed 4"));

  const fs::path gcode = dir_ / "test.ngc";
  const std::string testCut = "test-cut --left-width 100 --length 300 --clearance 70 --height 40";
  const CliRun slices = run(testCut + " --format gcode -o '" + gcode.string() + "'");
  ASSERT_EQ(slices.exitCode, 0) << slices.err;
  const std::string program = test::readFile(gcode);
  EXPECT_TRUE(test::contains(program, "G21 G90 G93"));
  EXPECT_TRUE(test::contains(program, "M2\n"));
  EXPECT_TRUE(test::contains(program, "(- Slice cut 0)"));

  const CliRun noSpacing = run(testCut + " --spacing 0 -o '" + gcode.string() + "'");
  EXPECT_EQ(noSpacing.exitCode, 2);
  EXPECT_EQ(noSpacing.err, "--spacing: Please enter a number between 1 and 100000.\n");
}

TEST_F(CliTest, UnknownCommandsAndHelp) {
  EXPECT_EQ(run("frobnicate").exitCode, 2);
  const CliRun help = run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(test::contains(help.out, "airfoil"));
  EXPECT_TRUE(test::contains(help.out, "section"));
  const CliRun sectionHelp = run("section --help");
  EXPECT_EQ(sectionHelp.exitCode, 0);
  EXPECT_TRUE(test::contains(sectionHelp.out, "--tip-chord"));
  // Every command's help shows examples of it.
  for (const char* command :
       {"airfoil", "section", "info", "build", "export", "survey", "cut", "block-shaping",
        "test-cut", "replay", "gcode", "tables", "foams", "render"}) {
    const CliRun help = run(std::string(command) + " --help");
    EXPECT_EQ(help.exitCode, 0) << command;
    EXPECT_TRUE(test::contains(help.out, "Examples:\n  orva-cli " + std::string(command)));
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
  const fs::path wing = writeFile("wing.json", R"({"panels": [{"span": 400, "sweep": 20,
      "root": {"chord": 240, "naca": "2412"}, "tip": {"chord": 200, "naca": "2411"}}]})");
  const fs::path project = dir_ / "wing.cnc";
  ASSERT_EQ(run("build '" + wing.string() + "' -o '" + project.string() + "'").exitCode, 0);
  const std::string render = "render '" + project.string() + "'";
  std::vector<unsigned> widths;
  unsigned profileHeight = 0;
  for (const char* view : {"profile", "wing", "front-preview", "top-preview"}) {
    const fs::path png = dir_ / (std::string(view) + ".png");
    const CliRun drawn = run(render + " --view " + view + " -o '" + png.string() + "'");
    ASSERT_EQ(drawn.exitCode, 0) << view << drawn.err;
    EXPECT_EQ(drawn.err, "") << view;
    widths.push_back(pngSize(test::readFile(png)));
    if (widths.size() == 1) profileHeight = pngSize(test::readFile(png), true);
    EXPECT_GT(widths.back(), 100u) << view;
  }
  // The previews follow --zoom and the wing side like the others.
  const fs::path left = dir_ / "left.png";
  ASSERT_EQ(run(render + " --view top-preview --side left --zoom 0.5 -o '" + left.string() + "'")
                .exitCode,
            0);
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
      run(render + " --view profile --print --zoom 2 --paper a4 -o '" + pdf.string() + "'");
  ASSERT_EQ(tiled.exitCode, 0) << tiled.err;
  const std::string pages = test::readFile(pdf);
  std::size_t count = 0;
  for (std::size_t at = pages.find("/Type /Page\n"); at != std::string::npos;
       at = pages.find("/Type /Page\n", at + 1)) {
    ++count;
  }
  EXPECT_EQ(count, expected);
  EXPECT_EQ(
      run(render + " --view profile --paper a4 -o '" + (dir_ / "x.png").string() + "'").exitCode,
      2);
  EXPECT_EQ(run(render + " --view profile --paper b5 -o '" + pdf.string() + "'").exitCode, 2);
  const CliRun badView = run(render + " --view side -o '" + pdf.string() + "'");
  EXPECT_EQ(badView.exitCode, 2);
  EXPECT_EQ(badView.err, "render: --view must be profile, wing, front-preview, top-preview or cut\n");
}

}  // namespace
