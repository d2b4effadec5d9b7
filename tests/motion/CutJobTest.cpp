#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "driver/SimulatedMachine.h"
#include "motion/CutJob.h"
#include "motion/CutScript.h"
#include "motion/MovePlanner.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/StepStreams.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

using namespace std::chrono_literals;

// The simulated machine behind a gate: each Steps request runs on the machine,
// then waits for a permit before it returns, so a test can hold the worker
// right after a given move. Request `refuseAt` (1-based) is refused by the
// system with a text instead of running.
class GatedDevice : public DriverDevice {
 public:
  explicit GatedDevice(SimulatedMachine& machine) : machine_(machine) {}
  bool open() override { return machine_.open(); }
  void close() override { machine_.close(); }
  std::uint16_t version() override { return machine_.version(); }
  void init() override { machine_.init(); }
  void start() override { machine_.start(); }
  void stop() override { machine_.stop(); }
  void setHeat(int percent) override { machine_.setHeat(percent); }
  void startTimerCount() override { machine_.startTimerCount(); }
  std::optional<std::uint32_t> pollTimerCount() override { return machine_.pollTimerCount(); }
  std::uint32_t waitTimerCount() override { return machine_.waitTimerCount(); }
  void readStatus(DriverStatus& status, bool wait) override { machine_.readStatus(status, wait); }
  bool readPosition(WirePosition& position) override { return machine_.readPosition(position); }

  StepsCompletion sendSteps(const std::uint8_t* entries, std::size_t length) override {
    StepsCompletion done;
    std::unique_lock lock(mutex_);
    if (++requests_ == throwAt) throw std::runtime_error("port lost");
    if (requests_ == refuseAt) {
      done.refusal = "the device is busy";
      done.bytesReturned = static_cast<std::uint32_t>(length);
    } else {
      lock.unlock();
      done = machine_.sendSteps(entries, length);
      lock.lock();
    }
    ++sent_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return permits_ > 0; });
    --permits_;
    return done;
  }

  void allow(int permits) {
    const std::lock_guard lock(mutex_);
    permits_ += permits;
    changed_.notify_all();
  }
  // False when the requests were not all sent within a generous deadline (the
  // cut ended early or hangs); the gate then opens so that the job can end.
  [[nodiscard]] bool waitSent(int requests) {
    std::unique_lock lock(mutex_);
    if (changed_.wait_for(lock, 20s, [&] { return sent_ >= requests; })) return true;
    permits_ = 1 << 20;
    changed_.notify_all();
    return false;
  }

  int refuseAt = 0;
  int throwAt = 0;  // request (1-based) that throws instead of running

 private:
  SimulatedMachine& machine_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int permits_ = 0;
  int requests_ = 0;
  int sent_ = 0;
};

constexpr double kStepsPerMm = 48.0;  // the default table: 48 steps per turn, 1 mm pitch

// The machine rig, optionally behind the gate, with foams "Blue" (fixed heat)
// and "Grey" (computed), Blue cutting at 8 mm/s with 40 % heat, fast motors.
struct Rig : test::MachineRig {
  explicit Rig(SimulatedMachineParams params = {}, bool gated = false)
      : Rig(params, gated, std::make_shared<GatedDevice*>(nullptr)) {}

  Rig(SimulatedMachineParams params, bool gated, const std::shared_ptr<GatedDevice*>& gate)
      : MachineRig(params, gated ? DeviceWrapper([gate](SimulatedMachine& m) {
                     auto device = std::make_unique<GatedDevice>(m);
                     *gate = device.get();
                     return device;
                   })
                                 : DeviceWrapper()),
        gated_(*gate) {
    job.setPollInterval(5ms);
    FoamType grey = foam("Grey", 8.0, 40, ComputedHeat);
    useFoams({foam("Blue", 8.0, 40), grey});
    driver.SetHeatOutput(40);
    fastMotors();
  }

  CutMove plan(double xg, double yg, double xd, double yd, double seconds) {
    std::optional<CutMove> move = planner.PlanScriptMove(xg, yg, xd, yd, seconds, "test");
    EXPECT_TRUE(move.has_value());
    return move ? *move : CutMove{};
  }

  // Script moves to the given targets (XG, YG, XD, YD, seconds).
  MoveList plans(std::initializer_list<std::array<double, 5>> targets) {
    MoveList moves;
    for (const auto& [xg, yg, xd, yd, seconds] : targets)
      moves.push_back(plan(xg, yg, xd, yd, seconds));
    return moves;
  }

  ~Rig() override {
    if (gated_ != nullptr) gated_->allow(1 << 20);  // never leave the worker waiting
  }

  GatedDevice* gated_;
};

CutMove timedMove(double seconds) {
  CutMove move;
  move.label = "m";
  move.duration = seconds;
  return move;
}

// ---------------------------------------------------------------------------
// Texts

TEST(CutJobTexts, TimeHeatAndProgress) {
  // Whole seconds, truncated, split at a minute.
  EXPECT_EQ(CutJob::TimeText(59.9), "59 sec");
  EXPECT_EQ(CutJob::TimeText(60.0), "1 min 0 sec");
  EXPECT_EQ(CutJob::TimeText(61.0), "1 min 1 sec");
  EXPECT_EQ(CutJob::TimeText(3725.5), "62 min 5 sec");
  EXPECT_EQ(CutJob::TimeText(0.0), "0 sec");
  EXPECT_EQ(CutJob::TimeText(std::nan("")), "0 sec");
  // Integer division, zero without samples.
  EXPECT_EQ(CutJob::MeasuredHeat({1, 2, 1}), 33);
  EXPECT_EQ(CutJob::MeasuredHeat({100, 0, 1}), 100);
  EXPECT_EQ(CutJob::MeasuredHeat({0, 0, 1}), 0);
  EXPECT_EQ(CutJob::ProgressText(12.5, {45, 55, 1}, "fixed 40%"),
            "12.50 mm/s Power 45 %, fixed 40%");
  EXPECT_EQ(CutJob::ProgressText(1.005, {0, 0, 0}, "fixed 40%"), "1.00 mm/s Power 0 %, manual");
}

// ---------------------------------------------------------------------------
// What a cut leaves behind

SimulatedMachineParams handHeat(int percent) {
  SimulatedMachineParams params;
  params.heatSetByHand = true;
  params.handHeatPercent = percent;
  return params;
}

// Every question and message of the cut (kind, icon, text), the job's
// result, the machine's counters, commanded steps, elapsed time and state,
// the planner's towers, the sounds and the wait cursor.
std::string outcome(const Rig& rig, bool returned) {
  static const char* const kinds[] = {"message",       "ok-cancel", "abort-retry-ignore",
                                      "yes-no-cancel", "open",      "save"};
  static const char* const results[] = {"none", "running", "done", "failed", "cancelled"};
  std::ostringstream out;
  out << "returned " << returned << " result " << results[static_cast<int>(rig.job.result())]
      << "\n";
  for (const ScriptedPrompt::Call& c : rig.prompt.calls()) {
    std::string text = c.text;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
      text.replace(at, 1, "\\n");
    out << "  " << kinds[static_cast<int>(c.kind)] << " icon " << static_cast<int>(c.icon) << " \""
        << text << "\"\n";
  }
  const SimulatedMachineCounters& n = rig.machine->counters();
  const MachineSnapshot s = rig.machine->snapshot();
  const test::Steps steps = rig.allSteps();
  const MovePlanner::Position t = rig.planner.towers();
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.3f", s.elapsedMs);
  out << "  starts " << n.starts << " stops " << n.stops << " requests " << n.stepsRequests
      << " rejected " << n.rejectedRequests << " entries " << s.entriesOutput << " elapsed "
      << elapsed << " ms" << (rig.machine->isStarted() ? " started" : "") << "\n  steps "
      << steps[0] << " " << steps[1] << " " << steps[2] << " " << steps[3] << " towers " << t.XG
      << " " << t.YG << " " << t.XD << " " << t.YD << "\n  sounds";
  for (const std::string& name : rig.sound.played) out << " " << name;
  out << "\n  cursor";
  for (const bool on : rig.status.cursor) out << (on ? " on" : " off");
  return out.str() + "\n";
}

// Confirmation, heat check and sending, each cut's outcome as reviewed in
// tests/data/motion/cut-job-outcomes.txt.
TEST(CutJob, EveryCutEndsAsReviewed) {
  const auto confirm = [](const char* foam, std::vector<double> seconds, double speed, int heat) {
    return [=](Rig& rig) {
      rig.config.foams.SelectFoam(foam);
      if (heat != 0) rig.config.foams.currentHeat = heat;
      MoveList moves;
      for (double s : seconds) moves.push_back(timedMove(s));
      rig.prompt.queueAnswer(Answer::Cancel);
      return rig.job.ExecuteCut(std::move(moves), 0x1F, speed);
    };
  };
  const auto oneMove = [](std::vector<Answer> answers, unsigned flags,
                          std::array<double, 5> target = {10, 0, 10, 0, 0.5}) {
    return [=](Rig& rig) {
      MoveList moves = rig.plans({target});
      for (const Answer a : answers) rig.prompt.queueAnswer(a);
      return rig.job.ExecuteCut(std::move(moves), flags, 5.0);
    };
  };
  SimulatedMachineParams absent;
  absent.deviceAbsent = true;
  std::string dump;
  const auto cut = [&dump](const char* name, SimulatedMachineParams params, bool gated,
                           const std::function<bool(Rig&)>& run) {
    SCOPED_TRACE(name);
    Rig rig(params, gated);
    const bool returned = run(rig);
    dump += "#### " + std::string(name) + "\n" + outcome(rig, returned);
  };
  // The speed is not shown when not positive; the foam form sets a heat.
  cut("cancelled, fixed heat", {}, false, confirm("Blue", {30.0, 29.9}, 12.345, 0));
  cut("cancelled, computed heat", {}, false, confirm("Grey", {61.0}, -1.0, 73));
  cut("cancelled, heat by hand", handHeat(30), false, confirm("Blue", {}, 0.0, 0));
  cut("empty list", {}, false, [](Rig& rig) {
    rig.prompt.queueAnswer(Answer::Ok);
    return rig.job.ExecuteCut({}, 0x1F, 5.0);
  });
  cut("surveying", {}, false, [](Rig& rig) {
    rig.planner.BeginSpeedSurvey(false);
    return rig.job.ExecuteCut(rig.plans({{10, 0, 10, 0, 1.0}}), 0x1F, 5.0);
  });
  cut("surveying with message boxes off", {}, false, [](Rig& rig) {
    rig.planner.BeginSpeedSurvey(true);
    return rig.job.ExecuteCut(rig.plans({{10, 0, 10, 0, 1.0}}), 0x1F, 5.0);
  });
  // Cancelling the second file dialog is a failure.
  cut("cut to file", {}, false, [](Rig& rig) {
    rig.env.output.cutToFile = true;
    const test::TempDir dir;
    const std::filesystem::path file = dir / "panel.cut";
    rig.prompt.queueFile(file.string());
    const bool first =
        rig.job.ExecuteCut(rig.plans({{10, 0, 10, 0, 1.0}, {10, 20, 10, 20, 2.0}}), 0x1F, 5.0);
    EXPECT_TRUE(first && std::filesystem::exists(file));
    return rig.job.ExecuteCut(rig.plans({{0, 0, 0, 0, 1.0}}), 0x1F, 5.0);
  });
  cut("no heat acquisition at zero heat", {}, false, [](Rig& rig) {
    rig.config.table.InterfChauf = 0;
    rig.driver.SetHeatOutput(0);
    return rig.job.ExecuteCut(rig.plans({{10, 0, 10, 0, 0.5}}), 0x15, 5.0);
  });
  cut("heat 1 %, abort", handHeat(1), false, oneMove({Answer::Abort}, 0x15));
  // Two 500 ms pauses and the 0.5 s move.
  cut("heat 1 %, retry then ignore", handHeat(1), false,
      oneMove({Answer::Retry, Answer::Ignore}, 0x15));
  cut("heat 2 % is enough", handHeat(2), false, oneMove({}, 0x15, {0, 10, 0, 10, 0.5}));
  // A duration-zero move with steps is sent, an empty one is not.
  cut("rapid, empty and pause", {}, false, [](Rig& rig) {
    CutMove rapid = timedMove(0.0);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(AppendStep(rapid, 1, -1, 5.0, 0.5));
    CutMove pause = timedMove(0.25);
    EXPECT_TRUE(AppendStep(pause, 0, 0, 250.0, 0.5));
    return rig.job.ExecuteCut(MoveList{rapid, timedMove(0.0), pause}, 0x04, 5.0);
  });
  // The planner ends where the machine is: the first move's end (absolute).
  cut("refused stream keeps what ran", {}, false, [](Rig& rig) {
    rig.config.table.ZeroX = 5.0;
    rig.planner.ResetPlanner();
    MoveList moves = rig.plans({{10, 0, 10, 0, 0.5}});
    CutMove broken = timedMove(1.0);
    broken.entries = {0x10, 0x03};  // delay byte without its marker
    moves.push_back(broken);
    moves.push_back(rig.plan(20, 0, 20, 0, 0.5));
    rig.prompt.queueAnswer(Answer::Ok);
    return rig.job.ExecuteCut(std::move(moves), 0x1F, 5.0);
  });
  cut("refused stream without the worker", {}, false, [](Rig& rig) {
    MoveList moves = rig.plans({{0, 10, 0, 10, 0.5}});
    CutMove broken = timedMove(1.0);
    broken.entries = {0x80, 0x01};  // a direction bit without its step bit
    moves.push_back(broken);
    moves.push_back(rig.plan(0, 20, 0, 20, 0.5));
    return rig.job.ExecuteCut(std::move(moves), 0x00, 5.0);
  });
  cut("no device: the machine is reported, not the heat", absent, false, [](Rig& rig) {
    rig.prompt.clear();  // "Error in loading driver"
    return rig.job.ExecuteCut(rig.plans({{0, 10, 0, 10, 0.5}}), 0x15, 5.0);
  });
  // The heat questions and the driver's refusal text come to the owner's
  // thread (the port fakes fail otherwise); two heat pauses come first.
  cut("driver refusal on the worker", handHeat(1), true, [](Rig& rig) {
    rig.gated_->allow(1 << 20);
    rig.gated_->refuseAt = 4;
    MoveList moves = rig.plans({{10, 0, 10, 0, 0.5}, {20, 0, 20, 0, 0.5}});
    for (const Answer a : {Answer::Ok, Answer::Retry, Answer::Ignore}) rig.prompt.queueAnswer(a);
    const bool done = rig.job.ExecuteCut(std::move(moves), 0x1F, 5.0);
    EXPECT_FALSE(rig.status.texts.empty());
    return done;
  });
  cut("driver exception on the worker", {}, true, [](Rig& rig) {
    rig.gated_->allow(1 << 20);
    rig.gated_->throwAt = 2;
    return rig.job.ExecuteCut(rig.plans({{10, 0, 10, 0, 0.5}, {20, 0, 20, 0, 0.5}}), 0x04, 5.0);
  });
  test::expectGolden("motion/cut-job-outcomes.txt", dump);
}
// ---------------------------------------------------------------------------
// Cancelling a running cut

struct AbortRun {
  std::vector<CutMove> planned;  // copies of the moves handed to the cut
  std::vector<MachineTraceRecord> trace;
  bool result = true;
};

// A cut whose moves take real time, cancelled once its first move has run: up to Y 30, then passes
// along X at that height, then one move up to Y 40 / 45 that is never reached.
AbortRun runAbortedCut(Rig& rig) {
  AbortRun run;
  MoveList moves = rig.plans({{20, 30, 20, 30, 1.0}});
  for (int i = 0; i < 8; ++i) {
    const double x = i % 2 == 0 ? 60.0 : 20.0;
    moves.push_back(rig.plan(x, 30, x, 30, 1.0));
  }
  moves.push_back(rig.plan(20, 40, 20, 45, 1.0));  // the right tower goes highest
  run.planned = moves;
  rig.prompt.queueAnswer(Answer::Ok);
  rig.machine->clearTrace();
  EXPECT_TRUE(rig.job.start(std::move(moves), 0x1F, 40.0));
  // Cancelled as soon as a move of the cut has run (the heat check is over).
  run.result = rig.job.runToEnd([&] { return rig.job.progress().moveIndex >= 1; });
  run.trace = rig.machine->trace();
  return run;
}

SimulatedMachineParams pacedMachine() {
  SimulatedMachineParams params;
  params.realTimeSpeedup = 20.0;  // a 1 s move takes 50 ms
  return params;
}

test::Steps stepsAt(double xg, double yg, double xd, double yd) {
  return {std::llround(xg * kStepsPerMm), std::llround(yg * kStepsPerMm),
          std::llround(xd * kStepsPerMm), std::llround(yd * kStepsPerMm)};
}

void expectCompleteMovesThenRetreat(const Rig& rig, const AbortRun& run, double clearance) {
  const std::size_t sent = rig.job.lastCutMovesSent();
  EXPECT_EQ(rig.job.result(), CutJobResult::Cancelled);
  EXPECT_FALSE(run.result);
  ASSERT_GE(sent, 1u);
  ASSERT_LT(sent, run.planned.size());
  // Request 1 is the heat check's pause; then every move of the cut sent ended
  // exactly where it was planned (so none was cut short); then the retreat:
  // straight up at the same X, to X = 0 at that height, to 0, 0.
  ASSERT_EQ(run.trace.size(), sent + 1 + 3);
  for (const auto& record : run.trace) EXPECT_TRUE(record.accepted);
  for (std::size_t i = 0; i < sent; ++i) {
    const CutMove& m = run.planned[i];
    EXPECT_EQ(test::commandedOf(run.trace[i + 1].after), stepsAt(m.XG, m.YG, m.XD, m.YD)) << i;
  }
  const CutMove& last = run.planned[sent - 1];
  EXPECT_EQ(test::commandedOf(run.trace[sent + 1].after),
            stepsAt(last.XG, clearance, last.XD, clearance));
  EXPECT_EQ(test::commandedOf(run.trace[sent + 2].after), stepsAt(0, clearance, 0, clearance));
  EXPECT_EQ(test::commandedOf(rig.machine->snapshot()), (test::Steps{}));
  // The planner agrees with the machine, and the interface is stopped.
  EXPECT_EQ(test::mm4(rig.planner.towers()), (test::Mm4{}));
  EXPECT_FALSE(rig.machine->isStarted());
  EXPECT_TRUE(rig.prompt.messages().empty());
}

TEST(CutJobAbort, StopsAfterACompleteMoveAndRetreatsToTheGivenClearance) {
  Rig rig(pacedMachine());
  rig.env.abortClearanceHeight = 40.0;
  const AbortRun run = runAbortedCut(rig);
  expectCompleteMovesThenRetreat(rig, run, 40.0);
  // The progress text was shown while the cut ran.
  ASSERT_FALSE(rig.status.texts.empty());
  EXPECT_EQ(rig.status.texts.front(), "40.00 mm/s Power 40 %, fixed 40%");
}

TEST(CutJobAbort, WithoutAClearanceTheHighestPointOfTheCutIsUsed) {
  Rig rig(pacedMachine());
  const AbortRun run = runAbortedCut(rig);
  expectCompleteMovesThenRetreat(rig, run, 45.0);
}

// The heat pause has run and the worker has not yet asked for the verdict
// when the cut is cancelled: the cut ends without a move and without a question.
TEST(CutJobCancel, CancelBeforeTheHeatCheckIsAnsweredRunsNoMove) {
  SimulatedMachineParams params;
  params.heatSetByHand = true;
  params.handHeatPercent = 1;  // would ask
  Rig rig(params, true);
  MoveList moves;
  moves.push_back(rig.plan(10, 0, 10, 0, 0.5));
  ASSERT_TRUE(rig.job.start(std::move(moves), 0x14, 5.0));
  ASSERT_TRUE(rig.gated_->waitSent(1));
  rig.job.cancel();
  rig.gated_->allow(1 << 20);
  EXPECT_FALSE(rig.job.runToEnd());
  EXPECT_EQ(rig.job.result(), CutJobResult::Cancelled);
  EXPECT_TRUE(rig.prompt.callsOf(ScriptedPrompt::Kind::AbortRetryIgnore).empty());
  EXPECT_EQ(rig.steps(Axis::XG), 0);
  EXPECT_EQ(rig.machine->counters().stepsRequests, 1u);  // the pause only
  EXPECT_FALSE(rig.machine->isStarted());
}

// X up to 20, back to 10, then 50 (never run): with backlash, the retreat
// after a cancel following the second move starts from that move's
// directions, not the list's end, or the machine loses the play.
TEST(CutJobCancel, RetreatsAndLeavesPositionAndDirectionsOfTheLastMoveRun) {
  SimulatedMachineParams params;
  params.xBacklashSteps = 5;
  params.yBacklashSteps = 5;
  Rig rig(params, true);
  rig.config.table.XPasInvSens = 5;
  rig.config.table.YPasInvSens = 5;
  MoveList moves = rig.plans({{20, 30, 20, 30, 1.0}, {10, 30, 10, 30, 1.0}, {50, 30, 50, 30, 1.0}});
  const AxisDirections afterSecond = moves[1].directions;
  ASSERT_NE(afterSecond, rig.planner.directions());  // the list ends the other way

  rig.prompt.queueAnswer(Answer::Ok);
  ASSERT_TRUE(rig.job.start(std::move(moves), 0x0D, 8.0));
  ASSERT_TRUE(rig.gated_->waitSent(1));
  rig.gated_->allow(1);
  ASSERT_TRUE(rig.gated_->waitSent(2));  // the second move ran; the worker is held after it

  rig.job.service();
  const CutJobProgress progress = rig.job.progress();
  EXPECT_EQ(std::pair(progress.moveIndex, progress.moveCount),
            (std::pair<std::size_t, std::size_t>{1, 3}));
  EXPECT_EQ(progress.label, "test");
  EXPECT_DOUBLE_EQ(progress.remainingSeconds, 2.0);
  ASSERT_TRUE(progress.position.has_value());
  EXPECT_EQ(test::mm4(*progress.position), (test::Mm4{10.0, 30.0, 10.0, 30.0}));
  const MachineSnapshot held = rig.machine->snapshot();
  EXPECT_DOUBLE_EQ(progress.position->XG, held[Axis::XG].actualMm);
  EXPECT_DOUBLE_EQ(progress.position->YD, held[Axis::YD].actualMm);
  EXPECT_TRUE(rig.planner.busy());

  rig.job.cancel();
  rig.gated_->allow(1 << 20);
  EXPECT_FALSE(rig.job.runToEnd());
  EXPECT_EQ(rig.job.result(), CutJobResult::Cancelled);
  EXPECT_EQ(rig.job.lastCutMovesSent(), 2u);
  EXPECT_FALSE(rig.planner.busy());
  // Home, every carriage exactly where the planner believes it.
  EXPECT_EQ(test::actualOf(rig.machine->snapshot()), (test::Steps{}));
  EXPECT_EQ(test::mm4(rig.planner.towers()), (test::Mm4{}));
  EXPECT_EQ(rig.job.progress().position->XG, 0.0);
  // The retreat ended going down (a still axis counts as positive).
  EXPECT_EQ(rig.planner.directions(), (AxisDirections{1, -1, 1, -1}));

  // The next cut takes up the play on the right side and gets where planned.
  MoveList next = rig.plans({{10, 10, 10, 10, 1.0}});
  rig.prompt.queueAnswer(Answer::Ok);
  EXPECT_TRUE(rig.job.ExecuteCut(std::move(next), 0x0D, 8.0));
  EXPECT_EQ(rig.machine->snapshot()[Axis::XG].actualSteps, 480);
  EXPECT_EQ(rig.machine->snapshot()[Axis::YD].actualSteps, 480);
}

TEST(CutJobThreads, ACutAskedForWhileOneRunsIsRefusedAndPlanningToo) {
  Rig rig({}, true);
  MoveList moves = rig.plans({{10, 0, 10, 0, 0.5}});
  ASSERT_TRUE(rig.job.start(std::move(moves), 0x04, 5.0));
  MoveList other;
  other.push_back(timedMove(1.0));
  EXPECT_FALSE(rig.job.start(std::move(other), 0x04, 5.0));
  EXPECT_FALSE(rig.planner.PlanDwell(100.0).has_value());
  EXPECT_FALSE(RunCutScriptFile(rig.env, rig.job, "any.cut"));  // may select a table
  const std::string running = "A cut is running: wait for its end or cancel it";
  EXPECT_EQ(rig.prompt.messages(), (std::vector<std::string>{running, running, running}));
  rig.gated_->allow(1 << 20);
  EXPECT_TRUE(rig.job.runToEnd());
  EXPECT_EQ(rig.steps(Axis::XG), 480);
}
}  // namespace
}  // namespace orva
