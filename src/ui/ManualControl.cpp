#include "ui/ManualControl.h"

#include "app/ProgramContext.h"
#include "common/Messages.h"
#include "motion/TimerCalibrationForm.h"
#include "motion/ZeroAxisForm.h"
#include "ui/CMainFrame.h"
#include "ui/MachinePanel.h"
#include "ui/TimerCalibrationDialog.h"
#include "ui/ZeroAxisDialog.h"

#include <QMessageBox>

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
      TimerCalibrationDialog dialog(form, &frame, DialogTimer::Clock::Real,
                                    context.machine.table.controller.isGrbl());
      dialog.exec();
      return true;
    }
    case kZeroAxis: {
      ZeroAxisForm form(context.job);
      const TableConfig& table = context.machine.table;
      ControllerSession* controller = nullptr;
      if (table.controller.isGrbl()) {
        // The arrows jog the table's controller, over the program's one
        // connection (opened here when the machine panel has not).
        ControllerSession& session = context.controllerSession();
        if (!session.connected() &&
            !session.connect(table.controller.CtlPort, table.controller.CtlBaud, GrblSettingsOfTable(table))) {
          QMessageBox::warning(&frame, uiText(ZeroAxisForm::title()),
                               uiText(formatMessage(Msg::MachineConnectFailed,
                                                    {table.controller.CtlPort, session.failureText()})));
          return true;
        }
        controller = &session;
        frame.machinePanel().refresh();
      }
      ZeroAxisDialog dialog(form, frame.jobRunner(), &frame, DialogTimer::Clock::Real, controller, &table);
      dialog.exec();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace orva
