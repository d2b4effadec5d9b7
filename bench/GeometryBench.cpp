#include <benchmark/benchmark.h>

#include <cmath>
#include <string_view>

#include "geometry/Profile.h"
#include "geometry/Resample.h"
#include "geometry/Section.h"
#include "geometry/SectionBuilder.h"

namespace orva {
namespace {

// A NACA four-digit airfoil with cosine spacing, `perSurface` points per
// surface (2 * perSurface - 1 in all), built here so that the figures do not
// depend on any other generator.
Profile Naca4(std::string_view digits, int perSurface) {
  const double m = (digits[0] - '0') / 100.0;
  const double p = (digits[1] - '0') / 10.0;
  const double t = ((digits[2] - '0') * 10 + (digits[3] - '0')) / 100.0;
  auto surfacePoint = [&](double x, bool upper) {
    const double yt = 5 * t *
                      (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x + 0.2843 * x * x * x -
                       0.1036 * x * x * x * x);
    double yc = 0.0;
    double slope = 0.0;
    if (m > 0.0) {
      if (x < p) {
        yc = m / (p * p) * (2 * p * x - x * x);
        slope = 2 * m / (p * p) * (p - x);
      } else {
        yc = m / ((1 - p) * (1 - p)) * (1 - 2 * p + 2 * p * x - x * x);
        slope = 2 * m / ((1 - p) * (1 - p)) * (p - x);
      }
    }
    const double theta = std::atan(slope);
    const double sign = upper ? 1.0 : -1.0;
    return Point2D{x - sign * yt * std::sin(theta), yc + sign * yt * std::cos(theta)};
  };
  auto station = [&](int i) {
    return 0.5 * (1 - std::cos(3.14159265358979 * i / (perSurface - 1)));
  };
  PointList raw;
  for (int i = perSurface - 1; i >= 0; --i) raw.push_back(surfacePoint(station(i), true));
  for (int i = 1; i < perSurface; ++i) raw.push_back(surfacePoint(station(i), false));
  Profile profile;
  profile.BuildFromPoints(raw);
  return profile;
}

// Root 2412 at 400 mm, tip 0010 at 250 mm, both about 200 points, 1 mm skin.
void MakePanel(Section& root, Section& tip) {
  root.profile = Naca4("2412", 100);
  root.params.chord = 400.0;
  root.params.skin = 1.0;
  tip.profile = Naca4("0010", 101);
  tip.params.chord = 250.0;
  tip.params.skin = 1.0;
}

// A full rebuild of one panel: extraction, skin, spline resampling, matching
// of the tip to the root, washout. The argument is the washout in degrees; at 0
// the rotation is skipped, which shows what the rotation itself costs.
void BM_PanelRebuild(benchmark::State& state) {
  Section root;
  Section tip;
  MakePanel(root, tip);
  root.params.washout = tip.params.washout = static_cast<double>(state.range(0));
  const SectionBuildOptions options{.wingPanel = true, .differentRootTip = true, .splines = true};
  for (auto _ : state) {
    RebuildSections(root, tip, options);
    benchmark::DoNotOptimize(tip.cutLower.data());
    benchmark::ClobberMemory();
  }
  state.counters["rootPoints"] = static_cast<double>(root.cutUpper.size() + root.cutLower.size());
}
BENCHMARK(BM_PanelRebuild)
    ->Arg(2)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// The root's upper cut outline after the skin, ready for resampling.
PointList ShrunkUpper() {
  Section root;
  Section tip;
  MakePanel(root, tip);
  root.ExtractSurfaces(true);
  root.ApplySkin(root.params.skin / root.params.chord);
  return root.cutUpper;
}

void BM_ResampleStraight(benchmark::State& state) {
  const PointList outline = ShrunkUpper();
  for (auto _ : state) {
    PointList out = ResampleStraight(outline, 400.0);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_ResampleStraight)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

void BM_ResampleSpline(benchmark::State& state) {
  const PointList outline = ShrunkUpper();
  for (auto _ : state) {
    PointList out = ResampleSpline(outline, 400.0);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_ResampleSpline)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace orva
