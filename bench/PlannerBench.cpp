#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "config/FoamDatabase.h"
#include "config/TableConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "motion/CutMove.h"
#include "motion/MovePlanner.h"

namespace {

using orva::CutMove;
using orva::MoveList;
using orva::SpeedMode;

// The program pieces the planner needs, around a simulated machine.
struct PlannerRig {
  explicit PlannerRig(const orva::TableConfig& config)
      : table(config),
        driver(std::make_unique<orva::SimulatedMachine>(), prompt),
        foams(driver, prompt),
        planner(table, foams, prompt) {}

  orva::ScriptedPrompt prompt;
  orva::TableConfig table;
  orva::InterfaceDriver driver;
  orva::FoamDatabase foams;
  orva::MovePlanner planner;
};

// Step generation and merge of the longest move of a large fine-pitch table:
// both towers travel 1000 mm in X at 1000 steps/mm, as fast as the motors allow.
// state.range(0) = 1: the right tower travels 999 mm, so each tower's stream
// is generated on its own and the merge interleaves two different streams.
void BM_FullLengthFinePitchMove(benchmark::State& state) {
  const double rightX = state.range(0) != 0 ? 999.0 : 1000.0;
  orva::TableConfig table;
  table.Entraxe = 2000;
  table.AxesX = 1000;
  table.AxesY = 500;
  table.XNtour = 1000;
  table.XPas = 1.0;
  table.Tempo = 0.05;
  table.XVmax = 0.1;
  table.YVmax = 0.1;
  PlannerRig rig(table);
  std::size_t entries = 0;
  for (auto _ : state) {
    rig.planner.ResetPlanner();
    std::optional<CutMove> move =
        rig.planner.PlanMove(0.0, 2000.0, SpeedMode::Rapid, 1000.0, 0.0, rightX, 0.0, "bench");
    if (!move) throw std::runtime_error("the benchmark move was refused");
    entries = move->entryCount();
    benchmark::DoNotOptimize(move->entries.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(entries));
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_FullLengthFinePitchMove)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// A panel-like cut: 2,000 short moves around an airfoil-like loop, the root
// outline on face 1 and a smaller, swept tip outline on face 2, with direction
// changes (and backlash) on every axis.
void BM_PanelLikeMoveList(benchmark::State& state) {
  orva::TableConfig table;
  table.Entraxe = 1000;
  table.AxesX = 1000;
  table.AxesY = 500;
  table.XNtour = 200;
  table.YNtour = 200;
  table.XPas = 1.0;
  table.YPas = 1.0;
  table.Tempo = 0.02;
  table.XVmax = 0.5;
  table.YVmax = 0.5;
  table.XPasInvSens = 5;
  table.YPasInvSens = 5;
  PlannerRig rig(table);
  rig.foams.cutSpeed = 5.0;

  // A closed loop of 2,000 points: upper surface from the trailing edge to the
  // leading edge, lower surface back, with a 12 % thickness law.
  constexpr int kMoves = 2000;
  constexpr double kPi = 3.14159265358979323846;
  struct Point {
    double x, y;
  };
  std::vector<Point> unit;
  unit.reserve(kMoves);
  for (int i = 0; i < kMoves; ++i) {
    const double angle = 2.0 * kPi * i / kMoves;  // 0 at the trailing edge
    const double x = 0.5 * (1.0 + std::cos(angle));
    const double t = 0.6 * (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x +
                            0.2843 * x * x * x - 0.1015 * x * x * x * x);
    unit.push_back({x, std::sin(angle) >= 0.0 ? t : -t});
  }
  const double rootChord = 250.0, tipChord = 150.0, sweep = 60.0;

  MoveList moves;
  for (auto _ : state) {
    rig.planner.ResetPlanner();
    moves.clear();
    moves.reserve(kMoves + 1);
    for (int i = 0; i < kMoves; ++i) {
      const double x1 = 50.0 + rootChord * unit[i].x, y1 = 150.0 + rootChord * unit[i].y;
      const double x2 = 50.0 + sweep + tipChord * unit[i].x, y2 = 150.0 + tipChord * unit[i].y;
      std::optional<CutMove> move = rig.planner.PlanMove(
          100.0, 800.0, i == 0 ? SpeedMode::Rapid : SpeedMode::FaceMax, x1, y1, x2, y2, "loop");
      if (!move) throw std::runtime_error("a benchmark move was refused");
      moves.push_back(std::move(*move));
    }
    benchmark::DoNotOptimize(moves.data());
    benchmark::ClobberMemory();
  }
  std::size_t entries = 0;
  for (const CutMove& move : moves) entries += move.entryCount();
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kMoves);
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_PanelLikeMoveList)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace
