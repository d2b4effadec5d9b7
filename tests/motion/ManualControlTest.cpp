#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "motion/TimerCalibrationForm.h"
#include "motion/ZeroAxisForm.h"
#include "support/MachineRig.h"
#include "support/StepStreams.h"

namespace orva {
namespace {

using namespace std::chrono_literals;
using Tower = ZeroAxisForm::Tower;

// The default table: 48 steps per mm on both axes, timer 0.5 ms; one foam
// cut at 8 mm/s with 35 % heat.
struct Rig : test::MachineRig {
  explicit Rig(SimulatedMachineParams params = {}) : MachineRig(params) {
    useFoams({foam("Blue", 8.0, 35)});
  }
};
using test::Steps;

// ---------------------------------------------------------------------------
// Timer Calibration

TEST(TimerCalibration, PeriodIsZeroUpToTenInterruptsElseMicrosecondsPerInterrupt) {
  for (const auto& [count, period] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
           {0, 0}, {10, 0}, {11, 90909}, {2000, 500}, {3001, 333}}) {
    EXPECT_EQ(TimerCalibrationForm::PeriodForCount(count), period) << count;
  }
  // The set-timer line shows the table period in microseconds.
  Rig rig;
  TimerCalibrationForm form(rig.driver, rig.config.table);
  EXPECT_EQ(form.setTimerText(), "Set timer on 500 us");
  rig.config.table.Tempo = 0.05;
  EXPECT_EQ(form.setTimerText(), "Set timer on  50 us");
  rig.config.table.Tempo = 1.2345;
  EXPECT_EQ(form.setTimerText(), "Set timer on 1234 us");
}

TEST(TimerCalibration, EachFinishedCountIsShownAndTheNextOneStarted) {
  SimulatedMachineParams params;
  params.tempoMs = 0.3;  // 3333 interrupts per second: 300 us
  Rig rig(params);
  TimerCalibrationForm form(rig.driver, rig.config.table);
  form.setFinishDelay(0ms);
  form.open();
  EXPECT_EQ(rig.machine->counters().timerCounts, 1u);
  EXPECT_TRUE(form.tick());
  EXPECT_EQ(form.currentValueUs(), 300u);
  EXPECT_EQ(rig.machine->counters().timerCounts, 2u);

  params.tempoMs = 100.0;  // 10 interrupts: shown as 0
  rig.machine->setParams(params);
  EXPECT_TRUE(form.tick());
  EXPECT_EQ(form.currentValueUs(), 0u);

  form.finish();
  const auto counts = rig.machine->counters().timerCounts;
  EXPECT_FALSE(form.tick());  // closed: no more counts
  EXPECT_EQ(rig.machine->counters().timerCounts, counts);
}

TEST(TimerCalibration, ARunningCountIsNotRestarted) {
  SimulatedMachineParams params;
  params.realTimeSpeedup = 20.0;  // one machine second lasts 50 ms
  Rig rig(params);
  TimerCalibrationForm form(rig.driver, rig.config.table);
  form.setFinishDelay(0ms);
  form.open();
  EXPECT_FALSE(form.tick());
  EXPECT_EQ(form.currentValueUs(), 0u);
  EXPECT_EQ(rig.machine->counters().timerCounts, 1u);
  std::this_thread::sleep_for(80ms);
  EXPECT_TRUE(form.tick());
  EXPECT_EQ(form.currentValueUs(), 500u);
  form.finish();
}

// ---------------------------------------------------------------------------
// Zero axis: fields and spin rules

TEST(ZeroAxis, FieldsStartFromTheTableAndTheFoam) {
  Rig rig;
  rig.config.table.XVmax = 5.0;
  rig.config.table.YVmax = 2.0;
  ZeroAxisForm form(rig.job);
  using F = ZeroAxisField;
  EXPECT_EQ(form.text(F::Heat), "35");
  EXPECT_EQ(form.text(F::TestDuration), "30");
  EXPECT_EQ(form.text(F::XStepTime), "5");
  // 1 mm pitch, 48 steps: 1000 / (48 * 5) and 1000 / (48 * 2) mm/s.
  EXPECT_EQ(form.text(F::XMaxSpeed), "4.1667");
  EXPECT_EQ(form.text(F::YMaxSpeed), "10.4167");
  ASSERT_TRUE(form.setText(F::XStepTime, "0"));
  EXPECT_EQ(form.text(F::XMaxSpeed), "0.0000");
  EXPECT_FALSE(form.setText(F::XMaxSpeed, "9"));
}

// The spins to the next whole timer period, never below one, are in the
// dialog's session (tests/ui); a typed time stands as typed, and one of a
// whole number of periods keeps them all.
TEST(ZeroAxis, StepTimeOfWholeTimerPeriodsSpinsByOnePeriod) {
  Rig rig;
  ZeroAxisForm form(rig.job);
  form.setText(ZeroAxisField::XStepTime, "1.26 ms");
  EXPECT_EQ(form.text(ZeroAxisField::XStepTime), "1.26 ms");
  rig.config.table.Tempo = 0.1;
  form.yStepTime = 0.3;
  form.spinStepTime(ZeroAxisForm::Axis::Y, -1);
  EXPECT_NEAR(form.yStepTime, 0.4, 1e-12);
}

TEST(ZeroAxis, HeatSpinsWithinOneToHundred) {
  Rig rig;
  ZeroAxisForm form(rig.job);
  EXPECT_TRUE(form.setText(ZeroAxisField::Heat, "250"));  // typed: kept within range too
  EXPECT_EQ(form.text(ZeroAxisField::Heat), "100");
  form.setText(ZeroAxisField::Heat, "-3");
  EXPECT_EQ(form.heat, 1);
  for (const auto& [from, spin, to] :
       std::vector<std::array<int, 3>>{{99, -1, 100}, {100, -1, 100}, {2, +1, 1}, {1, +1, 1}}) {
    form.heat = from;
    form.spinHeat(spin);
    EXPECT_EQ(form.heat, to) << from << spin;
  }
}

TEST(ZeroAxis, StepTimeBelowTheTimerBlocksMoveTestAndSetZero) {
  Rig rig;
  ZeroAxisForm form(rig.job);
  form.open();
  form.leftX = 10.0;
  form.yStepTime = 0.4;
  EXPECT_FALSE(form.move());
  EXPECT_FALSE(form.test());
  EXPECT_FALSE(form.setZero());
  form.xStepTime = 0.2;
  EXPECT_FALSE(form.move());
  const std::string y = "Motor speed on  Y axis lower than 0.5 ms";
  EXPECT_EQ(rig.prompt.messages(),
            (std::vector<std::string>{y, y, y, "Motor speed on  X axis lower than 0.5 ms"}));
  EXPECT_EQ(rig.prompt.calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(rig.machine->counters().stepsRequests + rig.machine->counters().stops, 0u);
  EXPECT_DOUBLE_EQ(rig.config.table.YVmax, 5.0);
}

// ---------------------------------------------------------------------------
// Zero axis: moves

TEST(ZeroAxis, MoveGoesByTheDistancesWhereverThePlannerBelievesTheWire) {
  Rig rig;
  ZeroAxisForm form(rig.job);
  form.open();
  form.heat = 40;
  form.leftX = -20.0;
  form.xStepTime = 1.0;
  form.yStepTime = 1.5;
  EXPECT_TRUE(form.move());
  EXPECT_EQ(rig.allSteps(), (Steps{-960, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(rig.config.table.XVmax, 1.0);
  EXPECT_DOUBLE_EQ(rig.config.table.YVmax, 1.5);
  EXPECT_EQ(rig.machine->heatPercent(), 40);
  EXPECT_TRUE(rig.machine->isStarted());  // started again for the next action
  EXPECT_TRUE(rig.prompt.calls().empty());

  form.leftX = 10.0;
  form.leftY = -5.0;
  form.rightX = 2.5;
  form.rightY = 0.0;
  EXPECT_TRUE(form.move());
  EXPECT_EQ(rig.allSteps(), (Steps{-960 + 480, -240, 120, 0}));
  // The planner followed the wire from where it believed it: 0 - 20 + 10.
  EXPECT_EQ(test::mm4(rig.planner.towers()), (test::Mm4{-10.0, -5.0, 2.5, 0.0}));
}

TEST(ZeroAxis, MoveAndTestRunOnTheMachineEvenWithCutToFile) {
  Rig rig;
  rig.env.output.cutToFile = true;
  ZeroAxisForm form(rig.job);
  form.heat = 20;
  form.testDuration = 2;
  form.rightY = 3.0;
  EXPECT_TRUE(form.move());
  EXPECT_EQ(rig.allSteps(), (Steps{0, 0, 0, 144}));
  const double before = rig.machine->snapshot().elapsedMs;
  EXPECT_TRUE(form.test());
  // The heat check's 500 ms pause, then the test's 2 s, at the dialog's heat.
  EXPECT_NEAR(rig.machine->snapshot().elapsedMs - before, 2500.0, 1.0);
  EXPECT_EQ(rig.machine->heatPercent(), 20);
  EXPECT_TRUE(rig.env.output.cutToFile);
  EXPECT_TRUE(rig.prompt.calls().empty());
}

TEST(ZeroAxis, SetZeroKeepsTheStepTimesStopsAndResetsThePlanner) {
  Rig rig;
  rig.config.table.ZeroX = 7.0;
  ZeroAxisForm form(rig.job);
  form.open();
  form.leftX = 5.0;
  EXPECT_TRUE(form.move());
  form.xStepTime = 2.0;
  const auto stops = rig.machine->counters().stops;
  EXPECT_TRUE(form.setZero());
  EXPECT_EQ(rig.machine->counters().stops, stops + 1);
  EXPECT_FALSE(rig.machine->isStarted());
  EXPECT_DOUBLE_EQ(rig.config.table.XVmax, 2.0);
  EXPECT_EQ(test::mm4(rig.planner.towers()), (test::Mm4{7.0, 0.0, 7.0, 0.0}));
}

// ---------------------------------------------------------------------------
// Zero axis: single steps

TEST(ZeroAxisArrows, SynchronizedArrowsStepBothTowersUnsynchronizedOne) {
  Rig rig;
  ZeroAxisForm form(rig.job);
  rig.driver.SetHeatOutput(50);
  EXPECT_TRUE(form.pressArrow(Tower::Left, -1, +1));
  EXPECT_EQ(rig.machine->heatPercent(), 0);
  EXPECT_TRUE(form.arrowPressed(Tower::Left, -1, +1));
  form.releaseArrow();
  EXPECT_FALSE(form.arrowHeld());
  EXPECT_EQ(rig.allSteps(), (Steps{-1, 1, -1, 1}));
  // The right arrows are disabled while synchronized.
  EXPECT_FALSE(form.pressArrow(Tower::Right, 1, 0));
  EXPECT_EQ(rig.allSteps(), (Steps{-1, 1, -1, 1}));
  // No Start, Stop or planning for a single step.
  EXPECT_EQ(rig.machine->counters().starts + rig.machine->counters().stops, 0u);
  EXPECT_DOUBLE_EQ(rig.planner.towers().XG, 0.0);

  // Unsynchronized, each tower steps alone.
  form.toggleSynchronized();
  for (const auto& [tower, x, y, after] : {std::tuple{Tower::Left, 0, -1, Steps{-1, 0, -1, 1}},
                                           std::tuple{Tower::Right, 1, 1, Steps{-1, 0, 0, 2}},
                                           std::tuple{Tower::Right, -1, 0, Steps{-1, 0, -1, 2}}}) {
    EXPECT_TRUE(form.pressArrow(tower, x, y));
    form.releaseArrow();
    EXPECT_EQ(rig.allSteps(), after);
  }
}

TEST(ZeroAxisArrows, SingleStepWaitsTheYStepTimeOnce) {
  const std::optional<CutMove> step =
      ZeroAxisForm::SingleStepMove(Tower::Right, 1, -1, false, 5.0, 0.5);
  ASSERT_TRUE(step.has_value());
  EXPECT_EQ(step->label, " ");
  EXPECT_DOUBLE_EQ(step->duration, 0.1);
  // 10 periods, then XD + and YD - in the right tower's half of the command.
  EXPECT_EQ(step->entries, (test::Bytes{0x80 + 10, 0xC0 | 0x20}));
  EXPECT_FALSE(ZeroAxisForm::SingleStepMove(Tower::Left, 1, 0, true, 5.0, 0.0).has_value());
}

// The periods 500, 384, 295, ... of a held arrow and its step on every repeat
// are in the dialog's session (tests/ui); they stop shortening at the slower
// step time.
TEST(ZeroAxisArrows, HeldArrowStopsSpeedingUpAtTheSlowerStepTime) {
  Rig rig;
  ZeroAxisForm form(rig.job);
  form.xStepTime = 10.0;
  form.yStepTime = 300.0;
  ASSERT_TRUE(form.pressArrow(Tower::Left, 0, 1));
  EXPECT_TRUE(form.repeatTick());
  EXPECT_FALSE(form.repeatTick());
  EXPECT_EQ(form.repeatIntervalMs(), 384);
  form.releaseArrow();
  EXPECT_EQ(form.repeatIntervalMs(), 500);
  EXPECT_FALSE(form.repeatTick());  // nothing held
  EXPECT_EQ(rig.steps(Axis::YG), 3);
}

}  // namespace
}  // namespace orva
