#pragma once

// G-code for four-axis hot-wire controllers: a planned cut written as an
// inverse-time (G93) program, so that every move takes exactly its planned
// duration whatever the controller makes of the combined length of its axes.
//
// The program, line by line:
//
//   (comment block: program, source, panel, foam, cut speed, heat, total
//    time, dialect, axis mapping, where the positions are measured from)
//   G21 G90 G93                    mm, absolute positions, inverse-time feed
//   (- Start position, wire cold)
//   G0 X.. Y.. Z.. A..             the cold move to where the cut starts (when known)
//   M3 S<heat>                     wire on, before the first move (heat control only)
//   (- <label>)                    the label of the move that follows
//   G4 P<seconds>                  a pause: positive duration, no motion
//   G1 X.. Y.. Z.. A.. F<1/min>    a timed move: F = 60 / duration, on every G1
//   ...
//   M5                             wire off (heat control only)
//   G94                            feed back to units per minute
//   M2                             end of program
//
// Positions are the tower targets of the moves made relative to the machine
// zero of the table (ZeroX taken off the X values, ZeroY off the Y values), as
// in cut scripts; the controller adds its own active work offset (G54...), so
// its work zero belongs where the table's machine zero is. Coordinates have
// four decimals. F has eight significant digits, so the duration it carries is
// kept to better than 1 part in 10^6. Every number is written with a point,
// whatever the process locale.
//
// Start: the program first sends the wire, cold, to where the cut starts
// (GcodeJob::start, or the place of the heating pause that opens a cut), so
// that the controller starts from a known position; only then is the heat
// switched on.
//
// Which command a move becomes:
// - a pause: duration > 0 and the four written coordinates equal those of the
//   previous move (or, when the start is not known, a first move labelled
//   "Tempo", the planner's pauses);
// - every other move that moves: G1 with its F. The wire may be hot on any
//   move, through foam as much as through air, so nothing runs at the
//   controller's rapid rate: a move planned as fast as the motors allow
//   (duration 0, rapid travel) takes the time its steps take on this table
//   (its scheduled time);
// - a move that neither moves nor lasts is left out, with its label.
//
// Heat: with heat control, M3 comes after the move to the start, before the
// first move of the cut, so the wire heats during the heating pause that
// opens a cut, and M5 before the end. Without heat control the program
// switches nothing: no M3, no S word and no M5 (the wire is switched and set
// by hand).
//
// Comments: a label or header text goes through GcodeCommentText, and label
// comments start with "- ", so that no text can open a comment the
// controller acts on ("(MSG,", "(DEBUG,", "(LOGOPEN," ... on LinuxCNC).

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "motion/CutMove.h"

namespace orva {

struct CutEnvironment;

enum class GcodeDialect {
  Grbl,      // GRBL 1.1 four-axis derivatives and FluidNC: X Y Z A
  LinuxCnc,  // LinuxCNC: X Y U V
};

// How G-code is written for the user's controller.
struct GcodeOptions {
  GcodeDialect dialect = GcodeDialect::Grbl;
  // The axis words of XG, YG, XD and YD in this order, e.g. "XYUV"; four
  // distinct letters of X Y Z A B C U V W, either case. Empty: the dialect's.
  std::string axisLetters;
  // The spindle value of full heat (GRBL: $30). Nothing: the dialect's default.
  std::optional<double> sMax;
  // The controller switches and sets the wire heat through its spindle output.
  bool heatControl = true;
};

// What the header says about the cut, and the table's machine zero.
struct GcodeJob {
  std::string programName = "ORVA";
  std::string programVersion;  // empty: not written
  std::string sourceFile;      // UTF-8; empty: no line
  std::string panel;           // empty: no line
  std::string foam;            // empty: no line
  double cutSpeed = 0.0;       // mm/s; <= 0 (script replay): no line
  int heatPercent = 0;         // the program's wire heat, 0..100
  int heatMode = 0;            // FixedHeat, ComputedHeat (config/FoamDatabase.h), or 0
  double zeroX = 0.0;          // the table's ZeroX and ZeroY, mm
  double zeroY = 0.0;
  // Where the wire stands before the first move (XG, YG, XD, YD, table
  // coordinates, the zero offsets included). Nothing: the place of the
  // heating pause ("Tempo") that opens the cut, when it does.
  std::optional<std::array<double, 4>> start;
};

// "grbl" or "linuxcnc".
std::string_view GcodeDialectName(GcodeDialect dialect);
// The dialect of a name given by the user ("grbl", "fluidnc", "linuxcnc"; any case).
std::optional<GcodeDialect> ParseGcodeDialect(std::string_view name);
// "XYZA" or "XYUV".
std::string_view DefaultAxisLetters(GcodeDialect dialect);
// 1000 (GRBL's default $30) or 100.
double DefaultSpindleMax(GcodeDialect dialect);

// Why the options cannot be used, or an empty text when they can.
std::string CheckGcodeOptions(const GcodeOptions& options);

// `utf8` as the inside of a parenthesised comment that every dialect reads as
// plain text: "(" and ")" become "[" and "]", ";" becomes ",", line ends and
// other control characters become spaces, accented Latin letters lose their
// accent, any other character outside printable ASCII (and malformed UTF-8)
// becomes "?". At most kGcodeCommentMaxChars characters are kept, so that no
// line reaches the 255 characters a controller takes.
std::string GcodeCommentText(std::string_view utf8);
inline constexpr std::size_t kGcodeCommentMaxChars = 200;

// The whole program for `moves`. Pure: only text out. Throws
// std::invalid_argument when the options are unusable (CheckGcodeOptions) or a
// move has a duration or target that is not a finite number, a negative
// duration, or moves with neither a duration nor a scheduled time: nothing of
// such a cut can be written safely.
//
// `movesDone`, when given, receives one number per line of the program: how
// many moves of `moves` have run once that line has (a streamer follows the
// cut through it).
std::string WriteGcode(const MoveList& moves, const GcodeJob& job, const GcodeOptions& options,
                       std::vector<std::size_t>* movesDone = nullptr);

// The file a chosen name stands for: as chosen, with ".ngc" added when the
// name has no extension.
std::string GcodeFilePath(std::string_view chosenUtf8);

// The file branch of ExecuteCut with "Cut to G-code": the save dialog
// (proposing "out.ngc" in the project directory), then the program of every
// move written safely (a previous file is kept as ".bak"). The header takes
// the current foam, heat and table zero, the environment's source and panel
// names and `speed`. Returns false, after saying why, when the options are
// unusable, a move cannot be written or the file cannot be saved, and without
// a word when the user cancels.
bool WriteGcodeFile(CutEnvironment& env, const MoveList& moves, double speed);

inline constexpr std::string_view kGcodeFilterPatterns = "*.ngc;*.nc;*.gcode";
inline constexpr std::string_view kGcodeDefaultName = "out.ngc";

}  // namespace orva
