// Building the profile and wing scenes of a 10-panel project, and painting the
// wing view into a full-HD image.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>

#include "common/ScriptedPrompt.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
