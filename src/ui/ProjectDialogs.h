#pragma once

class QWidget;

namespace orva {

class CT1Doc;
class ProgramContext;

// Runs the dialog of a project command of the command catalogue on `doc`
// (which must be open), modal over `parent`:
//   32782, 32890, 32906  Panel Parameters
//   32781, 32780         root, tip airfoil selection
//   32791, 32835         "X cut at LE" and "X leading edge...": on a wing
//                        panel, leMode becomes X cut and the X leading-edge
//                        configuration dialog opens
//   32814, 32902, 32908  Comments
//   32836, 32903, 32907  Spars
//   32910                Split current (Panel split)
//   32909                Elliptical wing
//   32813                Export (the save dialog, then the text file)
// The dialogs' commits change the project and tell its observers. Returns
// false for another id (nothing is done).
bool runProjectDialog(int commandId, CT1Doc& doc, ProgramContext& context, QWidget* parent);

// Whether `commandId` is one of the ids above.
bool isProjectDialogCommand(int commandId);

}  // namespace orva
