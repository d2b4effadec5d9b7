#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "config/MachineConfig.h"
#include "cutting/CutWarnings.h"
#include "cutting/PanelCutForm.h"
#include "cutting/PanelCutPlanner.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"
#include "motion/CutEnvironment.h"
#include "motion/MovePlanner.h"

namespace {

class QuietSound : public orva::SoundPort {
 public:
  bool playAndWait(const std::string&) override { return true; }
};

class QuietStatus : public orva::StatusPort {
 public:
  void setStatusText(std::string_view) override {}
  void setWaitCursor(bool) override {}
};

// A program context around the simulated machine with a fine table: 1000
// steps per mm on every axis, a 10 us timer and 20 us between two steps of a
// motor (50 mm/s along one axis), and the built-in foams.
struct CuttingRig {
  CuttingRig() {
    auto device = std::make_unique<orva::SimulatedMachine>();
    driver = std::make_unique<orva::InterfaceDriver>(std::move(device), prompt);
    config = std::make_unique<orva::MachineConfig>(*driver, prompt);
    orva::TableConfig& t = config->table;
    t.Entraxe = 1500;
    t.AxesX = 1000;
    t.AxesY = 500;
    t.XNtour = 1000;
    t.XPas = 1.0;
    t.YNtour = 1000;
    t.YPas = 1.0;
    t.Tempo = 0.01;
    t.XVmax = 0.02;
    t.YVmax = 0.02;
    config->foams.records = orva::FoamDatabase::builtInFoams();
    config->foams.SelectFoam("Poly expansé");
    config->foams.cutSpeed = 4.0;
    planner = std::make_unique<orva::MovePlanner>(config->table, config->foams, prompt);
    env = std::make_unique<orva::CutEnvironment>(orva::CutEnvironment{
        *planner, *driver, *config, prompt, sound, status, {}, "Bravo.wav", {}, {}});
    driver->OpenDriver();
    context = std::make_unique<orva::ProjectContext>(orva::ProjectContext{prompt, *config, "", ""});
    doc = std::make_unique<orva::CT1Doc>(*context);
  }

  orva::ScriptedPrompt prompt;
  QuietSound sound;
  QuietStatus status;
  std::unique_ptr<orva::InterfaceDriver> driver;
  std::unique_ptr<orva::MachineConfig> config;
  std::unique_ptr<orva::MovePlanner> planner;
  std::unique_ptr<orva::CutEnvironment> env;
  std::unique_ptr<orva::ProjectContext> context;
  std::unique_ptr<orva::CT1Doc> doc;
};

// A 400 mm chord wing panel, resampled along splines, with ten active spar
// records at distinct positions: notches and round spars on both surfaces,
// soles on both surfaces and one hinge round.
void makeDemandingPanel(orva::CT1Doc& doc) {
  orva::Panel& p = doc.current();
  p.root.params.chord = 400.0;
  p.tip.params.chord = 400.0;
  p.root.params.basicHeight = 40.0;
  p.tip.params.basicHeight = 40.0;
  p.root.params.leMargin = 5.0;
  p.tip.params.leMargin = 5.0;
  p.root.params.teMargin = 10.0;
  p.tip.params.teMargin = 10.0;
  p.foamThickness = 90.0;
  p.leMode = orva::LeHorizontal;
  struct Spar {
    int type;
    double distance;
  };
  const Spar spars[orva::kSparCount] = {{1, 12.0}, {2, 20.0}, {5, 28.0}, {6, 36.0}, {3, 44.0},
                                        {4, 52.0}, {1, 60.0}, {2, 68.0}, {7, 76.0}, {5, 84.0}};
  for (std::size_t i = 0; i < orva::kSparCount; ++i) {
    orva::SparRecord& s = p.spars[i];
    s.active = true;
    s.type = spars[i].type;
    s.distance = spars[i].distance;
    s.label = std::string(1, 'S');
    s.label += std::to_string(i + 1);
    s.rootWidth = 6.0;
    s.tipWidth = 6.0;
    s.rootThickness = 3.0;
    s.tipThickness = 3.0;
  }
  doc.splines = true;
  p.Rebuild(doc.splines, true);
}

// The estimate of the Panel Cutting form: the whole panel cut planned in the
// planner's survey mode with the speed search.
void BM_PanelCutFormEstimate(benchmark::State& state) {
  CuttingRig rig;
  makeDemandingPanel(*rig.doc);
  orva::PanelCutForm form(*rig.doc, *rig.env);
  const orva::PanelCutEstimate first = form.estimate(false);
  if (!first.error.empty())
    throw std::runtime_error("the benchmark panel is refused: " + first.error);
  if (!form.okEnabled()) {
    throw std::runtime_error("the benchmark form is in error: " +
                             form.text(orva::PanelCutField::Messages));
  }
  double speed = 0.0;
  for (auto _ : state) {
    orva::PanelCutEstimate e = form.estimate(false);
    benchmark::DoNotOptimize(e);
    speed = e.speed;
  }
  state.counters["speed_mm_s"] = speed;
  // The size of the cut the survey plans.
  orva::MovePlanner& planner = *rig.planner;
  planner.BeginSpeedSurvey(false);
  orva::PanelCutPlanner cut(*rig.doc, *rig.env);
  const orva::PanelCutResult plan = cut.Plan();
  double unused = 0.0;
  std::string label;
  std::string error;
  planner.EndSpeedSurvey(false, unused, label, error);
  std::size_t entries = 0;
  for (const orva::CutMove& m : plan.moves) entries += m.entryCount();
  state.counters["moves"] = static_cast<double>(plan.moves.size());
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_PanelCutFormEstimate)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// The same survey run directly on the planner, without the form: the
// baseline of what the form adds (storing and restoring its values).
void BM_PanelCutSurveyAlone(benchmark::State& state) {
  CuttingRig rig;
  makeDemandingPanel(*rig.doc);
  orva::MovePlanner& planner = *rig.planner;
  double speed = 0.0;
  for (auto _ : state) {
    planner.BeginSpeedSurvey(false);
    {
      orva::PanelCutPlanner cut(*rig.doc, *rig.env);
      cut.Plan();  // surveying: the list is only totalled
    }
    std::string label;
    std::string error;
    planner.EndSpeedSurvey(false, speed, label, error);
    if (!error.empty()) throw std::runtime_error("the benchmark panel is refused: " + error);
    benchmark::DoNotOptimize(label);
  }
  state.counters["speed_mm_s"] = speed;
}
BENCHMARK(BM_PanelCutSurveyAlone)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// The warnings of a planned cut of 2,000 moves: the demanding panel planned
// at the cut speed, its list (which ends where it starts, at the machine
// zero) run as often as it takes and cut to its first 2,000 moves.
void BM_CutWarnings2000Moves(benchmark::State& state) {
  CuttingRig rig;
  makeDemandingPanel(*rig.doc);
  orva::MovePlanner& planner = *rig.planner;
  const orva::MovePlanner::Position start = planner.towers();
  planner.BeginSpeedSurvey(true);
  orva::PanelCutResult plan = orva::PanelCutPlanner(*rig.doc, *rig.env).Plan();
  double unused = 0.0;
  std::string label;
  std::string error;
  planner.EndSpeedSurvey(true, unused, label, error);
  if (!plan.ok() || !error.empty()) throw std::runtime_error("the benchmark panel is refused");
  constexpr std::size_t kMoves = 2000;
  if (plan.moves.empty()) throw std::runtime_error("the benchmark cut is empty");
  const orva::MoveList once = plan.moves;
  while (plan.moves.size() < kMoves) plan.moves.insert(plan.moves.end(), once.begin(), once.end());
  plan.moves.resize(kMoves);
  const orva::CutWarningSetup setup =
      orva::PanelCutWarningSetup(plan, rig.config->table, rig.config->foams, rig.doc->current(),
                                 rig.config->foams.cutSpeed, start);
  std::size_t found = 0;
  for (auto _ : state) {
    std::vector<orva::CutWarning> warnings = orva::FindCutWarnings(plan.moves, setup);
    found = warnings.size();
    benchmark::DoNotOptimize(warnings);
  }
  state.counters["moves"] = static_cast<double>(plan.moves.size());
  state.counters["warnings"] = static_cast<double>(found);
}
BENCHMARK(BM_CutWarnings2000Moves)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace
