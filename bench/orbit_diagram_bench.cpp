// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit diagram of the Henon map (1000 columns, transient 1000, 1000 points) against
// the bare single-orbit loop doing as many iterations; on one and two threads; and a
// typed Henon compiled to machine code against the built-in one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <future>

#include "analysis/orbit_diagram.h"
#include "bench/bench_ratios.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/native_user_map.h"
#include "maps/user_map_evaluator.h"
#include "platform/worker_pool.h"

namespace orbitra::bench {
namespace {

constexpr int kColumns = 1000;
constexpr int kRows = 600;

MappingModel Henon() {
  MappingModel m;
  SelectSystemWithDefaults(m, 2);
  m.k2 = 0.3;
  m.k3 = 1.0;
  return m;
}

OrbitDiagramSettings Settings() {
  OrbitDiagramSettings s;
  s.view = OrbitDiagramView{0, 1.0, 1.4, 0, -1.5, 1.5, 1000, 1000};
  s.initial = WorldPoint{0.1, 0.1};
  return s;
}

std::int64_t DiagramIterations() {
  const OrbitDiagram d(DiagramMap{Henon(), std::nullopt}, Settings(), kColumns, kRows);
  std::int64_t n = 0;
  for (std::int64_t u = 0; u < d.Units(); ++u) n += d.UnitIterations(u);
  return n;
}

// On the pool's threads (timed by the wall clock), or with threads = 0 every unit on the
// benchmark's own thread (timed by its processor time, as the bare loop is).
void TimeDiagram(benchmark::State& bs, const DiagramMap& map, int threads) {
  WorkerPool pool(std::max(threads, 1));
  for (auto _ : bs) {
    OrbitDiagram d(map, Settings(), kColumns, kRows);
    if (threads == 0) {
      for (std::int64_t u = 0; u < d.Units(); ++u) d.ComputeUnit(u);
    } else {
      pool.Run(d.Units(), [&](std::int64_t unit, std::stop_token stop) { return d.ComputeUnit(unit, stop); });
    }
    benchmark::DoNotOptimize(d.Counts().data());
  }
}

// As many iterations as the diagram makes, one orbit, the formula inlined.
void BM_DiagramBareHenon(benchmark::State& bs) {
  const HenonDcMapStep step(Henon());
  const std::int64_t n = DiagramIterations();
  for (auto _ : bs) {
    double x = 0.1, y = 0.1;
    for (std::int64_t i = 0; i < n; ++i) {
      const MapImage image = step(x, y);
      x = image.x;
      y = image.y;
    }
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
}

void BM_OrbitDiagramHenon(benchmark::State& bs) {
  TimeDiagram(bs, DiagramMap{Henon(), std::nullopt}, static_cast<int>(bs.range(0)));
}

void BM_OrbitDiagramTypedHenon(benchmark::State& bs) {
  const UserMapDefinition definition{"Typed Henon", {}, "1 - k1*x*x + k3*y", "k2*x", 1.4, 0.3, 1, 0, {-1, 1, -1, 1}};
  MappingModel typed = Henon();
  typed.system = 11;
  typed.routine = &UserMapRoutine;
  typed.userMap = CompileUserMap(definition).evaluator;
  const NativeMapCompiler compiler;
  const NativeCompilation native =
      compiler.Unavailable().empty() ? compiler.Compile(*typed.userMap->Program()) : NativeCompilation{};
  if (!native.code) {
    bs.SkipWithError("no machine code for the typed map");
    return;
  }
  std::promise<std::shared_ptr<const NativeUserMap>> code;
  code.set_value(native.code);
  typed.userMap->ExpectNative(code.get_future().share());
  // The lanes, as a diagram window or orbitra-render asks for them.
  const std::shared_ptr<const NativeLanes> lanes = compiler.Compile(*typed.userMap->Program(), NativeCodePart::Lanes).lanes;
  if (!lanes) {
    bs.SkipWithError("no machine code for the typed map's lanes");
    return;
  }
  TimeDiagram(bs, DiagramMap{typed, definition, LanesAtHand(lanes)}, 0);
}

BENCHMARK(BM_DiagramBareHenon)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_OrbitDiagramHenon)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_OrbitDiagramHenon)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();
BENCHMARK(BM_OrbitDiagramHenon)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();
BENCHMARK(BM_OrbitDiagramTypedHenon)->Unit(benchmark::kMillisecond)->MinTime(0.5);

const int kVsBare = RegisterRatio("orbit_diagram_vs_bare_henon", "BM_OrbitDiagramHenon/0/min_time:0.500",
                                  "BM_DiagramBareHenon/min_time:0.500");
const int kThreads = RegisterWallRatio("orbit_diagram_threads_2_vs_1_henon",
                                       "BM_OrbitDiagramHenon/2/min_time:0.500/real_time",
                                       "BM_OrbitDiagramHenon/1/min_time:0.500/real_time");
const int kTyped = RegisterRatio("orbit_diagram_typed_vs_builtin_henon", "BM_OrbitDiagramTypedHenon/min_time:0.500",
                                 "BM_OrbitDiagramHenon/0/min_time:0.500");

}  // namespace
}  // namespace orbitra::bench
