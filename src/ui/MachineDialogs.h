#pragma once

class QWidget;

namespace orva {

class CMainFrame;
class MaterialNameForm;
class ProgramContext;
class TableNameForm;

// The commands of the auxiliary cuts, the cut scripts and the machine and
// material settings, each with its dialog:
//   32798  Block shaping        (the active project; the cut follows OK)
//   32799  Test cut             (the active project; the cut follows OK)
//   32811  Foam cut             (the active project; raise, then "Coupe")
//   32837  Script Execution     (the open dialog, then the script runs)
//   32901  Table management     ("Current table")
//   32779  Table configuration  ("CNC Table Configuration")
//   32805  Foam management
//   32812  Files...             ("Directories and sound")
// A cut is started on the program's job and followed by the window's job
// runner, so the window stays responsive while it runs. The table and
// material dialogs are refused while a cut runs (the cut reads the table and
// the foams). Whenever the current table may have changed, status pane 1
// shows its name and the simulated machine is set to it.
bool isMachineDialogCommand(int commandId);

// Runs the command; false for an id not listed above (nothing is done) and
// for a project command without an active project.
bool runMachineDialog(int commandId, CMainFrame& frame, ProgramContext& context);

// The name dialogs the table and material dialogs open, modal over `parent`:
// "Table name" (OK and Cancel, at most 25 characters typed) and "Enter a new
// name for this material..." (OK only; closing the window dismisses it).
void runTableNameDialog(TableNameForm& form, QWidget* parent);
void runMaterialNameDialog(MaterialNameForm& form, QWidget* parent);

}  // namespace orva
