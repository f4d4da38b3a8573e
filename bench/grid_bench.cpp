// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-plane pictures against the bare Henon loop (BM_BareLoop/2, run_bench.cpp): each
// benchmark iteration computes 1000 pixels of 1000 map iterations each, the bare loop's
// million iterations, on the benchmark's own thread; and a plane on the worker pool with
// two threads against one, in wall time.
#include <benchmark/benchmark.h>

#include <numeric>
#include <vector>

#include "analysis/grid_pixels.h"
#include "analysis/grid_sweep.h"
#include "bench/bench_ratios.h"
#include "maps/mapping_catalogue.h"

namespace orbitra::bench {
namespace {

constexpr std::int32_t kWidth = 40;
constexpr std::int32_t kHeight = 25;

MappingModel HenonModel() {
  MappingModel model;
  SelectSystemWithDefaults(model, 2);
  model.k1 = 1.4;
  model.k2 = 0.3;
  model.k3 = 1.0;
  return model;
}

// Settings whose every pixel takes exactly 1000 iterations: a plane where every orbit
// settles on a 2-cycle (transient and the period test's window of 128), a plane of
// bounded orbits (transient and exponent), basins inside the attractor's basin.
GridSettings SettingsFor(GridColouring colouring) {
  GridSettings s;
  s.colouring = colouring;
  s.width = kWidth;
  s.height = kHeight;
  s.from = {0.1, 0.1};
  switch (colouring) {
    case GridColouring::Period:
      s.range = {0.6, 0.85, 0.22, 0.3};
      s.transient = 1000 - 128;
      s.longestPeriod = 64;
      break;
    case GridColouring::Lyapunov:
      s.range = {0.9, 1.3, 0.25, 0.3};
      s.transient = 500;
      s.lyapunovIterations = 500;
      break;
    default:
      s.range = {-0.5, 0.5, -0.2, 0.2};
      s.escapeIterations = 1000;
      break;
  }
  return s;
}

void BM_GridOneThread(benchmark::State& bs) {
  const auto colouring = static_cast<GridColouring>(bs.range(0));
  const MappingModel model = colouring == GridColouring::Escape ? HenonModel() : [] {
    MappingModel m = HenonModel();
    return m;
  }();
  MappingModel basinModel = model;
  basinModel.k1 = 0.5;  // an attracting 2-cycle whose basin holds the whole range
  const GridSettings s = SettingsFor(colouring);
  std::vector<std::int32_t> columns(kWidth);
  std::iota(columns.begin(), columns.end(), 0);
  GridValues grid(s, {0, kHeight});
  for (auto _ : bs) {
    for (std::int32_t r = 0; r < kHeight; ++r) {
      ComputeGridPixels(colouring == GridColouring::Escape ? basinModel : model, grid, r, columns.data(), kWidth);
    }
    benchmark::DoNotOptimize(grid.value.data());
  }
  // What the figures assume: every orbit of the period plane found its period (no
  // exponent computed after it), none of the basins' orbits escaped.
  for (const std::int32_t v : grid.value) {
    if ((colouring == GridColouring::Period && v <= 0) || (colouring == GridColouring::Escape && v != 0)) {
      bs.SkipWithError("a pixel took another path than the benchmark counts");
      break;
    }
  }
}

// A 400 by 300 plane by period, with chaos and escapes, on the worker pool.
void BM_PlaneOnThreads(benchmark::State& bs) {
  GridSettings s;
  s.colouring = GridColouring::Period;
  s.range = {0.0, 1.5, -0.4, 0.45};
  s.width = 400;
  s.height = 300;
  s.from = {0.1, 0.1};
  s.transient = 500;
  s.lyapunovIterations = 500;
  const MappingModel model = HenonModel();
  WorkerPool pool(static_cast<int>(bs.range(0)));
  for (auto _ : bs) {
    GridSweep sweep(model, s, {0, s.height});
    sweep.Run(pool);
    benchmark::DoNotOptimize(sweep.Values().value.data());
  }
}

BENCHMARK(BM_GridOneThread)
    ->Arg(static_cast<int>(GridColouring::Period))
    ->Arg(static_cast<int>(GridColouring::Lyapunov))
    ->Arg(static_cast<int>(GridColouring::Escape))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);
BENCHMARK(BM_PlaneOnThreads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

const int kPeriod = RegisterRatio("parameter_plane_period_vs_bare_henon", "BM_GridOneThread/0/min_time:0.500",
                                  "BM_BareLoop/2/min_time:0.500");
const int kLyapunov = RegisterRatio("parameter_plane_lyapunov_vs_bare_henon", "BM_GridOneThread/1/min_time:0.500",
                                    "BM_BareLoop/2/min_time:0.500");
const int kEscape = RegisterRatio("basins_escape_vs_bare_henon", "BM_GridOneThread/2/min_time:0.500",
                                  "BM_BareLoop/2/min_time:0.500");
const int kThreads = RegisterWallRatio("parameter_plane_threads_2_vs_1_henon",
                                           "BM_PlaneOnThreads/2/min_time:1.000/real_time",
                                           "BM_PlaneOnThreads/1/min_time:1.000/real_time");

}  // namespace
}  // namespace orbitra::bench
