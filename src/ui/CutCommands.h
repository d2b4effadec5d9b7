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

}  // namespace orva
