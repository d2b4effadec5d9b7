// Arbitrary bytes as a cut script, read and planned as "Script Execution"
// does it (everything but the file dialog and ExecuteCut), against a table
// with a machine zero away from the origin. Table "Default" exists in the data
// directory; every other table name is missing.
//
// Invariants:
// - reading never asks the user anything; a refused script says why (at least
//   one message), an accepted one says nothing;
// - an accepted script gives at most one move per line and stays within the
//   limits (moves, step entries); every stream is well-formed for the
//   interface; every target and duration is a finite number;
// - feeding the bytes in two pieces (cut anywhere, also between CR and LF)
//   gives the same result as feeding them whole;
// - writing the moves gives a comment and a move line per move, and each move
//   line reads back to numbers that are written as the same line; with the step
//   dump, one dump line per entry, none of which reads as a move line.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/SafeFile.h"
#include "common/ScriptedPrompt.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "motion/CutEnvironment.h"
#include "motion/CutScript.h"
#include "motion/MovePlanner.h"

namespace {

namespace fs = std::filesystem;
using namespace orva;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

class NoSound : public SoundPort {
 public:
  bool playAndWait(const std::string&) override { return true; }
};

// One directory for every run (its files are written whole, by rename, so
// parallel jobs only ever see complete files), not one left behind per run.
const fs::path& dataDirectory() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / "orva_fuzz_cut_script";
    fs::create_directories(d);
    TableConfig t;
    t.Tempo = 0.5;
    t.XNtour = 32;
    t.YNtour = 32;
    t.XPas = 1.0;
    t.YPas = 1.0;
    t.XVmax = 1.0;
    t.YVmax = 1.0;
    t.XPasInvSens = 3;
    t.YPasInvSens = 2;
    t.AxesX = 300;
    t.AxesY = 200;
    t.ZeroX = 12.5;
    t.ZeroY = 7.25;
    t.tableModified = true;
    SaveTableConfig(t, d, TableFileName("Default"));
    writeFileSafely(d / FoamFileName("Default"), "V3\nBlue foam: 1 1.0 5.0 1.0 1.0 30 30\n");
    return d;
  }();
  return dir;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
// The program context of one run: nothing survives from one input to the next.
struct Context {
  Context()
      : driver(std::make_unique<SimulatedMachine>(), prompt),
        config(driver, prompt),
        planner(config.table, config.foams, prompt),
        env{planner, driver, config, prompt, sound, status} {
    config.dataDirectory = dataDirectory();
    config.currentTable = "Default";
    config.savedFoamName = "Blue foam";
    config.LoadCurrentTable();
    planner.ResetPlanner();
  }

  ScriptedPrompt prompt;
  InterfaceDriver driver;
  MachineConfig config;
  MovePlanner planner;
  NoSound sound;
  NullStatusPort status;
  CutEnvironment env;
};
#pragma GCC diagnostic pop

CutScriptLimits limits() {
  CutScriptLimits l;
  l.maxMoves = 4096;
  l.maxEntries = std::size_t{1} << 20;
  return l;
}

bool finite(const CutMove& m) {
  return std::isfinite(m.duration) && std::isfinite(m.XG) && std::isfinite(m.YG) &&
         std::isfinite(m.XD) && std::isfinite(m.YD);
}

// Positions far beyond any table (a start declared at 1e17 mm stays the
// position of the pauses after it) lose their last digits when the zero
// offset is added and taken off again; the text is only compared below this.
constexpr double kComparable = 1e9;

bool comparable(const CutMove& m) {
  return std::fabs(m.XG) < kComparable && std::fabs(m.YG) < kComparable &&
         std::fabs(m.XD) < kComparable && std::fabs(m.YD) < kComparable;
}

void checkWritten(const MoveList& moves, double zeroX, double zeroY) {
  for (const CutMove& move : moves) {
    std::string text;
    WriteMoveLines(text, move, false, zeroX, zeroY);
    check(text.starts_with("// "));
    const std::size_t commentEnd = text.find('\n');
    check(commentEnd != std::string::npos);
    const std::string_view line = std::string_view(text).substr(commentEnd + 1);
    check(line.ends_with('\n'));
    check(line.find('\n') == line.size() - 1);
    const std::optional<CutScriptMoveLine> values = ParseMoveLine(line);
    check(values.has_value());
    CutMove again;
    again.label = move.label;
    again.duration = values->T;
    again.XG = values->XG + zeroX;
    again.YG = values->YG + zeroY;
    again.XD = values->XD + zeroX;
    again.YD = values->YD + zeroY;
    if (comparable(move)) {
      std::string rewritten;
      WriteMoveLines(rewritten, again, false, zeroX, zeroY);
      check(rewritten == text);
    }

    std::string dump;
    WriteMoveLines(dump, move, true, zeroX, zeroY);
    check(dump.starts_with(text));
    std::size_t dumpLines = 0;
    std::string_view rest = std::string_view(dump).substr(text.size());
    while (!rest.empty()) {
      const std::size_t end = rest.find('\n');
      check(end != std::string_view::npos);
      check(!ParseMoveLine(rest.substr(0, end)).has_value());
      rest.remove_prefix(end + 1);
      ++dumpLines;
    }
    check(dumpLines == move.entryCount());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  Context whole;
  CutScriptReader reader(whole.env, "fuzz.cut", limits());
  reader.feed(bytes);
  std::optional<MoveList> moves = reader.finish();

  for (const auto& call : whole.prompt.calls()) {
    check(call.kind == ScriptedPrompt::Kind::Message);
  }
  check(moves.has_value() == whole.prompt.calls().empty());
  const MovePlanner::Position at = whole.planner.towers();
  check(std::isfinite(at.XG) && std::isfinite(at.YG) && std::isfinite(at.XD) &&
        std::isfinite(at.YD));

  if (moves) {
    check(moves->size() <= reader.lineCount());
    check(moves->size() <= limits().maxMoves);
    std::size_t entries = 0;
    for (const CutMove& move : *moves) {
      check(finite(move));
      check(move.entries.size() % 2 == 0);
      check(SimulatedMachine::checkStepStream(move.entries.data(), move.entries.size()).ok());
      entries += move.entryCount();
    }
    check(entries <= limits().maxEntries);
    checkWritten(*moves, whole.config.table.ZeroX, whole.config.table.ZeroY);
  }

  // The same bytes in two pieces.
  const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  Context split;
  CutScriptReader pieces(split.env, "fuzz.cut", limits());
  pieces.feed(bytes.substr(0, cut));
  pieces.feed(bytes.substr(cut));
  std::optional<MoveList> again = pieces.finish();
  check(again.has_value() == moves.has_value());
  check(split.prompt.messages() == whole.prompt.messages());
  check(pieces.lineCount() == reader.lineCount());
  if (moves) {
    check(again->size() == moves->size());
    for (std::size_t i = 0; i < moves->size(); ++i) {
      const CutMove& a = (*moves)[i];
      const CutMove& b = (*again)[i];
      check(a.label == b.label && a.entries == b.entries && a.XG == b.XG && a.YG == b.YG &&
            a.XD == b.XD && a.YD == b.YD);
    }
  }
  return 0;
}
