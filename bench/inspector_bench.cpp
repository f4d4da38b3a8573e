// SPDX-License-Identifier: GPL-3.0-or-later
// What the orbit inspector adds to each iterate: a built-in map's step loop, inlined,
// with and without the inspector observing every iterate (its Jacobian, the tangent
// vectors and the ring of recent points).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "explorer/orbit_inspector.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"

namespace orbitra::bench {
namespace {

constexpr std::int32_t kSteps = 1'000'000;

template <typename Step>
void StepLoop(benchmark::State& bs, int system, bool inspected) {
  MappingModel model;
  SelectSystemWithDefaults(model, system);
  const Step step(model);
  OrbitInspector inspector;
  for (auto _ : bs) {
    OrbitObserver observer = inspector.BeginRun(model, {0.5, 0.0}, false);
    double x = 0.5, y = 0.0;
    for (std::int32_t i = 0; i < kSteps; ++i) {
      const MapImage image = step(x, y);
      if (inspected) observer.Observe(step, x, y, image);
      x = image.x;
      y = image.y;
    }
    inspector.Commit(observer);
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  bs.counters["ns_per_iteration"] =
      benchmark::Counter(static_cast<double>(kSteps) * static_cast<double>(bs.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_HenonSteps(benchmark::State& bs) { StepLoop<HenonDcMapStep>(bs, 2, false); }
void BM_HenonStepsInspected(benchmark::State& bs) { StepLoop<HenonDcMapStep>(bs, 2, true); }
void BM_StandardMapSteps(benchmark::State& bs) { StepLoop<StandardMapStep>(bs, 1, false); }
void BM_StandardMapStepsInspected(benchmark::State& bs) { StepLoop<StandardMapStep>(bs, 1, true); }

BENCHMARK(BM_HenonSteps)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_HenonStepsInspected)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_StandardMapSteps)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_StandardMapStepsInspected)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace
}  // namespace orbitra::bench
