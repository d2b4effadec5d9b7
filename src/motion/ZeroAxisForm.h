#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/Form.h"

#include "motion/CutJob.h"
#include "motion/CutMove.h"

namespace orva {

enum class ZeroAxisField : int {
  None = -1,
  LeftX = 0,  // "Distance" boxes of the two towers
  LeftY,
  RightX,
  RightY,
  Heat,
  TestDuration,
  XStepTime,
  YStepTime,
  XMaxSpeed,  // displays
  YMaxSpeed,
  Synchronized,  // check box "Synchronized Axes"
  Move,          // buttons: move(), test(); OK is "Set Zero"
  Test,
  SetZero,
};

// The "Zero axis" dialog without its widgets: jogs each tower step by step,
// moves the towers by given distances, tests the wire heat, edits the motor
// step times, and finally declares the reached position as the machine zero.
//
// The interface is started when the dialog opens (open()) and after every
// "Move" and "Test" (which stop it at their end); "Set Zero" and "Cancel" stop it.
//
// Moves of this dialog always go to the machine, also while "Cut to File" is
// set: the dialog exists to move the wire.
//
// A held arrow: pressArrow() makes the first single step; the dialog then
// runs a timer of repeatIntervalMs() and calls repeatTick() on every timeout
// (restarting the timer with repeatIntervalMs() when it returns true), and
// releaseArrow() when the button goes up.
// The boxes show the values below; an edit takes the text's leading number
// (0 when none; the integer part for heat and test duration, the heat kept
// within 1..100) as the value.
class ZeroAxisForm : public FormOf<ZeroAxisField> {
 public:
  enum class Tower { Left, Right };
  enum class Axis { X, Y };

  static constexpr int kFirstRepeatMs = 500;
  // The repeat period shrinks by this factor (1 / 1.3) on every repeat.
  static constexpr double kRepeatFactor = 0.7692307692307692;
  static constexpr int kDefaultTestSeconds = 30;

  explicit ZeroAxisForm(CutJob& job);
  // A move or test of the dialog still running is waited for.
  ~ZeroAxisForm() override;
  ZeroAxisForm(const ZeroAxisForm&) = delete;
  ZeroAxisForm& operator=(const ZeroAxisForm&) = delete;

  static std::string title();
  std::span<const FieldInfo> fieldTable() const override;

  // Fields, as the user sees them; the dialog writes them directly.
  double leftX = 0.0;  // "Distance", mm, any sign
  double leftY = 0.0;
  double rightX = 0.0;
  double rightY = 0.0;
  int heat = 1;                            // "Heat (%)", 1..100
  int testDuration = kDefaultTestSeconds;  // "Test duration (sec)"
  double xStepTime = 0.0;                  // "X time between steps (ms)"
  double yStepTime = 0.0;                  // "Y time between steps (ms)"

  // "X/Y maximum speed (mm/s)": from the step time shown; 0 for a time of 0.
  double maxSpeed(Axis axis) const;
  std::string maxSpeedText(Axis axis) const;  // "%.4f"

  // "Synchronized Axes" toggled.
  void toggleSynchronized() { setChecked(Field::Synchronized, !synchronized_); }
  bool rightArrowsEnabled() const { return !synchronized_; }

  // Sends Start.
  void open();

  // Spin buttons; delta is the spin step (+1 or -1): the value changes by
  // -delta. A step time is first brought down to a whole number of timer
  // periods and never goes to 0 or below (it becomes one period); the heat
  // stays within 1..100.
  void spinStepTime(Axis axis, int delta);
  void spinHeat(int delta);

  // Arrows. dX, dY: -1, 0 or +1 (the direction of the arrow). A right arrow
  // while synchronized is disabled and does nothing (returns false).
  bool pressArrow(Tower tower, int dX, int dY);
  // One repeat of a held arrow: shortens the period when the shortened period
  // still exceeds both step times, then makes one more single step. Returns
  // whether the period changed (the timer is to be restarted).
  bool repeatTick();
  void releaseArrow();
  bool arrowHeld() const { return held_.has_value(); }
  bool arrowPressed(Tower tower, int dX, int dY) const;
  int repeatIntervalMs() const { return repeatMs_; }

  // The single-step move of an arrow: one entry stepping (dX, dY) after
  // intervalMs. Synchronized: both towers step. Otherwise only the given
  // tower. Nothing when the interval or the timer period cannot be used.
  static std::optional<CutMove> SingleStepMove(Tower tower, int dX, int dY, bool synchronized,
                                               double intervalMs, double tempoMs);

  // Checks the step times (each at least the timer period), with the message.
  bool validate();
  // "Move": the towers move by the four distances (rapid), whatever position
  // the planner holds; returns when the move has ended. Returns false when
  // the validation failed or a cut is running ("A cut is running").
  bool move();
  // "Test": heats the wire at the dialog's heat for the test duration, to its end.
  bool test();
  // The same, returning once the job runs: nothing when refused, otherwise
  // whether the job runs (the form finishes its work when the cut ends).
  // While it runs the arrows do nothing and "Set Zero" is refused.
  std::optional<bool> startMove();
  std::optional<bool> startTest();
  // "Set Zero" (also OK): the wire is now at the machine zero. Returns true
  // when the dialog is to close.
  bool setZero();
  // The dialog is closed without "Set Zero": the interface is stopped.
  void cancel();

 protected:
  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int) const override { return synchronized_; }
  bool takeChecked(int, bool value) override {
    synchronized_ = value;
    return true;
  }
  bool accept() override { return setZero(); }

 private:
  static constexpr std::size_t kBoxes = 8;  // LeftX .. YStepTime
  // The value shown in a box as its text.
  std::string valueText(int field) const;

  struct HeldArrow {
    Tower tower;
    int dX;
    int dY;
  };

  void singleStep(const HeldArrow& arrow);
  bool refuseWhileRunning();
  bool runOnMachine(MoveList moves, CutJob::Finished after);

  CutJob& job_;
  bool synchronized_ = true;
  std::optional<HeldArrow> held_;
  int repeatMs_ = kFirstRepeatMs;
  bool firstRun_ = true;
  bool cutRunning_ = false;  // a move or test of the dialog runs on the job
  std::array<std::string, kBoxes> typed_;  // the texts as typed
};

}  // namespace orva
