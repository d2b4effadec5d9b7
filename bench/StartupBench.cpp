// The desktop program from nothing to its main window shown with the example
// project painted (offscreen): program context, settings and data files,
// main window, the project read, both views painted. Goal: a median of at
// most 400 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ui/CMainFrame.h"
#include "ui/DesktopProgram.h"

namespace {

void BM_StartupToPaintedWindow(benchmark::State& state) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orva-bench-startup";
  std::filesystem::create_directories(dir / "data");
  std::ofstream(dir / "settings.ini") << "";
  for (auto _ : state) {
    orva::ProgramOptions options;
    options.settingsFile = dir / "settings.ini";
    options.dataDirectory = dir / "data";
    orva::DesktopProgram program(options);
    program.start({QStringLiteral(ORVA_EXAMPLE_PROJECT)});
    // Painting the whole window paints both views.
    const QPixmap shown = program.mainFrame().grab();
    benchmark::DoNotOptimize(shown.cacheKey());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartupToPaintedWindow)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
