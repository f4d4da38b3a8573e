// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of plotting one point inside the phase plane, the path every iterate of a run
// and every stored point of a replay takes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra::bench {
namespace {

constexpr std::size_t kPoints = 1 << 16;

void BM_PlotPointInside(benchmark::State& state) {
  Canvas canvas(800, 600);
  PlotBox box;
  box.SetRange(0, 0, 7, 7);
  box.SetScreenPercent(30, 10, 99, 90);  // the single-box layout
  box.SetScreenRect(0, 0, 800, 600);

  // Points spread over the whole range, made before timing.
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> coordinate(0.0, 7.0);
  std::vector<double> xs(kPoints), ys(kPoints);
  for (std::size_t i = 0; i < kPoints; ++i) {
    xs[i] = coordinate(random);
    ys[i] = coordinate(random);
  }
  const Colour colour = Colour::FromRgb(160, 0, 0);

  for (auto _ : state) {
    for (std::size_t i = 0; i < kPoints; ++i) box.PlotPoint(canvas, xs[i], ys[i], colour);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(canvas.Bits());
  state.counters["ns_per_point"] =
      benchmark::Counter(static_cast<double>(kPoints) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlotPointInside)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orbitra::bench
