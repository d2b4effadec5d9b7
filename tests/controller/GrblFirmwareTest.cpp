// The streamer and the serial transport against the real GRBL firmware
// (grbl-Mega-5X, four axes) running behind a pseudo-terminal. Skipped when
// the simulators have not been built (scripts/build-grbl-sim.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GrblSimulator.h"
#include "controller/SerialTransport.h"
#include "driver/GrblStreamer.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The last value of each tower's word in a program: where it ends.
std::array<double, 4> programEnd(const std::vector<GrblProgramLine>& program,
                                 const std::string& letters) {
  std::array<double, 4> end{};
  for (const auto& line : program) {
    for (std::size_t i = 0; i < 4; ++i) {
      if (const auto v = GcodeWordValue(line.text, letters[i])) end[i] = *v;
    }
  }
  return end;
}

void expectAt(const std::optional<std::array<double, 4>>& at, const std::array<double, 4>& want) {
  ASSERT_TRUE(at);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR((*at)[i], want[i], 0.006) << "axis " << i;
}

std::vector<GrblProgramLine> wingProgram(const std::string& letters) {
  const std::string text =
      test::readFile(fs::path(ORVA_TEST_DATA_DIR) / "controller" /
                     (letters == "XYUV" ? "wing-panel1-xyuv.ngc" : "wing-panel1-xyza.ngc"));
  auto program = GrblProgramFromText(text, false);
  // Without the return to 0, 0 the cut ends where its last cutting move does.
  const auto last = std::find_if(program.rbegin(), program.rend(), [](const GrblProgramLine& l) {
    return l.text.rfind("G1 ", 0) == 0;
  });
  if (last != program.rend()) program.erase(std::next(last).base());
  // Ten times faster (inverse-time feeds times ten, pauses a tenth): the same
  // path in a tenth of the machine time, so that the test stays short.
  for (GrblProgramLine& line : program) {
    const auto f = line.text.find(" F");
    if (line.text.rfind("G1 ", 0) == 0 && f != std::string::npos) {
      line.text =
          line.text.substr(0, f) + " F" + std::to_string(std::stod(line.text.substr(f + 2)) * 10.0);
    } else if (line.text.rfind("G4 P", 0) == 0) {
      line.text = "G4 P" + std::to_string(std::stod(line.text.substr(4)) / 10.0);
    }
  }
  return program;
}

class GrblFirmware : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureCoreApplication(); }

  // Starts `firmware` and connects; skips when it is not built.
  void startController(const std::string& firmware, const std::string& letters,
                       const std::string& speed = "--fast") {
    if (!simulatorBuilt(firmware)) {
      GTEST_SKIP() << "GRBL simulator " << firmware << " not built in " << simOut()
                   << " (run scripts/build-grbl-sim.sh)";
    }
    sim_ = std::make_unique<SimulatedController>(firmware, dir_ / firmware, speed);
    ASSERT_TRUE(sim_->started()) << "the simulator " << firmware << " did not start";
    transport_ = std::make_unique<SerialTransport>(sim_->path(), 115200);
    GrblSettings settings;
    settings.axisLetters = letters;
    settings.rxBufferSize = 255;
    // Generous: the simulator on a loaded host can stall for seconds.
    settings.answerTimeout = 10s;
    streamer_ = std::make_unique<GrblStreamer>(*transport_, settings);
    streamer_->setTrafficLog([this](GrblTraffic kind, std::string_view text) {
      log_.emplace_back(kind, std::string(text));
      if (std::getenv("ORVA_GRBL_TRACE") != nullptr && text != "?") {
        std::fprintf(stderr, "%s %s\n", kind == GrblTraffic::Received ? "<<" : ">>",
                     std::string(text).c_str());
      }
    });
    ASSERT_TRUE(streamer_->connect()) << streamer_->failureText();
    EXPECT_NE(streamer_->banner().find("Grbl"), std::string::npos);
    prepareMachine(*streamer_);
  }

  // Runs the stream until `when` holds (or it ends); false when it ended first.
  // The waits stay well inside the test timeout, so a stall fails with the
  // controller's last state instead of being killed without a word.
  bool runUntil(const std::function<bool()>& when) {
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < until) {
      const auto state = streamer_->service(20ms);
      if (state != GrblStreamState::Running) {
        ADD_FAILURE() << "the stream ended first: " << streamer_->failureText();
        return false;
      }
      if (when()) return true;
    }
    ADD_FAILURE() << "still waiting after 30 s; controller state " << streamer_->progress().state
                  << ", " << streamer_->progress().acknowledged << " lines acknowledged";
    return false;
  }
  GrblStreamState runToEnd() {
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < until) {
      const auto state = streamer_->service(20ms);
      if (state != GrblStreamState::Running && state != GrblStreamState::Stopping) return state;
    }
    ADD_FAILURE() << "the stream did not end";
    return streamer_->state();
  }

  test::TempDir dir_;
  std::unique_ptr<SimulatedController> sim_;
  std::unique_ptr<SerialTransport> transport_;
  std::unique_ptr<GrblStreamer> streamer_;
  std::vector<std::pair<GrblTraffic, std::string>> log_;
};

TEST_F(GrblFirmware, AWholePanelCutEndsAtThePlannedPositionOnBothAxisLayouts) {
  for (const std::string firmware : {"mega5x-xyza", "mega5x-xyuv"}) {
    SCOPED_TRACE(firmware);
    const std::string letters = firmware == "mega5x-xyuv" ? "XYUV" : "XYZA";
    // Paced (20 times real time) rather than as fast as the CPU allows, so that
    // the status reports of the moving wire come on a loaded machine too.
    startController(firmware, letters, "-t 20");
    if (IsSkipped() || HasFatalFailure()) return;
    const auto program = wingProgram(letters);
    ASSERT_GT(program.size(), 100U);
    // Bounded well inside the test timeout (two layouts of about 3 s each), so a
    // stalled stream fails with the streamer's own account of it.
    const auto deadline = std::chrono::steady_clock::now() + 50s;
    const auto state = streamer_->run(program, {}, nullptr,
                                      [&] { return std::chrono::steady_clock::now() > deadline; });
    ASSERT_EQ(state, GrblStreamState::Finished) << streamer_->failureText();
    EXPECT_EQ(streamer_->progress().acknowledged, program.size());
    EXPECT_EQ(streamer_->lastStatus()->state, "Idle");
    EXPECT_EQ(streamer_->axisMap().controllerAxes(), letters);  // from "$I"
    EXPECT_EQ(streamer_->plannerBlocks(), 35);
    // The planner's state was followed while the wire moved.
    const GrblProgress& progress = streamer_->progress();
    EXPECT_GT(progress.runReports, 0);
    EXPECT_GE(progress.minPlannerBlocksFree, 0);
    EXPECT_LE(progress.maxPlannerBlocksFree, 35);
    RecordProperty("plannerBlocksFree", std::to_string(progress.minPlannerBlocksFree) + ".." +
                                            std::to_string(progress.maxPlannerBlocksFree));
    expectAt(streamer_->position(), programEnd(program, letters));
    streamer_.reset();
    transport_.reset();
    sim_.reset();
  }
}

TEST_F(GrblFirmware, ARefusedLineOrAnAlarmStopsTheCutWithTheHeatOff) {
  startController("mega5x-xyza", "XYZA");
  if (IsSkipped() || HasFatalFailure()) return;
  std::string text = "G21 G90 G94\nM3 S800\n";
  for (int i = 1; i <= 40; ++i) text += "G1 X" + std::to_string(i) + " F600\n";
  text += "G5 X1\n";  // not a command GRBL knows: error 20
  for (int i = 40; i > 0; --i) text += "G1 X" + std::to_string(i) + " F600\n";
  const auto state = streamer_->run(GrblProgramFromText(text, false), {}, nullptr, nullptr);
  ASSERT_EQ(state, GrblStreamState::Failed);
  EXPECT_NE(streamer_->failureText().find("line 43 \"G5 X1\": error 20"), std::string::npos)
      << streamer_->failureText();
  EXPECT_TRUE(streamer_->positionKnown());
  ASSERT_TRUE(streamer_->refreshStatus());
  EXPECT_EQ(streamer_->lastStatus()->state, "Idle");
  EXPECT_EQ(streamer_->lastStatus()->spindle.value_or(-1), 0.0);
  // It stopped before the lines after the refused one took the wire back.
  const auto at = streamer_->position();
  ASSERT_TRUE(at);
  EXPECT_GT((*at)[0], 1.0);
  // The heat went off by "M5" after the reset, and the reset came only once the machine stood.
  bool stood = false;
  bool resetWhenStood = false;
  for (const auto& [kind, line] : log_) {
    if (kind == GrblTraffic::Received &&
        (line.rfind("<Hold:0", 0) == 0 || line.rfind("<Idle", 0) == 0))
      stood = true;
    if (kind == GrblTraffic::Realtime && line == "\x18" && stood) resetWhenStood = true;
  }
  EXPECT_TRUE(resetWhenStood);
  EXPECT_EQ(std::count_if(
                log_.begin(), log_.end(),
                [](const auto& e) { return e.first == GrblTraffic::Sent && e.second == "M5\n"; }),
            1);

  // An alarm on the same connection (a probing move without contact: alarm 5)
  // ends the next cut with the position unknown.
  const auto alarmed = streamer_->run(
      GrblProgramFromText("G1 X5 F600\nG38.2 Y-5 F100\nG1 X0 F600\n", false), {}, nullptr, nullptr);
  ASSERT_EQ(alarmed, GrblStreamState::Failed);
  EXPECT_NE(streamer_->failureText().find("alarm 5"), std::string::npos)
      << streamer_->failureText();
  EXPECT_FALSE(streamer_->positionKnown());
  // Locked until unlocked; zeroing makes the position known again.
  EXPECT_FALSE(streamer_->start(GrblProgramFromText("G1 X1 F600\n", false)));
  ASSERT_TRUE(streamer_->unlock()) << streamer_->failureText();
  ASSERT_TRUE(streamer_->setWorkZero()) << streamer_->failureText();
  EXPECT_TRUE(streamer_->positionKnown());
}

TEST_F(GrblFirmware, ThePortVanishingMidCutEndsItWithThePositionUnknown) {
  startController("mega5x-xyza", "XYZA", "-t 5");
  if (IsSkipped() || HasFatalFailure()) return;
  std::string text = "G21 G90 G94\n";
  for (int i = 1; i <= 200; ++i) text += "G1 X" + std::to_string(i % 20) + " Y1 F3000\n";
  ASSERT_TRUE(streamer_->start(GrblProgramFromText(text, false)));
  ASSERT_TRUE(runUntil([&] { return streamer_->progress().acknowledged > 20; }));
  sim_->stop();
  const auto started = std::chrono::steady_clock::now();
  const auto state = runToEnd();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  ASSERT_EQ(state, GrblStreamState::Failed);
  EXPECT_FALSE(streamer_->positionKnown());
  EXPECT_FALSE(streamer_->isConnected());
  EXPECT_NE(streamer_->failureText().find("was lost"), std::string::npos)
      << streamer_->failureText();
}

TEST_F(GrblFirmware, HoldStandsResumeFinishesAndCancelRetreatsToZero) {
  startController("mega5x-xyza", "XYZA", "-t 5");
  if (IsSkipped() || HasFatalFailure()) return;
  std::string text = "G21 G90 G94\n";
  for (int i = 1; i <= 100; ++i) {
    text += "G1 X" + std::to_string(i) + " Y" + std::to_string(i % 3) + " F600\n";
  }
  const auto program = GrblProgramFromText(text, false);
  ASSERT_TRUE(streamer_->start(program));
  ASSERT_TRUE(runUntil([&] { return streamer_->progress().state == "Run"; }));
  streamer_->hold();
  ASSERT_TRUE(runUntil([&] {
    return streamer_->lastStatus()->state == "Hold" && streamer_->lastStatus()->subState == 0;
  }));
  const auto heldAt = streamer_->position();
  const auto until = std::chrono::steady_clock::now() + 600ms;
  while (std::chrono::steady_clock::now() < until) streamer_->service(20ms);
  EXPECT_EQ(streamer_->state(), GrblStreamState::Running);
  EXPECT_EQ(streamer_->position(), heldAt);                       // it stands while held
  EXPECT_LT(streamer_->progress().acknowledged, program.size());  // lines still wait
  streamer_->resume();
  ASSERT_EQ(runToEnd(), GrblStreamState::Finished) << streamer_->failureText();
  expectAt(streamer_->position(), {100, 1, 0, 0});

  // Cancel stops, resets and retreats to zero.
  text = "G21 G90 G94\nM3 S700\nG1 X20 Y10 Z20 A10 F1200\n";

  for (int i = 1; i <= 40; ++i)
    text += "G1 X" + std::to_string(20 + i) + " Y" + std::to_string(10 + i % 5) + " Z" +
            std::to_string(20 + i) + " A10 F600\n";
  ASSERT_TRUE(streamer_->start(GrblProgramFromText(text, false), 25.0));
  ASSERT_TRUE(runUntil([&] {
    return streamer_->progress().acknowledged > 5 && streamer_->progress().state == "Run";
  }));
  streamer_->cancel();
  ASSERT_EQ(runToEnd(), GrblStreamState::Cancelled) << streamer_->failureText();
  EXPECT_TRUE(streamer_->positionKnown());
  ASSERT_TRUE(streamer_->refreshStatus());
  EXPECT_EQ(streamer_->lastStatus()->state, "Idle");
  EXPECT_EQ(streamer_->lastStatus()->spindle.value_or(-1), 0.0);
  expectAt(streamer_->position(), {0, 0, 0, 0});
  // The retreat: heat on again after the reset, up to the clearance, X home, then down.
  std::vector<std::string> sent;
  bool afterReset = false;
  for (const auto& [kind, line] : log_) {
    if (kind == GrblTraffic::Realtime && line == "\x18") {
      afterReset = true;  // the last reset: the one of the cancel
      sent.clear();
    }
    if (afterReset && kind == GrblTraffic::Sent) sent.push_back(line);
  }
  const std::vector<std::string> retreat = {"G21 G90 G94\n", "M3 S700\n",  "G1 Y25 A25 F150.0\n",
                                            "G0 X0 Z0\n",    "G0 Y0 A0\n", "M5\n",
                                            "G4 P0\n"};
  EXPECT_EQ(sent, retreat);
}

// Jogs and the work zero on the firmware are the machine panel's dialog tests.
TEST_F(GrblFirmware, ARefusedJogNamesTheErrorAndTheHeatIsTheSpindleOutput) {
  startController("mega5x-xyuv", "XYUV");
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_FALSE(streamer_->command("$J=G91 X1"));  // a jog without feed is refused
  EXPECT_NE(streamer_->failureText().find("error 22"), std::string::npos)
      << streamer_->failureText();
  ASSERT_TRUE(streamer_->setHeat(800.0));
  ASSERT_TRUE(streamer_->refreshStatus());
  EXPECT_EQ(streamer_->lastStatus()->spindle.value_or(-1), 800.0);
  ASSERT_TRUE(streamer_->setHeat(std::nullopt));
  ASSERT_TRUE(streamer_->refreshStatus());
  EXPECT_EQ(streamer_->lastStatus()->spindle.value_or(-1), 0.0);
}

}  // namespace
}  // namespace orva
