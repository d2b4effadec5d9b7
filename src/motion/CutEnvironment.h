#pragma once

#include <optional>
#include <string>

#include "motion/GcodeWriter.h"

namespace orva {

class MovePlanner;
class InterfaceDriver;
class MachineConfig;
class UserPrompt;
class SoundPort;
class StatusPort;
class ControllerSession;

// Execution flags of a cut (CutJob::start), and the combinations the cuts use.
enum CutFlags : int {
  kCutPlaySound = 0x01,  // play the end-of-cut sound when the cut has run
  kCutMarked = 0x02,     // carried by some of the values below; the job ignores it
  kCutLong = 0x04,       // wait cursor; moves sent by the worker thread (machine) or written (file)
  kCutConfirm = 0x08,    // "Start cut ?" (machine) or file dialog and script header (file)
  kCutCheckHeat = 0x10,  // check the wire heat before the first move

  // The panel cut, block shaping and the test cut: confirmed, with everything.
  kConfirmedCutFlags = kCutPlaySound | kCutMarked | kCutLong | kCutConfirm | kCutCheckHeat,
  // The foam cut starts without confirmation; its first run (after opening
  // the dialog or after a failed run) carries the mark.
  kFoamCutFirstFlags = kCutPlaySound | kCutMarked | kCutLong | kCutCheckHeat,
  kFoamCutFlags = kCutPlaySound | kCutLong | kCutCheckHeat,
  // Replaying a cut script: confirmed, no heat check.
  kScriptCutFlags = kCutPlaySound | kCutMarked | kCutLong | kCutConfirm,
  // The manual control dialog: worker thread and heat check, its first move marked.
  kManualFirstCutFlags = kCutMarked | kCutLong | kCutCheckHeat,
  kManualCutFlags = kCutLong | kCutCheckHeat,
};

// What "Cut to File" writes.
enum class OutputFormat {
  CutScript,  // a cut script, to be replayed on this program's machine
  Gcode,      // "Cut to G-code": a program for a four-axis G-code controller
};

// Where a cut goes besides the machine. Global options set by the cutting dialogs.
struct CutOutputOptions {
  bool cutToFile = false;    // "Cut to File": write the cut instead of running the machine
  bool stepDetails = false;  // "Step Details": dump every step entry into the script
  OutputFormat format = OutputFormat::CutScript;
  GcodeOptions gcode;  // dialect, axis letters, spindle range, heat control
  // Named in the header of a G-code file: the project file and the panel the
  // cut comes from (UTF-8; empty: not named).
  std::string sourceFile;
  std::string panelName;
};

// Everything cut execution and cut scripts use. The program context owns the
// pieces and fills this record; tests build one around a simulated machine.
struct CutEnvironment {
  MovePlanner& planner;
  InterfaceDriver& driver;
  MachineConfig& machine;  // table configuration, foams, current table, data directory
  UserPrompt& prompt;
  SoundPort& sound;
  StatusPort& status;
  CutOutputOptions output;
  std::string endOfCutSound = "Bravo.wav";  // resolved path of the end-of-cut sound
  std::string projectDirectory;             // initial directory of cut-script file choices
  // Height (mm, relative to the machine zero) the wire rises to when the next
  // cut is aborted while it runs, before it travels to X = 0 and then to 0, 0:
  // that cut's clearance height. CutJob::start takes it for the cut it runs and
  // clears it, so a value never outlives its cut. When not given, the highest
  // tower height of the cut's list is taken: the cut goes there, so it is
  // within the travel and, for every cut that enters and leaves the block from
  // above, clear of it. A tower already higher does not go down.
  std::optional<double> abortClearanceHeight;
  // The program's controller connection: a machine cut on a table whose link
  // is a G-code controller is streamed through it instead of the interface
  // driver. None: every machine cut goes to the interface driver.
  ControllerSession* controller = nullptr;
};

}  // namespace orva
