// Foam file reader: any bytes load without a crash into records that keep the
// database's invariants, and what is written reads back to the same text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/CodePage.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"

namespace {

using namespace orva;

class SilentPrompt : public UserPrompt {
 public:
  void showMessage(std::string_view, MessageIcon) override {}
  Answer askOkCancel(std::string_view, MessageIcon) override { return Answer::Cancel; }
  Answer askAbortRetryIgnore(std::string_view, MessageIcon) override { return Answer::Abort; }
  Answer askYesNoCancel(std::string_view, MessageIcon) override { return Answer::Cancel; }
  std::optional<std::string> chooseOpenFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const FileDialogRequest&) override { return {}; }
};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::size_t countLines(std::string_view text) {
  std::size_t lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++lines;
    }
  }
  return lines;
}

void checkRecords(const FoamDatabase& db, std::size_t lines) {
  check(!db.records.empty());
  check(db.records.size() <= lines || (db.foamModified && db.records.size() == 3));
  check(db.records.size() <= FoamDatabase::kMaxRecords);
  for (const auto& [name, foam] : db.records) {
    check(name == foam.name);
    check(!name.empty());
    check(isValidUtf8(name));
    bool lossless = false;
    const std::string bytes = utf8ToCp1252(name, &lossless);
    check(lossless);
    check(bytes.size() <= FoamDatabase::kMaxReadNameBytes);
    check(bytes.find(':') == std::string::npos);
    check(bytes.find('\n') == std::string::npos && bytes.find('\r') == std::string::npos);
    check(foam.heatMode == FixedHeat || foam.heatMode == ComputedHeat);
    check(std::isfinite(foam.minSpeed) && std::isfinite(foam.maxSpeed));
    check(std::isfinite(foam.kerfAtMaxSpeed) && std::isfinite(foam.kerfAtHalfSpeed));
  }
}

// The values read back from their "%f" text: the same up to the six decimals.
bool closeEnough(double written, double read) {
  return std::fabs(written - read) <= 1e-6 + std::fabs(written) * 1e-15;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentPrompt prompt;
  // A device that is not open: every heat request is skipped by the driver.
  static InterfaceDriver driver(std::make_unique<SimulatedMachine>(), prompt);
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  FoamDatabase db(driver, prompt);
  std::string name = "Poly expansé";
  db.LoadFoamsFromText(text, name);
  checkRecords(db, countLines(text));

  // The laws stay sound for every record read.
  for (const auto& entry : db.records) {
    check(db.SelectFoam(entry.first));
    for (double v : {0.0, 1.0, 3.5, 1e6}) {
      for (double r : {0.5, 1.0, 2.0}) {
        const double kerf = db.KerfOffset(v, r);
        check(std::isfinite(kerf) && kerf >= 0.0);
      }
      double limited = v;
      std::string label;
      db.LimitSpeedForHeat(limited, label);
      check(!std::isnan(limited));
      db.ApplyHeatForSpeed(v);
    }
  }

  // Round trip: what is written reads back to the same records and text.
  const std::string written = db.SaveFoamsToText();
  FoamDatabase again(driver, prompt);
  std::string againName = name;
  again.LoadFoamsFromText(written, againName);
  check(!again.foamModified);
  check(again.records.size() == db.records.size());
  auto a = db.records.begin();
  for (auto b = again.records.begin(); b != again.records.end(); ++a, ++b) {
    check(a->first == b->first);
    const FoamType& x = a->second;
    const FoamType& y = b->second;
    check(x.heatMode == y.heatMode && x.minSpeedHeat == y.minSpeedHeat &&
          x.maxSpeedHeat == y.maxSpeedHeat);
    check(closeEnough(x.minSpeed, y.minSpeed) && closeEnough(x.maxSpeed, y.maxSpeed) &&
          closeEnough(x.kerfAtMaxSpeed, y.kerfAtMaxSpeed) &&
          closeEnough(x.kerfAtHalfSpeed, y.kerfAtHalfSpeed));
  }
  check(again.SaveFoamsToText() == written);
  return 0;
}
