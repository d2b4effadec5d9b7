// Streaming a cut of 2,000 short moves to the real GRBL firmware (the
// four-axis grbl-Mega-5X build of the simulator kit, paced to the wall
// clock, behind a pty): how full the controller's planner stays between the
// first and the last move (from the Bf: field of its status reports) and
// what the host side costs (process CPU time over wall time). Skipped with
// a message when the simulator has not been built
// (bash scripts/build-grbl-sim.sh build/grbl-sim).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "controller/SerialTransport.h"
#include "driver/GrblStreamer.h"

namespace {

using namespace orva;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kMoves = 2000;
// Each move 0.25 mm at 720 mm/min: 48 lines a second, far more than a foam
// cut at a few mm/s asks, so the planner is tried harder than by a real cut.
constexpr double kStepMm = 0.25;
constexpr double kFeed = 720.0;

std::string simOut() {
  const char* env = std::getenv("GRBLSIM_OUT");
  return env != nullptr ? env : ORVA_GRBLSIM_OUT;
}

// One simulator behind its own pty in a scratch directory, stopped at the end.
class Controller {
 public:
  Controller() {
    char pattern[] = "/tmp/orva-stream-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    dir_ = pattern;
    run("--overflow -m mega5x-xyza -t 1 -d '" + (dir_ / "state").string() + "' '" + tty() + "'");
    started_ = fs::exists(tty());
  }
  ~Controller() {
    if (started_) run("--stop -d '" + (dir_ / "state").string() + "' '" + tty() + "'");
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  bool started() const { return started_; }
  std::string tty() const { return (dir_ / "tty").string(); }

 private:
  static void run(const std::string& options) {
    const std::string command = "GRBLSIM_OUT='" + simOut() + "' '" ORVA_GRBLSIM_KIT
                                "/start-pty.sh' " + options + " > /dev/null 2>&1";
    (void)std::system(command.c_str());
  }
  fs::path dir_;
  bool started_ = false;
};

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A wing-like path: the root on a circle of 60 mm, the tip on one of 45 mm,
// 0.25 mm a move on the root, feed in mm/min.
std::vector<GrblProgramLine> shortMoves() {
  std::vector<GrblProgramLine> program;
  program.push_back({"G21 G90 G94", 1});
  const double radius = 60.0;
  const double step = kStepMm / radius;
  for (int i = 1; i <= kMoves; ++i) {
    const double a = step * i;
    const double x = radius * std::sin(a);
    const double y = radius * (1.0 - std::cos(a));
    char line[128];
    std::snprintf(line, sizeof line, "G1 X%.3f Y%.3f Z%.3f A%.3f F%.0f", x, y, 0.75 * x, 0.75 * y, kFeed);
    program.push_back({line, static_cast<std::size_t>(i) + 1});
  }
  return program;
}

void BM_StreamShortMovesToGrbl(benchmark::State& state) {
  if (!fs::exists(fs::path(simOut()) / "bin" / "grbl_sim-mega5x-xyza")) {
    state.SkipWithError(("GRBL simulator not built in " + simOut() +
                         " (bash scripts/build-grbl-sim.sh build/grbl-sim)").c_str());
    return;
  }
  static int argc = 1;
  static char name[] = "orva_bench_stream";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);

  for (auto _ : state) {
    state.PauseTiming();
    Controller sim;
    if (!sim.started()) {
      state.SkipWithError("the simulator did not start");
      return;
    }
    SerialTransport transport(sim.tty(), 115200);
    GrblSettings settings;
    settings.axisLetters = "XYZA";
    settings.rxBufferSize = 255;
    GrblStreamer streamer(transport, settings);
    bool ready = streamer.connect() && streamer.unlock();
    // No homing lock, no soft limits, Bf: in the reports; linear axes.
    for (const char* line : {"$20=0", "$22=0", "$10=3"}) ready = ready && streamer.command(line);
    for (int axis = 0; ready && axis < 4; ++axis) {
      const std::string n = std::to_string(axis);
      ready = streamer.command("$10" + n + "=200") && streamer.command("$11" + n + "=3000") &&
              streamer.command("$12" + n + "=200");
    }
    ready = ready && streamer.setWorkZero() && streamer.start(shortMoves());
    if (!ready) {
      state.SkipWithError(("the controller refused: " + streamer.failureText()).c_str());
      return;
    }
    state.ResumeTiming();

    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    // Every report while the moves run: free planner blocks.
    int lastReports = 0;
    double freeSum = 0.0;
    int samples = 0;
    GrblStreamState end = GrblStreamState::Running;
    while (end == GrblStreamState::Running || end == GrblStreamState::Stopping) {
      end = streamer.service(50ms);
      const GrblProgress& p = streamer.progress();
      if (p.runReports != lastReports && p.plannerBlocksFree && p.acknowledged < p.lineCount) {
        freeSum += *p.plannerBlocksFree;
        ++samples;
      }
      lastReports = p.runReports;
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = cpuSeconds() - cpuStart;

    state.PauseTiming();
    const GrblProgress& p = streamer.progress();
    if (end != GrblStreamState::Finished) {
      state.SkipWithError(("the stream did not finish: " + streamer.failureText()).c_str());
      return;
    }
    state.counters["moves"] = kMoves;
    state.counters["planner_blocks"] = streamer.plannerBlocks();
    state.counters["reports"] = samples;
    state.counters["free_blocks_min"] = p.minPlannerBlocksFree;
    state.counters["free_blocks_max"] = p.maxPlannerBlocksFree;
    state.counters["free_blocks_mean"] = samples > 0 ? freeSum / samples : -1.0;
    // GRBL keeps one block of its ring unused: empty, it reports size - 1 free.
    state.counters["ran_empty"] = p.maxPlannerBlocksFree >= streamer.plannerBlocks() - 1 ? 1 : 0;
    state.counters["host_cpu_percent"] = wall > 0.0 ? 100.0 * cpu / wall : 0.0;
    state.counters["wall_s"] = wall;
    streamer.disconnect();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StreamShortMovesToGrbl)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
