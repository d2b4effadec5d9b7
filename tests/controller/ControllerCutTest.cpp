// Cuts on a table whose machine is a G-code controller: the cut job writes
// its list as G-code and streams it through the program's controller
// session. Against a scripted controller (a refused line) and against the
// real firmware behind a pseudo-terminal (a panel cut from the program
// context, its cancel).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GrblSimulator.h"
#include "ScriptedController.h"
#include "app/ProgramContext.h"
#include "common/Messages.h"
#include "common/ScriptedPrompt.h"
#include "controller/SerialTransport.h"
#include "cutting/PanelCutPlanner.h"
#include "driver/ControllerSession.h"
#include "support/MachineRig.h"
#include "support/PortFakes.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

using namespace std::chrono_literals;

TEST(ControllerCut, ARefusedLineEndsTheCutWhereTheControllerReportsTheWire) {
  test::MachineRig rig;
  TableConfig& table = rig.config.table;
  table.ZeroX = 10.0;
  table.ZeroY = 5.0;
  table.controller.CtlBackend = "grbl";
  table.controller.CtlPort = "/dev/ttyACM7";
  table.controller.CtlAxes = "XYUV";
  table.controller.CtlHeatS = 800.0;
  rig.fastMotors();
  rig.planner.ResetPlanner();
  ScriptedController* controller = nullptr;
  ControllerSession session([&](const std::string& port, int) {
    EXPECT_EQ(port, "/dev/ttyACM7");
    auto made = std::make_unique<ScriptedController>(128);
    controller = made.get();
    controller->refuseContaining = "X30.0000";  // the third move
    return made;
  });
  rig.env.controller = &session;

  MoveList moves;
  for (double x : {10.0, 20.0, 30.0, 40.0}) {
    auto move = rig.planner.PlanScriptMove(x, 0.0, x, 2.0, 2.0, "M" + std::to_string(int(x)));
    ASSERT_TRUE(move) << rig.planner.lastError();
    moves.push_back(*move);
  }
  const auto stepsBefore = rig.allSteps();
  ASSERT_TRUE(rig.job.start(moves, kCutLong, 4.0)) << testing::PrintToString(rig.prompt.messages());
  EXPECT_TRUE(session.connected());  // connected on demand, to the table's port
  EXPECT_TRUE(rig.planner.busy());
  rig.job.setPollInterval(5ms);
  EXPECT_FALSE(rig.job.runToEnd());

  EXPECT_EQ(rig.job.result(), CutJobResult::Failed);
  EXPECT_FALSE(rig.planner.busy());
  EXPECT_EQ(rig.allSteps(), stepsBefore);  // nothing went to the interface
  // The streamer's message, naming the refused line and the controller's code.
  ASSERT_EQ(rig.prompt.messages().size(), 1u);
  const std::string message = rig.prompt.messages().front();
  EXPECT_NE(message.find("X30.0000"), std::string::npos) << message;
  EXPECT_NE(message.find("20"), std::string::npos) << message;
  // The controller reports 0, 1, 2, 3 (work): the planner takes it, with the table's zero.
  const MovePlanner::Position at = rig.planner.towers();
  EXPECT_EQ(std::tuple(at.XG, at.YG, at.XD, at.YD), std::tuple(10.0, 6.0, 12.0, 8.0));
  ASSERT_TRUE(rig.job.progress().position);
  EXPECT_EQ(rig.job.progress().position->XD, 12.0);
  EXPECT_TRUE(session.positionKnown());

  // What went out: the table's letters, the zero taken off, the heat at
  // full-heat S, the moves up to the refused one.
  ASSERT_NE(controller, nullptr);
  const auto& sent = controller->received;
  const auto first = std::find_if(sent.begin(), sent.end(),
                                  [](const std::string& l) { return l.rfind("G1 ", 0) == 0; });
  ASSERT_NE(first, sent.end());
  EXPECT_EQ(first->substr(0, first->find(" F")), "G1 X10.0000 Y0.0000 U10.0000 V2.0000");
  EXPECT_NE(std::find_if(sent.begin(), first,
                         [](const std::string& l) { return l.rfind("M3 S", 0) == 0; }),
            first);
  const auto refused = std::find_if(first, sent.end(), [](const std::string& l) {
    return l.find("X30.0000") != std::string::npos;
  });
  ASSERT_NE(refused, sent.end());

}

// The program context on a table whose link is the simulated firmware.
class ControllerCutOnFirmware : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureCoreApplication(); }

  void SetUp() override {
    if (!simulatorBuilt("mega5x-xyza")) {
      GTEST_SKIP() << "GRBL simulator mega5x-xyza not built in " << simOut()
                   << " (run scripts/build-grbl-sim.sh)";
    }
    sim_ = std::make_unique<SimulatedController>("mega5x-xyza", dir_ / "sim", "--fast");
    ASSERT_TRUE(sim_->started());
    ProgramOptions options;
    options.settingsFile = dir_ / "settings.ini";
    options.defaultDataDirectory = dir_ / "data";
    options.soundDirectories = std::vector<fs::path>{};
    options.transportFactory = [](const std::string& port, int baud) {
      return std::make_unique<SerialTransport>(port, baud);
    };
    context_ = std::make_unique<ProgramContext>(prompt_, sound_, status_, std::move(options));
    context_->start();
    ControllerLink& link = context_->machine.table.controller;
    link.CtlBackend = "grbl";
    link.CtlPort = sim_->path();
    link.CtlRxBuffer = 255;
    context_->machine.foams.cutSpeed = 4.0;
    // The firmware as shipped is locked and has a rotary fourth axis: the
    // machine panel's work, done here on the same session the cut uses.
    GrblSettings settings;
    settings.rxBufferSize = 255;
    // Generous: the simulator on a loaded host can stall for seconds.
    settings.answerTimeout = 10s;
    ControllerSession& session = context_->controllerSession();
    ASSERT_TRUE(session.connect(link.CtlPort, link.CtlBaud, settings)) << session.failureText();
    prepareMachine(*session.streamer());
    number_ = session.connectionNumber();
    context_->job.setPollInterval(20ms);
  }

  test::TempDir dir_;
  std::unique_ptr<SimulatedController> sim_;
  ScriptedPrompt prompt_;
  test::RecordingSound sound_;
  test::RecordingStatus status_;
  std::unique_ptr<ProgramContext> context_;
  std::uint64_t number_ = 0;
};

TEST_F(ControllerCutOnFirmware, APanelCutEndsDoneAtThePlannedPosition) {
  prompt_.queueAnswer(Answer::Ok);
  PanelCutPlanner cut(*context_->document, context_->cut);
  ASSERT_TRUE(cut.Start(context_->job)) << context_->planner.lastError()
                                        << testing::PrintToString(prompt_.messages());
  const MovePlanner::Position planned = context_->planner.towers();
  const std::size_t moveCount = context_->job.moves().size();
  ASSERT_GT(moveCount, 10u);
  std::size_t seen = 0;
  bool inOrder = true;
  double farthest = 0.0;
  // Bounded, so that a cut that never ends fails with the exchange that led there.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (context_->job.running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::string tail;
      for (const auto& line : context_->controllerSession().log()) {
        tail += (line.sent ? "> " : "< ") + line.text + "\n";
      }
      const GrblStreamer* streamer = context_->controllerSession().streamer();
      FAIL() << "the cut did not end in 60 s at move " << context_->job.progress().moveIndex
             << " of " << moveCount << ", controller state \""
             << (streamer ? streamer->progress().state : std::string("-")) << "\"; exchange:\n"
             << tail.substr(tail.size() > 4000 ? tail.size() - 4000 : 0);
    }
    context_->job.service();
    const CutJobProgress progress = context_->job.progress();
    inOrder = inOrder && progress.moveIndex >= seen;
    seen = progress.moveIndex;
    if (progress.position) farthest = std::max(farthest, progress.position->XG);
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(context_->job.result(), CutJobResult::Done) << testing::PrintToString(prompt_.messages());
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(context_->job.progress().moveIndex, moveCount);
  EXPECT_EQ(context_->controllerSession().connectionNumber(), number_);  // the open port was used
  GrblStreamer& streamer = *context_->controllerSession().streamer();
  ASSERT_TRUE(streamer.refreshStatus());
  EXPECT_EQ(streamer.lastStatus()->state, "Idle");
  const auto at = streamer.position();
  ASSERT_TRUE(at);
  const TableConfig& table = context_->machine.table;
  EXPECT_NEAR((*at)[0], planned.XG - table.ZeroX, 0.006);
  EXPECT_NEAR((*at)[1], planned.YG - table.ZeroY, 0.006);
  EXPECT_NEAR((*at)[2], planned.XD - table.ZeroX, 0.006);
  EXPECT_NEAR((*at)[3], planned.YD - table.ZeroY, 0.006);
  EXPECT_GT(farthest, table.ZeroX + 10.0);  // the wire was followed on its way
  EXPECT_TRUE(prompt_.messages().empty()) << testing::PrintToString(prompt_.messages());
}

TEST_F(ControllerCutOnFirmware, CancelMidCutRetreatsToZero) {
  prompt_.queueAnswer(Answer::Ok);
  PanelCutPlanner cut(*context_->document, context_->cut);
  ASSERT_TRUE(cut.Start(context_->job)) << context_->planner.lastError();
  const std::size_t moveCount = context_->job.moves().size();
  while (context_->job.running() && context_->job.progress().moveIndex < moveCount / 3) {
    context_->job.service();
  }
  ASSERT_TRUE(context_->job.running());
  context_->job.cancel();
  bool retreatSeen = false;
  while (context_->job.running()) {
    context_->job.service();
    retreatSeen = retreatSeen || context_->job.progress().retreating;
  }
  EXPECT_EQ(context_->job.result(), CutJobResult::Cancelled);
  EXPECT_TRUE(retreatSeen);
  EXPECT_LT(context_->job.lastCutMovesSent(), moveCount);
  const auto at = context_->controllerSession().streamer()->position();
  ASSERT_TRUE(at);
  for (double value : *at) EXPECT_NEAR(value, 0.0, 0.006);
  EXPECT_TRUE(context_->controllerSession().positionKnown());
  const MovePlanner::Position planner = context_->planner.towers();
  const TableConfig& table = context_->machine.table;
  EXPECT_NEAR(planner.XG, table.ZeroX, 0.006);
  EXPECT_NEAR(planner.YD, table.ZeroY, 0.006);
  EXPECT_FALSE(context_->planner.busy());
}

}  // namespace
}  // namespace orva
