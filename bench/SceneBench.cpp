// Building the profile and wing scenes of a 10-panel project, and painting the
// wing view into a full-HD image; planning and drawing the simulation of a
// cut of about 2,000 moves, and painting its oblique view in full HD.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>

#include "common/ScriptedPrompt.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "cutting/CutSimulation.h"
#include "cutting/PanelPlacement.h"
#include "motion/CutEnvironment.h"
#include "motion/MovePlanner.h"
#include "scene/CutSimulationScene.h"
#include "config/MachineConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"
#include "render/ScenePainter.h"
#include "scene/ProfileViewScene.h"
#include "scene/WingViewScene.h"

namespace {

using namespace orva;

struct Project {
  Project() : driver(std::make_unique<SimulatedMachine>(), prompt), machine(driver, prompt) {
    std::string foam = "Poly";
    machine.foams.LoadFoamsFromText("V3\n", foam);
    context = std::make_unique<ProjectContext>(ProjectContext{prompt, machine, "", ""});
    doc = std::make_unique<CT1Doc>(*context);
    doc->NewProject();
    for (int i = 1; i < 10; ++i) doc->panels.push_back(doc->panels.front());
    for (int i = 0; i < 10; ++i) {
      Panel& p = doc->panels[static_cast<std::size_t>(i)];
      p.differentRootTip = true;
      p.root.params.chord = 250.0 - 10.0 * i;
      p.tip.params.chord = 240.0 - 10.0 * i;
      p.span = 300.0;
      p.spars[0].active = true;
      p.Rebuild(true, false);
    }
  }
  ScriptedPrompt prompt;
  InterfaceDriver driver;
  MachineConfig machine;
  std::unique_ptr<ProjectContext> context;
  std::unique_ptr<CT1Doc> doc;
};

void BM_BuildBothScenes(benchmark::State& state) {
  Project project;
  for (auto _ : state) {
    Scene a = ProfileViewScene::build(*project.doc);
    Scene b = WingViewScene::build(*project.doc);
    benchmark::DoNotOptimize(a.items.data());
    benchmark::DoNotOptimize(b.items.data());
  }
}
BENCHMARK(BM_BuildBothScenes)->Unit(benchmark::kMillisecond);

void BM_PaintWingView(benchmark::State& state) {
  Project project;
  const Scene scene = WingViewScene::build(*project.doc);
  QImage image(1920, 1080, QImage::Format_RGB32);
  // 0.5 device pixel per logical unit puts the 10 panels' 3 m on the screen width.
  const QTransform t(0.5, 0, 0, -0.5, -0.5 * scene.frame.left, 0.5 * scene.frame.top);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    ScenePainter::paint(scene, painter, t);
  }
}
BENCHMARK(BM_PaintWingView)->Unit(benchmark::kMillisecond);

// One long panel on a large table: about 2,000 moves at its cut speed.
struct LongCut {
  class Quiet : public SoundPort {
   public:
    bool playAndWait(const std::string&) override { return true; }
  };

  LongCut()
      : driver(std::make_unique<SimulatedMachine>(), prompt),
        machine(driver, prompt),
        planner(machine.table, machine.foams, prompt),
        env{planner, driver, machine, prompt, sound, status, {}, {}, {}, {}} {
    std::string foam = "Poly";
    machine.foams.LoadFoamsFromText("V3\n", foam);
    machine.table.AxesX = 2000;
    machine.table.AxesY = 1000;
    context = std::make_unique<ProjectContext>(ProjectContext{prompt, machine, "", ""});
    doc = std::make_unique<CT1Doc>(*context);
    doc->NewProject();
    Panel& p = doc->current();
    p.differentRootTip = true;
    p.root.params.chord = 700.0;
    p.tip.params.chord = 520.0;
    p.sweep = 60.0;
    p.span = 600.0;
    p.rootAxisOffset = 300;
    p.Rebuild(true, false);
    // The block where every tower target stays within the travel.
    const PanelPlacement fix = SuggestPanelPlacement(*doc, env);
    if (fix.offsetX0) p.offsetX0 = *fix.offsetX0;
  }
  ScriptedPrompt prompt;
  Quiet sound;
  NullStatusPort status;
  InterfaceDriver driver;
  MachineConfig machine;
  MovePlanner planner;
  CutEnvironment env;
  std::unique_ptr<ProjectContext> context;
  std::unique_ptr<CT1Doc> doc;
};

void BM_PlanAndBuildCutSimulation(benchmark::State& state) {
  LongCut cut;
  std::size_t moves = 0;
  for (auto _ : state) {
    const CutSimulation sim = CutSimulation::plan(*cut.doc, cut.env, 2.5);
    if (!sim.ok()) {
      state.SkipWithError(sim.error.c_str());
      break;
    }
    Scene front = CutSimulationScene::front(sim, sim.at(sim.totalTime / 2));
    moves = sim.moves.size();
    benchmark::DoNotOptimize(front.items.data());
  }
  state.counters["moves"] = static_cast<double>(moves);
}
BENCHMARK(BM_PlanAndBuildCutSimulation)->Unit(benchmark::kMillisecond);

// The same with the cut speed found as the cutting dialog finds it (a
// maximum-speed survey first).
void BM_PlanCutSimulationAtDialogSpeed(benchmark::State& state) {
  LongCut cut;
  for (auto _ : state) {
    const CutSimulation sim = CutSimulation::plan(*cut.doc, cut.env);
    benchmark::DoNotOptimize(sim.moves.data());
  }
}
BENCHMARK(BM_PlanCutSimulationAtDialogSpeed)->Unit(benchmark::kMillisecond);

void BM_PaintCutSimulationOblique(benchmark::State& state) {
  LongCut cut;
  const CutSimulation sim = CutSimulation::plan(*cut.doc, cut.env, 2.5);
  if (!sim.ok()) {
    state.SkipWithError(sim.error.c_str());
    return;
  }
  const Scene scene = CutSimulationScene::oblique(sim, sim.at(sim.totalTime / 2), ObliqueAngles{});
  QImage image(1920, 1080, QImage::Format_RGB32);
  const double k = std::min(1920.0 / scene.frame.width(), 1080.0 / scene.frame.height());
  const QTransform t(k, 0, 0, -k, -k * scene.frame.left, k * scene.frame.top);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    ScenePainter::paint(scene, painter, t);
  }
  state.counters["primitives"] = static_cast<double>(scene.items.size());
}
BENCHMARK(BM_PaintCutSimulationOblique)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
