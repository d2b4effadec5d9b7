#pragma once

// Cut scripts: a planned cut written as a text file ("Cut to File"), and such a
// file read back, planned and run on the machine ("Script Execution").
//
// A script is a text file of lines; numbers are written with "%f" (six
// decimals) and a '.' decimal point whatever the process locale; names are
// Windows-1252 in the file and UTF-8 in memory. Line kinds, recognised by
// their first characters:
//
//   F:<foam>                                  foam to select when a table is loaded
//   N:<table>                                 table to load and make current
//   Hw:<percent>                              wire heat, 0..99
//   // <label>                                the label of the move that follows
//   T:<s> XG:<mm> YG:<mm> XD:<mm> YD:<mm>     one move: duration, then the tower targets
//   <delay> [-+]YG [-+]XG [-+]YD [-+]XD       step dump ("Step Details"); not readable
//
// Positions: a move line holds the tower targets relative to the machine zero
// of the table. The writer subtracts ZeroX (X values) and ZeroY (Y values)
// from the absolute targets the planner holds, and the reader hands the values
// to the planner, which adds the zero offsets of the current table again. A
// script therefore replays at the same place relative to the machine zero, and
// written on one table it runs at the same place relative to the zero of another.
//
// Reading: the first move line only declares where the wire is (no motion);
// every later move line is planned as a tower move of its duration, or as a
// pause labelled "Tempo" when its four positions equal the previous ones. Any
// error stops the script before anything is executed; the complete list then
// goes to ExecuteCut with confirmation, wait cursor, worker thread and
// end-of-cut sound (no heat check, no speed line).

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "motion/CutMove.h"
#include "motion/MovePlanner.h"

namespace orva {

struct CutEnvironment;
class CutJob;

// The one extension of cut scripts, without the dot.
inline constexpr std::string_view kCutScriptExtension = "cut";
// The name the save dialog proposes, and the longest name it takes.
inline constexpr std::string_view kCutScriptDefaultName = "out.cut";
inline constexpr std::size_t kCutScriptMaxPathChars = 128;

// What a script may make the program hold in memory. Beyond these the script
// is refused with Msg::CutScriptTooLong before anything runs.
struct CutScriptLimits {
  // A longer line (without its line end) is a read error for that line; lines
  // the program writes stay far below it.
  std::size_t maxLineBytes = 4096;
  // Moves planned from one script (a real cut has hundreds to a few thousands).
  std::size_t maxMoves = 1'000'000;
  // Step entries of all moves together (2 bytes each: 64 MiB). A pause needs
  // one entry per 126 timer periods, so this allows weeks of pauses at the
  // usual periods, and millions of steps.
  std::size_t maxEntries = std::size_t{1} << 25;
};


// ---------------------------------------------------------------------------
// Writing

// Appends the lines of one move: "// label", the move line with the targets
// made relative to the machine zero (X values minus zeroX, Y values minus
// zeroY) and, with stepDetails, one dump line per step entry. A line end inside
// the label is written as a space, so that the label cannot break the script.
void WriteMoveLines(std::string& out, const CutMove& move, bool stepDetails, double zeroX,
                    double zeroY);

// The header: "F:foam", "N:table" and, when heat is given, "Hw:heat"; names
// are converted to Windows-1252 (a line end inside one is written as a space).
std::string FormatCutScriptHeader(std::string_view foamName, std::string_view tableName,
                                  std::optional<int> heat);

// The file a chosen name stands for: the same directory and name with the
// extension "cut" (any other extension is replaced, a missing one added).
std::filesystem::path CutScriptPath(std::string_view chosenUtf8);

// The file branch of ExecuteCut when it is asked to confirm: save dialog
// (proposing "out.cut" in the project directory), extension forced to "cut",
// file created or replaced, header with the current foam and table and, when
// the interface reports heat set by the program, the current heat; then, with
// writeMoves, the lines of every move (with the step dump when "Step Details"
// is set). Returns false when the user cancels, and, after saying so, when the
// file cannot be created or written completely (a partial file is removed).
bool WriteCutScript(CutEnvironment& env, const MoveList& moves, bool writeMoves);

// ---------------------------------------------------------------------------
// Reading

// The five numbers of a move line.
struct CutScriptMoveLine {
  double T = 0.0;  // duration, s
  double XG = 0.0;
  double YG = 0.0;
  double XD = 0.0;
  double YD = 0.0;
};

// Reads "T:%lf XG:%lf YG:%lf XD:%lf YD:%lf" at the start of `line` the way
// scanf does (white space before a number and at a blank of the form, none
// required); what follows the fifth number is ignored. Nothing when a number
// is missing, malformed, infinite or not a number.
std::optional<CutScriptMoveLine> ParseMoveLine(std::string_view line);

// Reads a script given in pieces of any size (lines may span pieces) and plans
// its moves, with every message the user must see. Lines end with "\n",
// "\r\n" or a lone "\r"; a last line without line end counts. The first error
// stops the reader: later input is ignored.
//
// Effects on the environment as the lines come: "Hw:" sends the heat, "N:"
// loads the table (and its foams) and makes it current, move lines move the
// planner. A script stopped after its start position was declared puts the
// planner back where it was before (nothing of the script ran), except after a
// planning error, where the planner has gone back to the machine zero as it
// always does. An "N:" line after the first move line is a read error: the
// moves planned before it are in steps and timer periods of another table.
class CutScriptReader {
 public:
  // fileName (UTF-8) goes into the line labels "Script file %1, line %2".
  CutScriptReader(CutEnvironment& env, std::string fileName, CutScriptLimits limits = {});

  // Returns false once the script has stopped.
  bool feed(std::string_view bytes);
  // Takes the last line; then the planned moves, or nothing when the script
  // stopped (the reason has been shown). Call once, after the last feed.
  std::optional<MoveList> finish();

  // Stops with "Read error" on the current line (the input could not be read
  // to its end). Nothing when already stopped.
  void readFailed();

  bool stopped() const { return stopped_; }
  // Lines handled so far.
  std::size_t lineCount() const { return lineNumber_ - 1; }
  // Where the script says the wire is (its first move line, relative to the
  // machine zero); nothing before that line.
  const std::optional<CutScriptMoveLine>& declaredStart() const { return start_; }
  // For each planned move, the text of the comment line ("// label") just
  // before its move line; empty when there was none.
  const std::vector<std::string>& moveComments() const { return comments_; }

 private:
  void endLine();
  void handleLine(std::string_view line);
  void handleHeat(std::string_view value, const std::string& label);
  void handleTable(const std::string& name, const std::string& label);
  void handleMove(const CutScriptMoveLine& values, const std::string& label);
  std::string lineLabel() const;
  void readError(const std::string& label);
  void tooLong(const std::string& label);
  void stop();

  CutEnvironment& env_;
  std::string fileName_;
  CutScriptLimits limits_;

  std::string line_;
  bool overlong_ = false;
  bool afterCr_ = false;
  std::size_t lineNumber_ = 1;
  bool stopped_ = false;

  std::optional<std::string> foamName_;     // of the last "F:" line
  std::optional<CutScriptMoveLine> start_;  // the first move line
  MovePlanner::Position before_;            // planner towers before it, relative to the zero
  MoveList moves_;
  std::vector<std::string> comments_;
  std::string comment_;  // of the last comment line since the last move line
  std::size_t entries_ = 0;
};

// The whole text of a script through a CutScriptReader: everything of
// "Script Execution" except the file and ExecuteCut.
std::optional<MoveList> parseCutScript(CutEnvironment& env, std::string_view text,
                                       std::string_view fileName, CutScriptLimits limits = {});

// Switches "Cut to File" off (a script always runs on the machine), reads the
// file and starts its moves on the job (flags 0x0F, no speed line). Nothing
// when the file cannot be opened (nothing is said or changed) or the script
// stopped; otherwise whether the job runs (see CutJob::start).
// `beforeStart`, when given, is called once the script was read and before
// its moves are started: the owner can bring what copies table values up to
// date with a table the script made current.
std::optional<bool> StartCutScriptFile(CutEnvironment& env, CutJob& job,
                                       const std::filesystem::path& path,
                                       const std::function<void()>& beforeStart = {});
// StartCutScriptFile and the job run to its end. False when the file cannot
// be opened, when the script stopped, and when the cut did not run to its end.
bool RunCutScriptFile(CutEnvironment& env, CutJob& job, const std::filesystem::path& path);

// The open dialog of "Script Execution": "Scripts cut (*.cut)" and "All
// Files", in the project directory, the file must exist.
FileDialogRequest CutScriptOpenRequest(const CutEnvironment& env);

// The "Script Execution" command without waiting: the open dialog, then
// StartCutScriptFile (with `beforeStart`). Nothing when the dialog was cancelled (nothing done),
// the file cannot be opened or the script stopped; otherwise whether the job
// runs (the window follows it).
std::optional<bool> StartCutScript(CutEnvironment& env, CutJob& job,
                                   const std::function<void()>& beforeStart = {});

// The "Script Execution" command: the open dialog, then RunCutScriptFile.
// Cancel does nothing.
bool RunCutScript(CutEnvironment& env, CutJob& job);

}  // namespace orva
