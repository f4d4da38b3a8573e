// SPDX-License-Identifier: GPL-3.0-or-later
// The bare orbit loop of every map, called through the model's routine exactly as the
// run loop calls it. Later benchmarks compare whole runs against these figures.
#include <benchmark/benchmark.h>

#include "maps/mapping_catalogue.h"

namespace orbitra::bench {
namespace {

constexpr std::int64_t kIterations = 10'000'000;

void BM_BareOrbitLoop(benchmark::State& state) {
  const int system = static_cast<int>(state.range(0));
  MappingModel model;
  SelectSystemWithDefaults(model, system);
  const double startX = system == 7 || system == 8 ? 0.25 : 0.5;
  const double startY = system == 7 || system == 8 ? 0.5 : 0.25;
  for (auto _ : state) {
    double x = startX, y = startY;
    for (std::int64_t i = 0; i < kIterations; ++i) {
      const MapImage image = model.routine(model, x, y);
      x = image.x;
      y = image.y;
    }
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  state.SetLabel(std::string(CatalogueAt(system).name));
  state.counters["ns_per_iteration"] = benchmark::Counter(
      static_cast<double>(kIterations) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BareOrbitLoop)->DenseRange(1, 10)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace orbitra::bench
