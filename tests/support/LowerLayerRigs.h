#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MachineRig.h"
#include "TestFiles.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "driver/DriverDevice.h"
#include "motion/CutScript.h"

namespace orva::test {

// A device whose answers the test sets: the Steps completion and the heat
// sampler's counts (an interface that counted nothing at all by default,
// which the simulated machine never reports).
class FakeDevice : public DriverDevice {
 public:
  StepsCompletion completion;
  DriverStatus status{0, 0, 0};
  bool open() override { return true; }
  void close() override {}
  std::uint16_t version() override { return 0x0102; }
  void init() override {}
  void start() override {}
  void stop() override {}
  void setHeat(int) override {}
  StepsCompletion sendSteps(const std::uint8_t*, std::size_t) override { return completion; }
  void startTimerCount() override {}
  std::optional<std::uint32_t> pollTimerCount() override { return 0; }
  std::uint32_t waitTimerCount() override { return 0; }
  void readStatus(DriverStatus& s, bool) override { s = status; }
};

// A list field as text: its options, the current one in brackets.
template <typename FormT, typename F>
std::string choices(const FormT& form, F field) {
  std::string out;
  const std::vector<std::string> options = form.options(field);
  for (std::size_t i = 0; i < options.size(); ++i) {
    const bool current = static_cast<int>(i) == form.currentIndex(field);
    out += (i == 0 ? "" : " ") + (current ? "[" + options[i] + "]" : options[i]);
  }
  return out;
}

// 32 steps per mm on every axis (1/32 mm is exact in binary and in six
// decimals), a 0.5 ms timer, motors at 1 ms a step, 1000 mm between the
// towers on a 1000 x 500 mm table and a machine zero at 12.5, 7.25.
inline TableConfig table32() {
  TableConfig t;
  t.XNtour = t.YNtour = 32;
  t.XPas = t.YPas = t.XVmax = t.YVmax = 1.0;
  t.XPasInvSens = t.YPasInvSens = 0;
  t.Entraxe = t.AxesX = 1000;
  t.AxesY = 500;
  t.ZeroX = 12.5;
  t.ZeroY = 7.25;
  return t;
}

inline SimulatedMachineParams machine32() {
  SimulatedMachineParams p;
  p.xStepsPerMm = p.yStepsPerMm = 32.0;
  return p;
}

// The machine rig on table32() saved as table "Default" (foams "Blue foam",
// fixed heat 30 % at 5 mm/s, and "Poly expansé", computed 50 % at 4 mm/s) in a
// directory of its own that is also the project directory.
struct ScriptBench : MachineRig {
  explicit ScriptBench(TableConfig table = table32(), SimulatedMachineParams params = machine32())
      : MachineRig(params) {
    env.projectDirectory = dir.string();
    config.dataDirectory = dir;
    addTable("Default", table,
             {foam("Blue foam", FixedHeat, 5.0, 30), foam("Poly expansé", ComputedHeat, 4.0, 50)});
    config.currentTable = "Default";
    config.savedFoamName = "Blue foam";
    config.LoadCurrentTable();
    planner.ResetPlanner();
  }

  static FoamType foam(std::string name, int mode, double maxSpeed, int heat) {
    return FoamType{std::move(name), mode, 1.0, maxSpeed, 1.0, 1.0, heat, heat};
  }

  void addTable(const std::string& name, TableConfig table, const std::vector<FoamType>& foams) {
    table.tableModified = true;
    ASSERT_TRUE(SaveTableConfig(table, dir, TableFileName(name)));
    FoamDatabase db(driver, prompt);
    for (const FoamType& f : foams) db.records[f.name] = f;
    db.foamModified = true;
    ASSERT_TRUE(db.SaveFoams(dir, FoamFileName(name)));
  }

  // The planned move; a refused one fails the test (and stands as an empty move).
  CutMove plan(std::optional<CutMove> m) {
    const std::vector<std::string> said = prompt.messages();
    EXPECT_TRUE(m.has_value()) << (said.empty() ? std::string() : said.back());
    return m ? std::move(*m) : CutMove{};
  }

  std::optional<MoveList> parse(std::string_view text, CutScriptLimits limits = {}) {
    return parseCutScript(env, text, "s.cut", limits);
  }

  std::size_t confirmations() const {
    return prompt.callsOf(ScriptedPrompt::Kind::OkCancel).size();
  }

  TempDir tempDir;
  std::filesystem::path dir = tempDir.path();
};

}  // namespace orva::test
