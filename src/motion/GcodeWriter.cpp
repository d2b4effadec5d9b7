#include "motion/GcodeWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <new>
#include <string>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/SafeFile.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "motion/CutEnvironment.h"

namespace orva {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kAxisAlphabet = "XYZABCUVW";
constexpr int kCoordinateDecimals = 4;
constexpr int kFeedSignificantDigits = 8;
constexpr int kDwellDecimals = 6;
constexpr int kSpindleDecimals = 3;

// `value` with `decimals` decimals; a value that rounds to zero is written
// without a sign.
std::string gcodeFixed(double value, int decimals) {
  std::string text = fixedText(value, decimals);
  if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
    text.erase(0, 1);
  }
  return text;
}

// Without trailing zeros after the point (and without the point they leave alone).
std::string trimmedText(double value, int decimals) {
  std::string text = gcodeFixed(value, decimals);
  if (text.find('.') == std::string::npos) return text;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// An inverse-time feed with kFeedSignificantDigits significant digits: a
// relative rounding error below 5e-8, far inside the 1e-6 a duration needs.
std::string feedText(double feed) {
  const int magnitude = static_cast<int>(std::floor(std::log10(feed)));
  const int decimals = std::clamp(kFeedSignificantDigits - 1 - magnitude, 0, 60);
  return trimmedText(feed, decimals);
}

// What an accented Latin-1 letter (U+00C0..U+00FF) becomes.
constexpr std::array<std::string_view, 64> kLatin1Letters{
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I",  "I",
    "D", "N", "O", "O", "O", "O", "O",  "x", "O", "U", "U", "U", "U", "Y", "Th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "/", "o", "u", "u", "u", "u", "y", "th", "y"};

std::string_view asciiFor(char32_t c) {
  if (c >= 0xC0 && c <= 0xFF) return kLatin1Letters[c - 0xC0];
  switch (c) {
    case 0xA0:
      return " ";
    case 0xB0:
      return "deg";
    case 0xB5:
      return "u";
    case 0x152:
      return "OE";
    case 0x153:
      return "oe";
    default:
      return "?";
  }
}

// Decodes one UTF-8 character at `pos`; returns its length, 0 when malformed.
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& out) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  out = value;
  return length;
}

std::string comment(std::string_view text) {
  std::string line = "(";
  line += GcodeCommentText(text);
  line += ")\n";
  return line;
}

std::string axisLettersOf(const GcodeOptions& options) {
  std::string letters = options.axisLetters.empty()
                            ? std::string(DefaultAxisLetters(options.dialect))
                            : options.axisLetters;
  for (char& c : letters) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return letters;
}

std::string totalTimeText(double seconds) {
  std::string text = trimmedText(seconds, 1);
  if (text.find('.') == std::string::npos) text += ".0";
  text += " s";
  if (seconds >= 60.0 && seconds < 9.0e15) {
    const auto whole = static_cast<long long>(seconds);
    text += ", ";
    if (whole >= 3600) text += std::to_string(whole / 3600) + " h ";
    text += std::to_string(whole / 60 % 60) + " min " + std::to_string(whole % 60) + " s";
  }
  return text;
}

std::string dialectDescription(GcodeDialect dialect) {
  switch (dialect) {
    case GcodeDialect::LinuxCnc:
      return "linuxcnc, for LinuxCNC";
    case GcodeDialect::Grbl:
      break;
  }
  return "grbl, for GRBL 1.1 four-axis derivatives and FluidNC";
}

bool finite(const CutMove& move) {
  return std::isfinite(move.duration) && std::isfinite(move.XG) && std::isfinite(move.YG) &&
         std::isfinite(move.XD) && std::isfinite(move.YD);
}

fs::path pathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

std::string_view GcodeDialectName(GcodeDialect dialect) {
  return dialect == GcodeDialect::LinuxCnc ? "linuxcnc" : "grbl";
}

std::optional<GcodeDialect> ParseGcodeDialect(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower == "grbl" || lower == "fluidnc") return GcodeDialect::Grbl;
  if (lower == "linuxcnc") return GcodeDialect::LinuxCnc;
  return std::nullopt;
}

std::string_view DefaultAxisLetters(GcodeDialect dialect) {
  return dialect == GcodeDialect::LinuxCnc ? "XYUV" : "XYZA";
}

double DefaultSpindleMax(GcodeDialect dialect) {
  return dialect == GcodeDialect::LinuxCnc ? 100.0 : 1000.0;
}

std::string CheckGcodeOptions(const GcodeOptions& options) {
  const std::string letters = axisLettersOf(options);
  bool lettersOk = letters.size() == 4;
  for (std::size_t i = 0; lettersOk && i < letters.size(); ++i) {
    lettersOk =
        kAxisAlphabet.find(letters[i]) != std::string_view::npos && letters.find(letters[i]) == i;
  }
  if (!lettersOk) {
    return fillInserts(messageText(Msg::GcodeBadAxisLetters), {GcodeCommentText(options.axisLetters)});
  }
  if (options.sMax && !(std::isfinite(*options.sMax) && *options.sMax > 0.0)) {
    return std::string(messageText(Msg::GcodeBadSpindleMax));
  }
  return {};
}

std::string GcodeCommentText(std::string_view utf8) {
  std::string out;
  out.reserve(std::min(utf8.size(), kGcodeCommentMaxChars));
  const auto append = [&](std::string_view piece) {
    for (char c : piece) {
      if (out.size() >= kGcodeCommentMaxChars) return;
      out.push_back(c);
    }
  };
  std::size_t pos = 0;
  while (pos < utf8.size() && out.size() < kGcodeCommentMaxChars) {
    const auto byte = static_cast<unsigned char>(utf8[pos]);
    if (byte < 0x80) {
      ++pos;
      if (byte == '(') {
        append("[");
      } else if (byte == ')') {
        append("]");
      } else if (byte == ';') {
        append(",");
      } else if (byte < 0x20 || byte == 0x7F) {
        append(" ");
      } else {
        append(utf8.substr(pos - 1, 1));
      }
      continue;
    }
    char32_t c = 0;
    const std::size_t length = decodeUtf8(utf8, pos, c);
    if (length == 0) {
      append("?");
      ++pos;
      continue;
    }
    append(asciiFor(c));
    pos += length;
  }
  return out;
}

std::string WriteGcode(const MoveList& moves, const GcodeJob& job, const GcodeOptions& options,
                       std::vector<std::size_t>* movesDone) {
  const std::string problem = CheckGcodeOptions(options);
  if (!problem.empty()) throw std::invalid_argument(problem);
  double total = 0.0;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const CutMove& move = moves[i];
    if (!finite(move) || move.duration < 0.0) {
      throw std::invalid_argument(
          fillInserts(messageText(Msg::GcodeBadMove), {std::to_string(i + 1), GcodeCommentText(move.label)}));
    }
    total += move.duration;
  }

  const std::string letters = axisLettersOf(options);
  const double sMax = options.sMax.value_or(DefaultSpindleMax(options.dialect));
  const int heat = std::clamp(job.heatPercent, 0, 100);
  const std::string spindle = trimmedText(heat * sMax / 100.0, kSpindleDecimals);
  std::string heatWord;
  if (job.heatMode == FixedHeat) {
    heatWord = std::string(messageText(Msg::Fixed)) + " ";
  } else if (job.heatMode == ComputedHeat) {
    heatWord = std::string(messageText(Msg::Computed)) + " ";
  }

  std::string out;
  out.reserve(256 * 12 + moves.size() * 64);

  // Header.
  std::string title = job.programName;
  if (!job.programVersion.empty()) title += " " + job.programVersion;
  out += comment(title + ", four-axis hot-wire cut");
  if (!job.sourceFile.empty()) out += comment("Source: " + job.sourceFile);
  if (!job.panel.empty()) out += comment("Panel: " + job.panel);
  if (!job.foam.empty()) out += comment("Foam: " + job.foam);
  if (job.cutSpeed > 0.0 && std::isfinite(job.cutSpeed)) {
    out += comment("Cut speed: " + gcodeFixed(job.cutSpeed, 2) + " mm/s");
  }
  if (options.heatControl) {
    out += comment("Heat: " + heatWord + std::to_string(heat) + " %, M3 S" + spindle + " of S" +
                   trimmedText(sMax, kSpindleDecimals) + " for full heat");
  } else {
    out += comment("Heat: " + heatWord + std::to_string(heat) +
                   " %, set by hand on the controller: no spindle commands");
  }
  out += comment("Total time: " + totalTimeText(total) + " as planned");
  out += comment("Dialect: " + dialectDescription(options.dialect));
  out += comment(std::string("Axes: left tower X on ") + letters[0] + ", Y on " + letters[1] +
                 ", right tower X on " + letters[2] + ", Y on " + letters[3]);
  out += comment(
      "Positions: mm from the machine zero of the table, the controller adds its active work "
      "offset");
  out += comment(
      "Feed: inverse time, each G1 takes 1/F minutes, only the cold move to the start is G0");
  out += "G21 G90 G93\n";

  // Moves.
  const std::string_view pauseLabel = messageText(Msg::Tempo);
  const auto positionOf = [&](double xg, double yg, double xd, double yd) {
    return std::array<std::string, 4>{gcodeFixed(xg - job.zeroX, kCoordinateDecimals),
                                      gcodeFixed(yg - job.zeroY, kCoordinateDecimals),
                                      gcodeFixed(xd - job.zeroX, kCoordinateDecimals),
                                      gcodeFixed(yd - job.zeroY, kCoordinateDecimals)};
  };
  const auto axesText = [&](const std::array<std::string, 4>& position) {
    std::string words;
    for (std::size_t axis = 0; axis < 4; ++axis) {
      words += ' ';
      words += letters[axis];
      words += position[axis];
    }
    return words;
  };
  std::array<std::string, 4> previous;
  bool positionKnown = false;
  // Gives the lines written since the last call `done` moves.
  std::size_t scanned = 0;
  const auto mark = [&](std::size_t done) {
    if (movesDone == nullptr) return;
    for (; scanned < out.size(); ++scanned) {
      if (out[scanned] == '\n') movesDone->push_back(done);
    }
  };
  if (movesDone != nullptr) movesDone->clear();

  // Where the wire stands when the cut starts: given, or the place of the
  // heating pause that opens it. The wire goes there cold.
  std::optional<std::array<double, 4>> start = job.start;
  if (!start && !moves.empty() && moves.front().duration > 0.0 &&
      std::string_view(moves.front().label) == pauseLabel) {
    const CutMove& first = moves.front();
    start = std::array<double, 4>{first.XG, first.YG, first.XD, first.YD};
  }
  if (start) {
    previous = positionOf((*start)[0], (*start)[1], (*start)[2], (*start)[3]);
    positionKnown = true;
    out += comment("- " + std::string(messageText(Msg::GcodeStartPosition)));
    out += "G0" + axesText(previous) + "\n";
  }
  if (options.heatControl) out += "M3 S" + spindle + "\n";
  mark(0);

  for (std::size_t i = 0; i < moves.size(); ++i) {
    const CutMove& move = moves[i];
    const std::array<std::string, 4> position = positionOf(move.XG, move.YG, move.XD, move.YD);
    const bool moving = !positionKnown || position != previous;
    const bool pause = move.duration > 0.0 &&
                       (positionKnown ? !moving : std::string_view(move.label) == pauseLabel);
    previous = position;
    positionKnown = true;
    if (!pause && !moving) continue;  // nothing to do, no time to spend

    if (!move.label.empty()) out += comment("- " + move.label);
    mark(i);
    if (pause) {
      out += "G4 P" + trimmedText(move.duration, kDwellDecimals) + "\n";
      mark(i + 1);
      continue;
    }
    // The wire may be hot: every move runs at its planned pace, a move as
    // fast as the motors allow in the time its steps take on this table.
    const double seconds = move.duration > 0.0 ? move.duration : move.scheduledTime / 1000.0;
    const double feed = 60.0 / seconds;
    if (!(seconds > 0.0) || !std::isfinite(feed)) {
      throw std::invalid_argument(fillInserts(
          messageText(Msg::GcodeBadMove), {std::to_string(i + 1), GcodeCommentText(move.label)}));
    }
    out += "G1" + axesText(position) + " F" + feedText(feed) + "\n";
    mark(i + 1);
  }

  if (options.heatControl) out += "M5\n";
  out += "G94\nM2\n";
  mark(moves.size());
  return out;
}

std::string GcodeFilePath(std::string_view chosenUtf8) {
  fs::path path = pathFromUtf8(chosenUtf8);
  if (!path.has_extension()) path += ".ngc";
  return utf8FromPath(path);
}

bool WriteGcodeFile(CutEnvironment& env, const MoveList& moves, double speed) {
  const std::string problem = CheckGcodeOptions(env.output.gcode);
  if (!problem.empty()) {
    env.prompt.showMessage(fillInserts(messageText(Msg::GcodeCannotWrite), {problem}), MessageIcon::Warning);
    return false;
  }

  FileDialogRequest request;
  request.filters.push_back(
      FileFilter{std::string(messageText(Msg::FilterGcodeFiles)), std::string(kGcodeFilterPatterns)});
  request.filters.push_back(FileFilter{std::string(messageText(Msg::FilterAllFiles)), "*.*"});
  request.initialDirectory = env.projectDirectory;
  request.defaultName = std::string(kGcodeDefaultName);
  request.defaultExtension = "ngc";
  request.promptOverwrite = true;
  const std::optional<std::string> chosen = env.prompt.chooseSaveFile(request);
  if (!chosen) return false;
  const std::string path = GcodeFilePath(*chosen);

  GcodeJob job;
#ifdef ORVA_VERSION
  job.programVersion = ORVA_VERSION;
#endif
  job.sourceFile = env.output.sourceFile;
  job.panel = env.output.panelName;
  job.foam = env.machine.foams.CurrentFoamName();
  job.cutSpeed = speed;
  env.machine.foams.GetHeatState(job.heatMode, job.heatPercent);
  job.zeroX = env.machine.table.ZeroX;
  job.zeroY = env.machine.table.ZeroY;

  std::string text;
  try {
    text = WriteGcode(moves, job, env.output.gcode);
  } catch (const std::invalid_argument& error) {
    env.prompt.showMessage(fillInserts(messageText(Msg::GcodeCannotWrite), {error.what()}), MessageIcon::Warning);
    return false;
  } catch (const std::bad_alloc&) {
    env.prompt.showMessage(messageText(Msg::NoMemory), MessageIcon::Warning);
    return false;
  }

  std::string error;
  if (!writeFileSafely(pathFromUtf8(path), text, &error)) {
    env.prompt.showMessage(formatMessage(Msg::FileNotSaved, {path, error}), MessageIcon::Warning);
    return false;
  }
  return true;
}

}  // namespace orva
