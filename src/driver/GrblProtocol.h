#pragma once

// The line protocol of GRBL 1.1 controllers and their derivatives (four-axis
// GRBL builds, FluidNC): what a received line means, status reports, the
// real-time command bytes, and the mapping of the table's four axes onto the
// controller's axis letters.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// Real-time commands: single bytes the controller acts on at once, outside
// the line buffer (never counted against it).
inline constexpr char kGrblStatusQuery = '?';
inline constexpr char kGrblFeedHold = '!';
inline constexpr char kGrblCycleStart = '~';
inline constexpr char kGrblSoftReset = '\x18';
inline constexpr char kGrblJogCancel = '\x85';

enum class GrblLineKind {
  Empty,     // a blank line (GRBL prints one before its banner)
  Ok,        // "ok": the oldest line sent was accepted
  Error,     // "error:N": the oldest line sent was refused (code N)
  Alarm,     // "ALARM:N": the controller is locked, position possibly lost
  Banner,    // "Grbl 1.1h ['$' for help]", "Grbl 3.7 [FluidNC v3.7.8 ...]"
  Status,    // "<Idle|MPos:...|...>"
  Message,   // "[MSG:text]"
  Feedback,  // any other "[...]" ("[GC:...]", "[VER:...]", "[AXS:4:XYZA]", ...)
  Setting,   // "$N=value" ($$ output, printed by GRBL after a settings reset)
  Other,     // anything else (echo of startup lines ">...:ok", junk)
};

struct GrblLine {
  GrblLineKind kind = GrblLineKind::Other;
  int code = 0;      // error or alarm number
  std::string text;  // the message's text, the feedback's inside, the banner
};

// The meaning of one received line (without its line end).
GrblLine ParseGrblLine(std::string_view line);

// A status report: "<State[:sub]|MPos:..|WPos:..|WCO:..|Bf:planner,rx|FS:f,s|...>".
struct GrblStatus {
  std::string state;   // "Idle", "Run", "Hold", "Jog", "Alarm", "Door", "Check", "Home", "Sleep"
  int subState = -1;   // "Hold:0" = 0 (stopped), "Hold:1" = 1 (stopping); -1: none
  std::vector<double> machinePosition;  // MPos, in the controller's axis order; empty: not reported
  std::vector<double> workPosition;     // WPos; empty: not reported
  std::vector<double> workOffset;       // WCO; empty: not in this report
  std::optional<int> plannerBlocksFree;  // Bf: first value
  std::optional<int> rxBytesFree;        // Bf: second value
  std::optional<double> feed;            // FS:/F: first value
  std::optional<double> spindle;         // FS: second value
};

// The report of `line`, or nothing when it is not a well-formed status report.
std::optional<GrblStatus> ParseGrblStatus(std::string_view line);

// How the table's axes XG, YG, XD, YD are named on the controller and where
// they stand in its status reports.
class GrblAxisMap {
 public:
  // `letters`: the words of XG, YG, XD, YD, four distinct letters of
  // XYZABCUVW (either case). `controllerAxes`: the controller's own axis
  // order as it reports positions ("XYZA", "XYUV", "XYZAB"); empty: the
  // letters in the order X Y Z A B C U V W.
  static std::optional<GrblAxisMap> make(std::string_view letters,
                                         std::string_view controllerAxes = {});
  // "" when `letters` can be used, else why not.
  static std::string check(std::string_view letters);

  const std::string& letters() const { return letters_; }
  const std::string& controllerAxes() const { return controllerAxes_; }
  // XG, YG, XD, YD from a position in the controller's order; nothing when
  // the report has too few values.
  std::optional<std::array<double, 4>> towers(const std::vector<double>& controllerValues) const;
  // "X1.5 Y2 Z0 A-3": axis words for the four tower values (4 decimals, no
  // trailing zeros).
  std::string words(const std::array<double, 4>& towers) const;
  std::string words(std::optional<double> xg, std::optional<double> yg, std::optional<double> xd,
                    std::optional<double> yd) const;

 private:
  std::string letters_;
  std::string controllerAxes_;
  std::array<int, 4> index_{};
};

// The controller axes of an "[AXS:4:XYZA]" feedback text ("AXS:4:XYZA"), or "".
std::string AxesOfFeedback(std::string_view feedback);

// A program line as it goes to the controller: comments ("( ... )" and from
// ";" on) and surrounding blanks removed when `keepComments` is false; an
// empty result means nothing to send.
std::string GrblLineToSend(std::string_view line, bool keepComments);

// The letter's value in a G-code line (comments already removed), e.g. 'S' in
// "M3 S800"; nothing when the letter is not there.
std::optional<double> GcodeWordValue(std::string_view line, char letter);

// The text of an error or alarm code as GRBL 1.1 documents it ("" when unknown).
std::string_view GrblErrorText(int code);
std::string_view GrblAlarmText(int code);

}  // namespace orva
