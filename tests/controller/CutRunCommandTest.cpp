// orva-cli cut --run end to end: the panel planned and streamed to the
// firmware simulator on its pseudo-terminal, as a user runs the tool.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "GrblSimulator.h"
#include "controller/SerialTransport.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace orva {
namespace {

using namespace std::chrono_literals;

std::string q(const fs::path& path) { return "'" + path.string() + "'"; }

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CutRunCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureCoreApplication(); }

  ToolRun run(const std::string& arguments) {
    const fs::path home = dir_ / "home";
    const std::string command = "HOME=" + q(home) + " XDG_CONFIG_HOME=" + q(home / ".config") +
                                " XDG_DATA_HOME=" + q(home / ".local/share") + " '" +
                                ORVA_CLI_PATH + "' " + arguments + " >" + q(dir_ / "out") +
                                " 2>" + q(dir_ / "err") + " </dev/null";
    const int status = std::system(command.c_str());
    ToolRun result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = test::readFile(dir_ / "out");
    result.err = test::readFile(dir_ / "err");
    return result;
  }

  test::TempDir dir_;
};

TEST_F(CutRunCommand, PlansAndStreamsAPanelToTheController) {
  fs::create_directories(dir_ / "data");
  test::writeFile(dir_ / "wing.json", R"({"panels": [{"span": 300,
      "root": {"chord": 160, "naca": "2412"}, "tip": {"chord": 120, "naca": "2412"}}]})");
  const std::string data = " --data-dir " + q(dir_ / "data");
  const fs::path project = dir_ / "wing.cnc";
  ASSERT_EQ(run("build " + q(dir_ / "wing.json") + " -o " + q(project)).exitCode, 0);
  const std::string common = " " + q(project) + data + " --yes";

  // Refused before anything is opened: a file and the controller at once; a
  // table without a controller link and no port.
  ToolRun refused = run("cut --run" + common + " -o " + q(dir_ / "x.ngc"));
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
  {
    // The machine panel's work before a first cut: unlocked, linear axes, zeroed.
    SerialTransport transport(sim.path(), 115200);
    GrblSettings settings;
    settings.axisLetters = "XYUV";
    GrblStreamer streamer(transport, settings);
    ASSERT_TRUE(streamer.connect()) << streamer.failureText();
    prepareMachine(streamer);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(streamer.jog({15.0, 5.0, 15.0, 5.0}, 3000));  // away from zero
    ASSERT_TRUE(streamer.waitIdle(5s));
    streamer.disconnect();
  }
  const ToolRun cut = run("cut --run --port " + q(sim.path()) + " --axes XYUV --rx-buffer 255" + common);
  EXPECT_EQ(cut.exitCode, 0) << cut.err;
  EXPECT_TRUE(test::contains(cut.err, "Grbl")) << cut.err;          // the banner
  EXPECT_TRUE(test::contains(cut.err, "Planner while moving")) << cut.err;
  // Jogged to 15, 5 and the cut returns to the work zero after its moves.
  EXPECT_EQ(cut.out, "Position: XG 0.000, YG 0.000, XD 0.000, YD 0.000\n");
}

}  // namespace
}  // namespace orva
