#pragma once

namespace orva {

class CMainFrame;
class ProgramContext;

// The machine's hand controls, modal over the main window:
//   32796  "Timer tuning": Timer Calibration
//   32803  "Zero Axis...": Zero axis (its moves and heat tests followed by
//          the window's job runner)
// Neither needs a project. Returns false for another id (nothing is done).
bool runManualControl(int commandId, CMainFrame& frame, ProgramContext& context);

// Whether `commandId` is one of the ids above.
bool isManualControlCommand(int commandId);

}  // namespace orva
