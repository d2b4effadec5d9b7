// Saving and loading a project through real files: a 10-panel wing whose
// root and tip profiles have about 100 points each, splines on. One iteration
// is a save (encode, compound file, safe replace, post-save rebuild) followed
// by a load into another project (read, decode, rebuild every panel). The
// save flushes the file and its directory to the disk, so the wall time
// depends on the storage as much as on this code.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "common/ScriptedPrompt.h"
#include "config/MachineConfig.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "geometry/Naca.h"
#include "model/CT1Doc.h"
#include "model/ProjectFile.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

struct Workbench {
  ScriptedPrompt prompt;
  InterfaceDriver driver{std::make_unique<SimulatedMachine>(), prompt};
  MachineConfig machine{driver, prompt};
  ProjectContext context{prompt, machine, "", ""};
  fs::path dir;

  Workbench() {
    machine.foams.records = FoamDatabase::builtInFoams();
    machine.foams.SelectFoam("Poly expansé");
    std::string pattern = (fs::temp_directory_path() / "orva-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) dir = pattern;
  }
  ~Workbench() {
    std::error_code ec;
    if (!dir.empty()) fs::remove_all(dir, ec);
  }

  void fill(CT1Doc& doc) {
    const auto root = MakeNaca4("2412", 50);
    const auto tip = MakeNaca4("0012", 50);
    doc.splines = true;
    doc.panels.clear();
    for (int i = 0; i < 10; ++i) {
      Panel panel = Panel::makeDefault(machine.table.Entraxe, true);
      panel.differentRootTip = true;
      panel.root.profile = *root;
      panel.tip.profile = *tip;
      panel.root.params.chord = 250.0 - 10.0 * i;
      panel.tip.params.chord = 240.0 - 10.0 * i;
      panel.spars[0].active = true;
      panel.spars[0].label = "Longeron";
      panel.Rebuild(true, true);
      doc.panels.push_back(panel);
    }
    doc.comments = "Aile épaisse, dix panneaux";
  }
};

void BM_ProjectSaveLoadRoundTrip(benchmark::State& state) {
  Workbench bench;
  if (bench.dir.empty()) {
    state.SkipWithError("no temporary directory");
    return;
  }
  CT1Doc doc(bench.context);
  bench.fill(doc);
  CT1Doc loaded(bench.context);
  const fs::path file = bench.dir / "wing.cnc";
  for (auto _ : state) {
    std::string error;
    if (!SaveProjectFile(doc, file, &error) || !LoadProjectFile(loaded, file, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(loaded.panels.data());
  }
  state.counters["bytes"] = static_cast<double>(fs::file_size(file));
}
BENCHMARK(BM_ProjectSaveLoadRoundTrip)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// The same without the disk: capture, encode, container, extract, decode.
void BM_ProjectContentsInMemory(benchmark::State& state) {
  Workbench bench;
  CT1Doc doc(bench.context);
  bench.fill(doc);
  for (auto _ : state) {
    const auto contents = encodeContents(CaptureProject(doc));
    const auto file = buildCompoundFile(contents.value_or(""));
    const auto stream = extractContents(file.value_or(""));
    const auto data = decodeContents(stream.value_or(""));
    if (!data) {
      state.SkipWithError("round trip failed");
      break;
    }
    benchmark::DoNotOptimize(data->panels.data());
  }
}
BENCHMARK(BM_ProjectContentsInMemory)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace orva
