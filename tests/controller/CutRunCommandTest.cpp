// orva-cli cut --run end to end: the panel planned and streamed to the
// firmware simulator on its pseudo-terminal, as a user runs the tool.
#include <gtest/gtest.h>

#include <chrono>
#include <array>
#include <optional>
#include <string>

#include "GrblSimulator.h"
#include "cli/CliRun.h"
#include "controller/SerialTransport.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace orva {
namespace {

using namespace std::chrono_literals;

using test::q;

class CutRunCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureCoreApplication(); }

  test::CliRun run(const std::string& arguments, const std::string& then = "") {
    return test::runCli(dir_.path(), arguments, then);
  }

  // The project of a one-panel wing, built by the tool: the arguments that
  // name it, its data directory and --yes.
  std::string buildProject() {
    fs::create_directories(dir_ / "data");
    test::writeFile(dir_ / "wing.json", R"({"panels": [{"span": 300,
        "root": {"chord": 160, "naca": "2412"}, "tip": {"chord": 120, "naca": "2412"}}]})");
    const fs::path project = dir_ / "wing.cnc";
    if (run("build " + q(dir_ / "wing.json") + " -o " + q(project)).exitCode != 0) return {};
    return " " + q(project) + " --data-dir " + q(dir_ / "data") + " --yes";
  }

  // The machine panel's work before a first cut: unlocked, linear axes,
  // zeroed; then jogged by `away`.
  static void prepare(const SimulatedController& sim, const std::string& letters,
                      const std::array<std::optional<double>, 4>& away = {}) {
    SerialTransport transport(sim.path(), 115200);
    GrblSettings settings;
    settings.axisLetters = letters;
    GrblStreamer streamer(transport, settings);
    ASSERT_TRUE(streamer.connect()) << streamer.failureText();
    prepareMachine(streamer);
    ASSERT_TRUE(streamer.jog(away, 3000));
    ASSERT_TRUE(streamer.waitIdle(5s));
    streamer.disconnect();
  }

  test::TempDir dir_;
};

TEST_F(CutRunCommand, PlansAndStreamsAPanelToTheController) {
  const std::string common = buildProject();
  ASSERT_FALSE(common.empty());

  // Refused before anything is opened: a file and the controller at once; a
  // table without a controller link and no port.
  test::CliRun refused = run("cut --run" + common + " -o " + q(dir_ / "x.ngc"));
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(test::contains(refused.err, "leave out -o")) << refused.err;
  refused = run("cut --run" + common);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(test::contains(refused.err, "--port PATH")) << refused.err;
  refused = run("cut --run --port " + q(dir_ / "none") + common);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(test::contains(refused.err, (dir_ / "none").string())) << refused.err;

  if (!simulatorBuilt("mega5x-xyuv")) {
    GTEST_SKIP() << "GRBL simulator mega5x-xyuv not built in " << simOut()
                 << " (run scripts/build-grbl-sim.sh)";
  }
  SimulatedController sim("mega5x-xyuv", dir_ / "sim", "--fast");
  ASSERT_TRUE(sim.started());
  prepare(sim, "XYUV", {15.0, 5.0, 15.0, 5.0});  // then away from zero
  if (HasFatalFailure()) return;
  const test::CliRun cut = run("cut --run --port " + q(sim.path()) + " --axes XYUV --rx-buffer 255" + common);
  EXPECT_EQ(cut.exitCode, 0) << cut.err;
  EXPECT_TRUE(test::contains(cut.err, "Grbl")) << cut.err;          // the banner
  EXPECT_TRUE(test::contains(cut.err, "Planner while moving")) << cut.err;
  // Jogged to 15, 5 and the cut returns to the work zero after its moves.
  EXPECT_EQ(cut.out, "Position: XG 0.000, YG 0.000, XD 0.000, YD 0.000\n");
}

// Ctrl+C in the middle of the cut: the streamer holds, resets once the wire
// stands and retreats; the tool says so and ends with 130, and the controller
// is left idle at 0, 0 with the heat off.
TEST_F(CutRunCommand, CtrlCCancelsTheCutAndRetreats) {
  if (!simulatorBuilt("mega5x-xyza")) {
    GTEST_SKIP() << "GRBL simulator mega5x-xyza not built in " << simOut()
                 << " (run scripts/build-grbl-sim.sh)";
  }
  const std::string common = buildProject();
  ASSERT_FALSE(common.empty());
  // Four times real time: the cut lasts long enough to be interrupted, the
  // retreat is over in seconds.
  SimulatedController sim("mega5x-xyza", dir_ / "sim", "-t 4");
  ASSERT_TRUE(sim.started());
  prepare(sim, "XYZA");
  if (HasFatalFailure()) return;
  // Interrupted once the progress (on a non-terminal stderr) shows the wire
  // running, after the tool's handler is in place (the background start
  // ignores SIGINT until then); killed if it has not ended 90 s later.
  const test::CliRun cut = run(
      "cut --run --port " + q(sim.path()) + " --axes XYZA --rx-buffer 255" + common,
      " & p=$!; i=0; until grep -q ' Run$' " + q(dir_ / "stderr.txt") +
          " || ! kill -0 $p 2>/dev/null || [ $i -ge 1200 ]; do sleep 0.05; i=$((i+1)); done; "
          "kill -INT $p; i=0; while kill -0 $p 2>/dev/null && [ $i -lt 1800 ]; do sleep 0.05; "
          "i=$((i+1)); done; kill -KILL $p 2>/dev/null; wait $p");
  EXPECT_EQ(cut.exitCode, 130) << cut.err;
  EXPECT_TRUE(test::contains(cut.err, "The cut was cancelled; the wire went back to 0, 0."))
      << cut.err;
  EXPECT_EQ(cut.out, "Position: XG 0.000, YG 0.000, XD 0.000, YD 0.000\n");

  // What the controller says afterwards, asked without a reset (which would
  // switch the spindle off itself): idle where the retreat ended, the
  // spindle output (the heat) off.
  SerialTransport port(sim.path(), 115200);
  ASSERT_TRUE(port.open());
  const auto answer = [&port](std::string_view ask, std::string_view end) {
    std::string seen;
    const auto limit = std::chrono::steady_clock::now() + 5s;
    if (!port.write(ask)) return seen;
    while (seen.find(end) == std::string::npos && std::chrono::steady_clock::now() < limit) {
      if (!port.read(seen, 100ms)) break;
    }
    return seen;
  };
  const std::string report = answer("?", ">");
  const auto begin = report.find('<');
  ASSERT_NE(begin, std::string::npos) << report;
  const auto status = ParseGrblStatus(report.substr(begin, report.find('>', begin) - begin + 1));
  ASSERT_TRUE(status) << report;
  EXPECT_EQ(status->state, "Idle") << report;
  // The work zero was set at machine zero: the machine position is the work one.
  ASSERT_EQ(status->machinePosition.size(), 4U) << report;
  for (const double v : status->machinePosition) EXPECT_NEAR(v, 0.0, 1e-3) << report;
  const std::string modes = answer("$G\n", "ok");
  EXPECT_TRUE(test::contains(modes, "[GC:")) << modes;
  EXPECT_TRUE(test::contains(modes, " M5 ")) << modes;
  port.close();
}

}  // namespace
}  // namespace orva
