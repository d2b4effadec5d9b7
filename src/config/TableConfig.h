#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace orva {

// How the table's machine is driven. The built-in "interface" is the stepper
// interface on the parallel port (or the simulated machine); "grbl" is a
// G-code controller of the GRBL family (GRBL 1.1 four-axis builds, FluidNC)
// on a serial port, fed the G-code of the cut line by line.
struct ControllerLink {
  static constexpr std::string_view kInterface = "interface";
  static constexpr std::string_view kGrbl = "grbl";

  std::string CtlBackend = std::string(kInterface);
  std::string CtlPort;            // serial port, e.g. "/dev/ttyACM0" or "COM3"
  int CtlBaud = 115200;           // bits per second
  std::string CtlAxes = "XYZA";   // the controller's letters of XG, YG, XD, YD
  double CtlHeatS = 1000.0;       // spindle value of full heat (GRBL's $30); 0: heat set by hand
  int CtlRxBuffer = 128;          // the controller's receive buffer, bytes
  int CtlStatusMs = 200;          // status query interval, ms (at most 5 per second)

  bool isGrbl() const { return CtlBackend == kGrbl; }
  bool operator==(const ControllerLink&) const = default;
};

// "" when the link can be used, else what is wrong with it (the field and the
// value it needs). The interface backend needs nothing.
std::string CheckControllerLink(const ControllerLink& link);

// The current cutting table: dimensions, axis drives, timer, heating time,
// zero positions and remembered options. Fields are named by their file keys.
//
// A hand-edited file can hold a timer period, a pitch or a number of steps per
// revolution of 0 or below: such values are kept as read (the move planner
// refuses them); nothing in this layer divides by them unguarded.
struct TableConfig {
  int TableInv = 0;           // reverse table layout (0/1)
  int InterfChauf = 1;        // the interface has heat acquisition (0/1)
  double Tempo = 0.5;         // timer period, ms
  double Chauffe = 10.0;      // wire heating time, s
  int ArmVMax = 1;            // foam cut: raise the wire at maximum speed
  int Entraxe = 1500;         // distance between the wire supports, mm
  int AxesX = 1000;           // X travel, mm
  int AxesY = 500;            // Y travel, mm
  double ZeroX = 0.0;         // zero position in X, mm
  int XNtour = 48;            // X motor steps per screw revolution
  int XPasInvSens = 0;        // X backlash, steps
  double XPas = 1.0;          // X screw pitch, mm per revolution
  double XVmax = 5.0;         // minimum time between two X steps, ms
  int VitesseInvSensX = 100;  // X backlash compensation speed, % of the X maximum speed
  int VitesseInvSensY = 100;
  int YNtour = 48;
  int YPasInvSens = 0;
  double YPas = 1.0;
  double YVmax = 5.0;
  int MargeBlocX = 0;  // block margins drawn by the cut preview, mm
  int MargeBlocZ = 0;
  double ZeroY = 0.0;

  // The machine behind the table. Its lines follow the 22 classic ones and
  // are written only for a controller table, so that the file of a table on
  // the interface stays as it always was.
  ControllerLink controller;

  // Set when the record changed and must be written; cleared by a successful read.
  bool tableModified = false;

  // Every field to its built-in value (tableModified untouched).
  void setBuiltIn();
};

// "NAME_table.bd".
std::string TableFileName(std::string_view tableName);

// Reads a table file given in pieces of any size (lines may span pieces).
// The controller keys ("CtlBackend grbl", "CtlPort /dev/ttyACM0" ...) take the
// rest of their line, trimmed, for a word and a number like the others.
// Every line is matched against the 22 keys the way scanf matches a format
// "KEY %d" / "KEY %lf": the key exactly at the start of the line, any amount of
// white space (also none), then the number; what follows the number does not
// matter. A matching line stores its field, so keys may come in any order and
// the last occurrence wins; other lines are ignored. A line longer than
// kMaxLineBytes is ignored as a whole; memory stays bounded by that length.
// Values a field cannot hold (an integer beyond 32 bits, a double beyond its
// range, inf, nan) make the line not match.
class TableConfigParser {
 public:
  static constexpr std::size_t kMaxLineBytes = 4096;

  explicit TableConfigParser(TableConfig& config) : config_(config) {}

  void feed(std::string_view bytes);
  // Takes a last line without line end, then keeps only the lowest bit of
  // TableInv and InterfChauf. Call once, after the last feed.
  void finish();

 private:
  void endLine();

  TableConfig& config_;
  std::string line_;
  bool overlong_ = false;
  bool afterCr_ = false;  // the previous byte ended a line with '\r'
};

// Matches every line of a table file against every key (see TableConfigParser).
void ParseTableConfigText(std::string_view text, TableConfig& config);
// The 22 lines of a table file, in Windows-1252 (plain ASCII in practice),
// then the controller's lines for a controller table.
std::string FormatTableConfig(const TableConfig& config);

// Reads dir/fileName into `config` and clears tableModified; a file that
// cannot be opened or read (missing, not a regular file, read error) changes
// nothing. Returns whether the file was read.
bool ReadTableConfig(TableConfig& config, const std::filesystem::path& dir,
                     std::string_view fileName);
// As ReadTableConfig; when the file cannot be opened and useDefaults is set,
// the built-in values are taken and tableModified is set. Returns false only
// when the file could not be read and no defaults were asked for.
bool OpenTableConfig(TableConfig& config, const std::filesystem::path& dir,
                     std::string_view fileName, bool useDefaults);
// Writes the file (keeping the previous one as .bak) when tableModified is set.
// Returns false when a write was due and failed. tableModified is left as it is.
bool SaveTableConfig(const TableConfig& config, const std::filesystem::path& dir,
                     std::string_view fileName);

// Fastest speed of an axis in mm/s: pitch × 1000 / (steps × minimum step time).
// 0 when the divisor is 0 or the result is not a finite number.
double MaxAxisSpeed(double pitch, int stepsPerRevolution, double minStepTimeMs);

}  // namespace orva
