// SPDX-License-Identifier: GPL-3.0-or-later
// The phase-space picture against the bare Standard Map loop (BM_BareLoop/1, run_bench.cpp):
// each benchmark iteration computes 1000 pixels of 1000 iterations each by MEGNO (the
// tangent map and a log per iteration included), the bare loop's million iterations, on
// the benchmark's own thread; and a picture on the worker pool with two threads against one.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "analysis/chaos_indicators.h"
#include "analysis/critical_circle.h"
#include "bench/bench_ratios.h"
#include "maps/mapping_catalogue.h"

namespace orbitra::bench {
namespace {

MappingModel StandardModel() {
  MappingModel model;
  SelectSystemWithDefaults(model, 1);
  return model;
}

PhaseSpaceSettings MegnoSettings(std::int32_t width, std::int32_t height) {
  PhaseSpaceSettings s;
  s.colouring = PhaseColouring::Megno;
  s.range = {0.0, 6.283185307179586, 0.0, 6.283185307179586};
  s.width = width;
  s.height = height;
  s.iterations = 1000;
  s.wrap = {6.283185307179586, 6.283185307179586};
  return s;
}

void BM_PhaseSpaceMegnoOneThread(benchmark::State& bs) {
  const MappingModel model = StandardModel();
  const PhaseSpaceSettings s = MegnoSettings(40, 25);
  PhaseSpaceValues values(s, {0, s.height});
  for (auto _ : bs) {
    for (std::int32_t r = 0; r < s.height; ++r) ComputePhaseSpaceRow(model, values, r);
    benchmark::DoNotOptimize(values.value.data());
  }
}

void BM_PhaseSpaceOnThreads(benchmark::State& bs) {
  const MappingModel model = StandardModel();
  const PhaseSpaceSettings s = MegnoSettings(200, 150);
  WorkerPool pool(static_cast<int>(bs.range(0)));
  for (auto _ : bs) {
    PhaseSpaceSweep sweep(model, s, {0, s.height});
    sweep.Run(pool);
    benchmark::DoNotOptimize(sweep.Values().value.data());
  }
}

// The golden circle of the Standard Map, convergents up to q = 987 (or as far as found).
void BM_CriticalCircle(benchmark::State& bs) {
  const MappingModel model = StandardModel();
  CriticalCircleSettings settings;
  for (auto _ : bs) {
    const CriticalCircle circle = FindCriticalCircle(model, settings);
    benchmark::DoNotOptimize(circle.rows.data());
  }
}

BENCHMARK(BM_PhaseSpaceMegnoOneThread)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_PhaseSpaceOnThreads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

BENCHMARK(BM_CriticalCircle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const int kCircle = RegisterClosingLine([] {
  // Seconds of one golden circle, measured on its own (the benchmark above prints it too).
  const auto start = std::chrono::steady_clock::now();
  const CriticalCircle circle = FindCriticalCircle(StandardModel(), CriticalCircleSettings{});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char line[96];
  std::snprintf(line, sizeof line, "critical_circle_standard_map_s %.3f (q up to %d)", seconds,
                circle.rows.empty() ? 0 : circle.rows.back().q);
  return std::string(line);
});

const int kMegno = RegisterRatio("phase_space_megno_vs_bare_standard_map", "BM_PhaseSpaceMegnoOneThread/min_time:0.500",
                                 "BM_BareLoop/1/min_time:0.500");
const int kThreads = RegisterWallRatio("phase_space_threads_2_vs_1", "BM_PhaseSpaceOnThreads/2/min_time:1.000/real_time",
                                       "BM_PhaseSpaceOnThreads/1/min_time:1.000/real_time");

}  // namespace
}  // namespace orbitra::bench
