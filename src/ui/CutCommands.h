#pragma once

namespace orva {

class CMainFrame;
class ProgramContext;

// The commands that cut the current panel: "Panel cut..." of the menu
// (Ctrl+D) and the "Panel cut" entries of the two views' context menus.
bool isCutCommand(int commandId);
// Whether the command can be used now: a project window is active and no
// cut runs.
bool cutCommandEnabled(int commandId, const CMainFrame& frame, const ProgramContext& context);
// Runs the Panel Cutting dialog on the active project's current panel; when
// the user confirms with Cut, the cut starts on the program's job (the
// confirmation, a "Cut to File" script and the heat question come from the
// job) and the main window's job runner follows it to its end. False when
// the command is not one of these.
bool runCutCommand(int commandId, CMainFrame& frame, ProgramContext& context);

// Whether a command may run while a cut runs: those that only look (the
// View menu and the display buttons, the zoom lists, the Window and Help
// menus, printing, export, copy, save, quit, which asks to cancel first).
// Every other command would change the project, the table, the foams or the
// planner under the running cut, or start another one.
bool commandAvailableDuringCut(int commandId);
// True (after telling the user) when a cut runs and the command may not run
// now: a key or a view's request reaches the window even while its entries
// are greyed out.
bool refuseDuringCut(int commandId, const ProgramContext& context);

}  // namespace orva
