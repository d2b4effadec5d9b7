// orva-cli cut --run end to end: the panel planned and streamed to the
// firmware simulator on its pseudo-terminal, as a user runs the tool.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GrblSimulator.h"
#include "controller/SerialTransport.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

extern char** environ;

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

  // Starts the tool without a shell (so that a signal reaches it), its output in files.
  pid_t spawn(const std::vector<std::string>& arguments) {
    const fs::path home = dir_ / "home";
    std::vector<std::string> env{"HOME=" + home.string(),
                                 "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                 "XDG_DATA_HOME=" + (home / ".local/share").string()};
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry(*e);
      if (entry.rfind("HOME=", 0) != 0 && entry.rfind("XDG_CONFIG_HOME=", 0) != 0 &&
          entry.rfind("XDG_DATA_HOME=", 0) != 0) {
        env.push_back(entry);
      }
    }
    std::vector<std::string> argv{ORVA_CLI_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const auto pointers = [](std::vector<std::string>& strings) {
      std::vector<char*> out;
      for (std::string& s : strings) out.push_back(s.data());
      out.push_back(nullptr);
      return out;
    };
    std::vector<char*> argvp = pointers(argv);
    std::vector<char*> envp = pointers(env);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    const std::string out = (dir_ / "out").string();
    const std::string err = (dir_ / "err").string();
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // The tool gets SIGINT's default disposition whatever the test runner set.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, argvp[0], &files, &attributes, argvp.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    return pid;
  }

  // The exit code of `pid`, waited for at most `limit` (killed after it: -1).
  static int waitExit(pid_t pid, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
      }
      std::this_thread::sleep_for(20ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  test::TempDir dir_;
};

TEST_F(CutRunCommand, PlansAndStreamsAPanelToTheController) {
  const std::string common = buildProject();
  ASSERT_FALSE(common.empty());

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
  GrblSettings settings;
  settings.axisLetters = "XYZA";
  {
    SerialTransport transport(sim.path(), 115200);
    GrblStreamer streamer(transport, settings);
    ASSERT_TRUE(streamer.connect()) << streamer.failureText();
    prepareMachine(streamer);
    if (HasFatalFailure()) return;
    streamer.disconnect();
  }
  std::vector<std::string> arguments{"cut", "--run", "--port", sim.path(), "--axes", "XYZA",
                                     "--rx-buffer", "255", "--yes", "--data-dir",
                                     (dir_ / "data").string(), (dir_ / "wing.cnc").string()};
  const pid_t tool = spawn(arguments);
  ASSERT_GT(tool, 0);
  // Interrupted once a tenth of the lines was acknowledged (the progress on a
  // non-terminal stderr), with the wire in the block.
  const auto until = std::chrono::steady_clock::now() + 60s;
  bool cutting = false;
  while (!cutting && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(50ms);
    cutting = test::contains(test::readFile(dir_ / "err"), " Run\n");
    int status = 0;
    if (::waitpid(tool, &status, WNOHANG) == tool) FAIL() << test::readFile(dir_ / "err");
  }
  ASSERT_TRUE(cutting) << test::readFile(dir_ / "err");
  ::kill(tool, SIGINT);
  const int code = waitExit(tool, 90s);
  const std::string err = test::readFile(dir_ / "err");
  EXPECT_EQ(code, 130) << err;
  EXPECT_TRUE(test::contains(err, "The cut was cancelled; the wire went back to 0, 0.")) << err;
  EXPECT_EQ(test::readFile(dir_ / "out"), "Position: XG 0.000, YG 0.000, XD 0.000, YD 0.000\n");

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
