#include "ui/ManualControl.h"

#include "app/ProgramContext.h"
#include "motion/TimerCalibrationForm.h"
#include "motion/ZeroAxisForm.h"
#include "ui/CMainFrame.h"
#include "ui/TimerCalibrationDialog.h"
#include "ui/ZeroAxisDialog.h"

namespace orva {

namespace {
constexpr int kTimerTuning = 32796;
constexpr int kZeroAxis = 32803;
}  // namespace

bool isManualControlCommand(int commandId) {
  return commandId == kTimerTuning || commandId == kZeroAxis;
}

bool runManualControl(int commandId, CMainFrame& frame, ProgramContext& context) {
  switch (commandId) {
    case kTimerTuning: {
      TimerCalibrationForm form(context.driver, context.machine.table);
      TimerCalibrationDialog dialog(form, &frame);
      dialog.exec();
      return true;
    }
    case kZeroAxis: {
      ZeroAxisForm form(context.job);
      ZeroAxisDialog dialog(form, frame.jobRunner(), &frame);
      dialog.exec();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace orva
