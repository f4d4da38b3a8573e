// SPDX-License-Identifier: GPL-3.0-or-later
// The structure of the Henon map 1.4 / 0.3: every prime periodic orbit up to period 10
// on all cores (seconds, and the count per period), and the unstable manifold of its
// flip saddle grown point by point (points per second).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "analysis/invariant_manifold.h"
#include "analysis/periodic_orbits.h"
#include "bench/bench_ratios.h"
#include "maps/mapping_catalogue.h"

namespace orbitra::bench {
namespace {

MappingModel Henon() {
  MappingModel m;
  SelectSystemWithDefaults(m, 2);
  m.k1 = 1.4;
  m.k2 = 0.3;
  m.k3 = 1.0;
  return m;
}

double g_searchSeconds = -1.0;
std::string g_counts;
double g_pointsPerSecond = -1.0;

void BM_PeriodicOrbitsHenonP10(benchmark::State& bs) {
  const PlaneMap map = PlaneMapOf(Henon());
  PeriodicOrbitSearch search;
  search.maxPeriod = 10;
  search.region = WorldRange{-1.5, 1.5, -0.45, 0.45};
  WorkerPool pool;
  std::vector<PeriodicOrbit> orbits;
  double seconds = 0.0;
  for (auto _ : bs) {
    const auto start = std::chrono::steady_clock::now();
    orbits = FindPeriodicOrbits(map, search, pool);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  g_searchSeconds = seconds / static_cast<double>(bs.iterations());
  int counts[11] = {};
  for (const PeriodicOrbit& o : orbits) ++counts[o.period];
  g_counts = "periodic_orbits_henon_counts";
  for (int p = 1; p <= 10; ++p) {
    g_counts += ' ' + std::to_string(counts[p]);
    bs.counters["p" + std::to_string(p)] = counts[p];
  }
}

void BM_ManifoldHenonUnstable(benchmark::State& bs) {
  const PlaneMap map = PlaneMapOf(Henon());
  PeriodicOrbit saddle;
  saddle.period = 1;
  saddle.points = ConvergePeriodicOrbit(map, {{0.63, 0.19}}, 1e-7, 0.1);
  saddle.stability = StabilityOf(CycleJacobian(map, saddle.points));
  ManifoldSettings settings;
  settings.arcLength = 1e9;
  settings.largestPoints = 100'000;
  std::int64_t points = 0;
  double seconds = 0.0;
  for (auto _ : bs) {
    const auto start = std::chrono::steady_clock::now();
    ManifoldGrower grower(map, saddle, 0, ManifoldKind::Unstable, 1, settings);
    while (grower.Grow(1 << 20)) {
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    points += static_cast<std::int64_t>(grower.Points().size());
  }
  g_pointsPerSecond = static_cast<double>(points) / seconds;
  bs.counters["points"] = static_cast<double>(points) / static_cast<double>(bs.iterations());
}

BENCHMARK(BM_PeriodicOrbitsHenonP10)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ManifoldHenonUnstable)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();

std::string Figure(const char* name, double value, const char* format) {
  if (value < 0.0) return {};
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return std::string("ratio ") + name + ' ' + text;
}

const int kSearchLine = RegisterClosingLine([] { return Figure("periodic_orbits_henon_p10_s", g_searchSeconds, "%.3f"); });
const int kCountLine = RegisterClosingLine([] { return g_counts; });
const int kManifoldLine =
    RegisterClosingLine([] { return Figure("manifold_henon_points_per_s", g_pointsPerSecond, "%.0f"); });

}  // namespace
}  // namespace orbitra::bench
