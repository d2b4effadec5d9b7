#pragma once

#include "motion/TimerCalibrationForm.h"
#include "ui/DialogTimer.h"
#include "ui/FormDialog.h"

namespace orva {

// "Timer Calibration": the period the table is set to, the period the
// interface really runs at (measured again and again while the dialog is
// open, polled by a window timer of 200 ms) and "Finished Adjustment".
// Closing the window finishes the same way; nothing is stored.
// On a controller table (`controllerTable`) there is no interface timer to
// measure: the dialog says so and measures nothing.
class TimerCalibrationDialog : public FormDialog {
 public:
  TimerCalibrationDialog(TimerCalibrationForm& form, QWidget* parent,
                         DialogTimer::Clock clock = DialogTimer::Clock::Real,
                         bool controllerTable = false);

  DialogTimer& pollTimer() { return timer_; }

  void accept() override;
  void reject() override;

 private:
  TimerCalibrationForm& form_;
  DialogTimer timer_;
  bool measuring_ = true;
};

}  // namespace orva
