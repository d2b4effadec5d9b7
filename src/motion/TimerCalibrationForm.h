#pragma once

#include <chrono>
#include <string>

#include "common/Form.h"

namespace orva {

class InterfaceDriver;
struct TableConfig;

enum class TimerCalibrationField : int {
  None = -1,
  SetTimer = 0,  // display: setTimerText()
  CurrentValue,  // display: currentValueUs()
  FinishedAdjustment,  // the button; OK is finish()
};

// The "Timer Calibration" dialog without its widgets: shows the timer period
// the interface driver really runs at, measured by counting its interrupts
// during one second, next to the period the table is set to, so that the
// table's timer value can be set to it. Nothing is stored.
//
// The dialog calls open() when it is shown, starts a window timer of
// kTickIntervalMs and calls tick() on every timeout; "Finished Adjustment"
// stops that timer and calls finish() before closing.
class TimerCalibrationForm : public FormOf<TimerCalibrationField> {
 public:
  static constexpr int kTickIntervalMs = 200;
  static constexpr std::chrono::milliseconds kDefaultFinishDelay{200};
  // A second with this many interrupts or fewer shows a period of 0.
  static constexpr unsigned kMinimumCount = 10;

  TimerCalibrationForm(InterfaceDriver& driver, const TableConfig& table);

  static std::string title();
  std::span<const FieldInfo> fieldTable() const override;

  // "Set timer on %3.0f us" with the table's timer period in µs.
  std::string setTimerText() const;
  // "Current Value (us)": the last measured period, µs (0 until measured).
  unsigned currentValueUs() const { return currentValueUs_; }
  // The measured period for `count` interrupts in one second: 0 for a count of
  // kMinimumCount or less, else 1000000 / count µs (integer division).
  static unsigned PeriodForCount(unsigned count);

  // Starts the first count.
  void open();
  // One window-timer tick: when the count under way is over, the period is
  // shown and the next count is started; otherwise nothing changes.
  // Returns whether the display changed.
  bool tick();
  // "Finished Adjustment": waits finishDelay(), then for the count under way,
  // so that no count is left running when the dialog closes.
  void finish();

  std::chrono::milliseconds finishDelay() const { return finishDelay_; }
  void setFinishDelay(std::chrono::milliseconds delay) { finishDelay_ = delay; }

 protected:
  std::string fieldText(int field) const override;
  bool accept() override;

 private:
  InterfaceDriver& driver_;
  const TableConfig& table_;
  unsigned currentValueUs_ = 0;
  bool counting_ = false;
  std::chrono::milliseconds finishDelay_ = kDefaultFinishDelay;
};

}  // namespace orva
