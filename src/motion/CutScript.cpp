#include "motion/CutScript.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

#include "common/CodePage.h"
#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/StatusPort.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "config/TableList.h"
#include "driver/InterfaceDriver.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace fs = std::filesystem;

namespace {

// Flags ExecuteCut gets for a script: end-of-cut sound, long operation and
// confirmation (bit 1 is carried along, as the command always did; it means nothing).

// A label as one comment line: line ends inside it become spaces.
std::string commentText(std::string_view label) {
  std::string text(label);
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return utf8ToCp1252(text);
}

fs::path pathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void showFileNotSaved(UserPrompt& prompt, const fs::path& path, int error) {
  prompt.showMessage(formatMessage(Msg::FileNotSaved,
                                   {utf8FromPath(path), std::generic_category().message(error)}),
                     MessageIcon::Warning);
}

bool writeAll(std::FILE* file, const std::string& text) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace

// ---------------------------------------------------------------------------
// Writing

void WriteMoveLines(std::string& out, const CutMove& move, bool stepDetails, double zeroX,
                    double zeroY) {
  out += "// ";
  out += commentText(move.label);
  out += '\n';

  out += "T:";
  out += fixedText(move.duration);
  out += " XG:";
  out += fixedText(move.XG - zeroX);
  out += " YG:";
  out += fixedText(move.YG - zeroY);
  out += " XD:";
  out += fixedText(move.XD - zeroX);
  out += " YD:";
  out += fixedText(move.YD - zeroY);
  out += '\n';

  if (!stepDetails) return;
  // Per axis: its step bit, its direction bit and its name, in dump order.
  struct AxisBits {
    std::uint8_t step;
    std::uint8_t direction;
    std::string_view name;
  };
  static constexpr std::array<AxisBits, 4> kAxes{
      {{0x02, 0x01, "YG"}, {0x08, 0x04, "XG"}, {0x20, 0x10, "YD"}, {0x80, 0x40, "XD"}}};
  for (std::size_t i = 0; i + 1 < move.entries.size(); i += 2) {
    out += std::to_string(static_cast<int>(move.entries[i]) - kDelayMarker);
    const std::uint8_t command = move.entries[i + 1];
    for (const AxisBits& axis : kAxes) {
      if ((command & axis.step) == 0) continue;
      out += (command & axis.direction) ? " +" : " -";
      out += axis.name;
    }
    out += '\n';
  }
}

std::string FormatCutScriptHeader(std::string_view foamName, std::string_view tableName,
                                  std::optional<int> heat) {
  std::string out = "F:";
  out += commentText(foamName);
  out += "\nN:";
  out += commentText(tableName);
  out += '\n';
  if (heat) {
    out += "Hw:";
    out += std::to_string(*heat);
    out += '\n';
  }
  return out;
}

fs::path CutScriptPath(std::string_view chosenUtf8) {
  fs::path path = pathFromUtf8(chosenUtf8);
  path.replace_extension(fs::path(std::string(kCutScriptExtension)));
  return path;
}

bool WriteCutScript(CutEnvironment& env, const MoveList& moves, bool writeMoves) {
  FileDialogRequest request;
  request.filters.push_back(FileFilter{" (*.cut)", "*.cut"});
  request.initialDirectory = env.projectDirectory;
  request.defaultName = std::string(kCutScriptDefaultName);
  request.defaultExtension = std::string(kCutScriptExtension);
  request.maxPathLength = kCutScriptMaxPathChars;
  request.promptOverwrite = false;
  const std::optional<std::string> chosen = env.prompt.chooseSaveFile(request);
  if (!chosen) return false;
  const fs::path path = CutScriptPath(*chosen);

  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    showFileNotSaved(env.prompt, path, errno != 0 ? errno : EIO);
    return false;
  }

  DriverStatus status;
  env.driver.ReadStatus(status);
  std::optional<int> heat;
  if (status.controlFlag != 0) heat = env.machine.foams.currentHeat;
  bool ok = writeAll(file, FormatCutScriptHeader(env.machine.foams.CurrentFoamName(),
                                                 env.machine.currentTable, heat));

  if (writeMoves) {
    const double zeroX = env.machine.table.ZeroX;
    const double zeroY = env.machine.table.ZeroY;
    std::string lines;
    for (const CutMove& move : moves) {
      if (!ok) break;
      lines.clear();
      WriteMoveLines(lines, move, env.output.stepDetails, zeroX, zeroY);
      ok = writeAll(file, lines);
    }
  }
  int error = ok ? 0 : (errno != 0 ? errno : EIO);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno != 0 ? errno : EIO;
  }
  if (!ok) {
    // Half a script could later be run as if it were the whole cut.
    showFileNotSaved(env.prompt, path, error);
    std::error_code removeError;
    if (!fs::remove(path, removeError) && removeError) {
      env.prompt.showMessage(
          formatMessage(Msg::FileNotDeleted, {path.string(), removeError.message()}),
          MessageIcon::Warning);
    }
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Reading

std::optional<CutScriptMoveLine> ParseMoveLine(std::string_view line) {
  static constexpr std::array<std::string_view, 5> kKeys{"T:", "XG:", "YG:", "XD:", "YD:"};
  std::array<double, 5> values{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    if (i > 0) {
      // A blank of the form matches any white space, also none.
      while (pos < line.size() && (line[pos] == ' ' || (line[pos] >= '\t' && line[pos] <= '\r'))) {
        ++pos;
      }
    }
    if (!line.substr(pos).starts_with(kKeys[i])) return std::nullopt;
    pos += kKeys[i].size();
    // "%lf" as scanf reads it: "1e" or "0x" alone is no number.
    ScanOptions scanf;
    scanf.incompleteFails = true;
    const NumberScan scan = scanNumber(line, pos, scanf);
    if (!scan.ok()) return std::nullopt;
    values[i] = scan.value;
    pos = scan.end;
  }
  return CutScriptMoveLine{values[0], values[1], values[2], values[3], values[4]};
}

CutScriptReader::CutScriptReader(CutEnvironment& env, std::string fileName, CutScriptLimits limits)
    : env_(env), fileName_(std::move(fileName)), limits_(limits) {}

bool CutScriptReader::feed(std::string_view bytes) {
  std::size_t pos = 0;
  while (!stopped_ && pos < bytes.size()) {
    if (afterCr_) {
      afterCr_ = false;
      if (bytes[pos] == '\n') {
        ++pos;
        continue;
      }
    }
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    const std::string_view piece =
        bytes.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    const std::size_t room =
        limits_.maxLineBytes > line_.size() ? limits_.maxLineBytes - line_.size() : 0;
    if (piece.size() > room) {
      line_.append(piece.substr(0, room));
      overlong_ = true;
    } else {
      line_.append(piece);
    }
    if (end == std::string_view::npos) break;
    afterCr_ = bytes[end] == '\r';
    pos = end + 1;
    endLine();
  }
  return !stopped_;
}

std::optional<MoveList> CutScriptReader::finish() {
  if (!stopped_ && (!line_.empty() || overlong_)) endLine();
  if (stopped_) return std::nullopt;
  return std::move(moves_);
}

void CutScriptReader::readFailed() {
  if (stopped_) return;
  readError(lineLabel());
}

void CutScriptReader::endLine() {
  if (overlong_) {
    readError(lineLabel());
  } else {
    handleLine(line_);
  }
  line_.clear();
  overlong_ = false;
  ++lineNumber_;
}

std::string CutScriptReader::lineLabel() const {
  return formatMessage(Msg::ScriptFileLine, {fileName_, std::to_string(lineNumber_)});
}

void CutScriptReader::handleLine(std::string_view line) {
  if (line.starts_with("//")) {
    std::string_view text = line.substr(2);
    if (text.starts_with(' ')) text.remove_prefix(1);
    comment_ = cp1252ToUtf8(text);
    return;
  }
  const std::string label = lineLabel();
  if (line.starts_with("Hw:")) {
    handleHeat(line.substr(3), label);
  } else if (line.starts_with("F:")) {
    foamName_ = cp1252ToUtf8(line.substr(2));
  } else if (line.starts_with("N:")) {
    handleTable(cp1252ToUtf8(line.substr(2)), label);
  } else if (const std::optional<CutScriptMoveLine> values = ParseMoveLine(line)) {
    handleMove(*values, label);
    comment_.clear();
  } else {
    readError(label);
  }
}

void CutScriptReader::handleHeat(std::string_view value, const std::string& label) {
  const IntegerScan scan = scanInteger(value);
  if (!scan.ok()) {
    readError(label);
    return;
  }
  const int percent = scan.value;
  FoamDatabase& foams = env_.machine.foams;
  const int previous = foams.currentHeat;
  if (!foams.ApplyHeat(percent)) {
    // Refused and not sent: the heat stays what it was.
    foams.currentHeat = previous;
    stop();
  }
}

void CutScriptReader::handleTable(const std::string& name, const std::string& label) {
  if (start_) {
    // The moves planned so far are in steps and timer periods of the current
    // table; run on another one they would go elsewhere than written.
    readError(label);
    return;
  }
  MachineConfig& machine = env_.machine;
  const std::optional<fs::path> file = machine.tableFilePath(name);
  std::error_code error;
  if (!file || !fs::is_regular_file(*file, error)) {
    env_.prompt.showMessage(formatMessage(Msg::TableDoesNotExist, {name}), MessageIcon::Warning);
    stop();
    return;
  }
  // The foam of the last "F:" line is looked for in the table's foams; the
  // settings value stays as it is.
  const std::string savedFoam = machine.savedFoamName;
  if (foamName_) machine.savedFoamName = *foamName_;
  machine.switchTable(name);
  machine.savedFoamName = savedFoam;
  env_.planner.ResetPlanner();
  env_.status.setStatusText(machine.currentTable);
}

void CutScriptReader::handleMove(const CutScriptMoveLine& values, const std::string& label) {
  if (!start_) {
    const MovePlanner::Position before = env_.planner.towers();
    const TableConfig& table = env_.machine.table;
    before_ = MovePlanner::Position{before.XG - table.ZeroX, before.YG - table.ZeroY,
                                    before.XD - table.ZeroX, before.YD - table.ZeroY};
    // The declared start must lie on the table: a position beyond the travel
    // would make the first real move an enormous one.
    const double zeroX = table.ZeroX;
    const double zeroY = table.ZeroY;
    if (!env_.planner.CheckAxisLimits(values.XG + zeroX, values.XD + zeroX, values.YG + zeroY,
                                      values.YD + zeroY, label)) {
      stopped_ = true;
      moves_.clear();
      return;
    }
    start_ = values;
    env_.planner.SetPlannerPosition(values.XG, values.YG, values.XD, values.YD);
    // The first move line declares where the wire is. Written by this program
    // it is the heating pause of the cut: a duration on it is kept as a pause
    // at the start position, so a replayed cut does not enter the foam with a
    // cold wire.
    if (!(values.T > 0.0)) return;
  }
  if (moves_.size() >= limits_.maxMoves) {
    tooLong(label);
    return;
  }
  // A move or pause of T seconds needs at least one entry per 127 timer
  // periods: refuse before the planner allocates what the limit cannot take.
  const double tempo = env_.machine.table.Tempo;
  if (tempo > 0.0 && values.T > 0.0) {
    const double fewest = values.T * 1000.0 / (tempo * kMaxDelayTicks) - 1.0;
    if (fewest > static_cast<double>(limits_.maxEntries - entries_)) {
      tooLong(label);
      return;
    }
  }
  // Likewise a move needs at least one entry per step of its longest axis.
  const TableConfig& t = env_.machine.table;
  if (t.XPas > 0.0 && t.YPas > 0.0) {
    const MovePlanner::Position at = env_.planner.towers();
    const double steps =
        std::max(std::fabs(values.XG + t.ZeroX - at.XG), std::fabs(values.XD + t.ZeroX - at.XD)) *
            t.XNtour / t.XPas +
        std::max(std::fabs(values.YG + t.ZeroY - at.YG), std::fabs(values.YD + t.ZeroY - at.YD)) *
            t.YNtour / t.YPas;
    if (!(steps <= static_cast<double>(limits_.maxEntries - entries_))) {
      tooLong(label);
      return;
    }
  }
  std::optional<CutMove> move =
      env_.planner.PlanScriptMove(values.XG, values.YG, values.XD, values.YD, values.T, label);
  if (!move) {
    // The planner has shown why and gone back to the machine zero.
    stopped_ = true;
    moves_.clear();
    return;
  }
  if (move->entryCount() > limits_.maxEntries - entries_) {
    tooLong(label);
    return;
  }
  entries_ += move->entryCount();
  moves_.push_back(std::move(*move));
  comments_.push_back(comment_);
}

void CutScriptReader::readError(const std::string& label) {
  std::string text(messageText(Msg::ReadError));
  text += label;
  env_.prompt.showMessage(text, MessageIcon::Warning);
  stop();
}

void CutScriptReader::tooLong(const std::string& label) {
  std::string text =
      fillInserts(messageText(Msg::CutScriptTooLong),
                  {std::to_string(limits_.maxMoves), std::to_string(limits_.maxEntries)});
  text += label;
  env_.prompt.showMessage(text, MessageIcon::Warning);
  stop();
}

void CutScriptReader::stop() {
  stopped_ = true;
  moves_.clear();
  // Nothing of the script has run: the wire is still where the planner had
  // it before the script declared its start.
  if (start_) env_.planner.SetPlannerPosition(before_.XG, before_.YG, before_.XD, before_.YD);
}

std::optional<MoveList> parseCutScript(CutEnvironment& env, std::string_view text,
                                       std::string_view fileName, CutScriptLimits limits) {
  CutScriptReader reader(env, std::string(fileName), limits);
  reader.feed(text);
  return reader.finish();
}

std::optional<bool> StartCutScriptFile(CutEnvironment& env, CutJob& job, const fs::path& path,
                                       const std::function<void()>& beforeStart) {
  // A script may select another table: not while a cut runs.
  if (job.running()) {
    env.prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Warning);
    return std::nullopt;
  }
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  // A script always runs on the machine.
  if (env.output.format != OutputFormat::Gcode) env.output.cutToFile = false;

  CutScriptReader reader(env, utf8FromPath(path));
  std::array<char, 65536> chunk{};
  bool readOk = true;
  while (!reader.stopped()) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
    if (got > 0) reader.feed(std::string_view(chunk.data(), got));
    if (got < chunk.size()) {
      readOk = std::ferror(file) == 0;
      break;
    }
  }
  std::fclose(file);
  // A script read only in part must not run as if it were the whole cut.
  if (!readOk) reader.readFailed();
  std::optional<MoveList> moves = reader.finish();
  if (!moves) return std::nullopt;
  if (beforeStart) beforeStart();
  return job.start(std::move(*moves), kScriptCutFlags, -1.0);
}

bool RunCutScriptFile(CutEnvironment& env, CutJob& job, const fs::path& path) {
  const std::optional<bool> started = StartCutScriptFile(env, job, path);
  if (!started) return false;
  if (*started) job.runToEnd();
  return job.result() == CutJobResult::Done;
}

FileDialogRequest CutScriptOpenRequest(const CutEnvironment& env) {
  FileDialogRequest request;
  request.filters.push_back(FileFilter{std::string(messageText(Msg::FilterCutScripts)), "*.cut"});
  request.filters.push_back(FileFilter{std::string(messageText(Msg::FilterAllFiles)), "*.*"});
  request.initialDirectory = env.projectDirectory;
  request.mustExist = true;
  return request;
}

std::optional<bool> StartCutScript(CutEnvironment& env, CutJob& job,
                                   const std::function<void()>& beforeStart) {
  const std::optional<std::string> chosen = env.prompt.chooseOpenFile(CutScriptOpenRequest(env));
  if (!chosen) return std::nullopt;
  return StartCutScriptFile(env, job, pathFromUtf8(*chosen), beforeStart);
}

bool RunCutScript(CutEnvironment& env, CutJob& job) {
  const std::optional<std::string> chosen = env.prompt.chooseOpenFile(CutScriptOpenRequest(env));
  if (!chosen) return false;
  return RunCutScriptFile(env, job, pathFromUtf8(*chosen));
}

}  // namespace orva
