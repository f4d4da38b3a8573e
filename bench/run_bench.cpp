// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run, as the mapping window performs it, against the bare orbit loop of the
// same map in the same process: default settings (storing on, status every 10
// iterations), display mode 1 so three boxes are plotted, a buffer larger than the run,
// and a refresh gate that, like the screen, never draws a status in the middle of a slice.
// The bare loop is the map's formula inlined into a plain loop: the true limit. The loop
// through the routine pointer, the reference of earlier releases, is kept as a second line.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "bench/bench_ratios.h"
#include "explorer/orbit_run.h"
#include "explorer/orbitra_state.h"
#include "explorer/startup.h"
#include "explorer/trajectory_engine.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/system_catalogue.h"
#include "platform/canvas.h"
#include "platform/refresh_gate.h"
#include "platform/prompter.h"
#include "plot/box_layout.h"
#include "storage/point_buffer.h"

namespace orbitra::bench {
namespace {

constexpr std::int32_t kRunLength = 1'000'000;

// The screen's gate during a run: a status due in a slice is drawn when the slice ends.
class SliceEndGate : public RefreshGate {
 public:
  bool RefreshVisibleNow() override { return false; }
  bool ShowsOnlyBetweenSlices() const override { return true; }
};

class SilentPrompter : public Prompter {
 public:
  void ShowMessage(std::string_view) override {}
  void ShowInformation(std::string_view) override {}
  Answer AskYesNo(std::string_view) override { return Answer::No; }
  Answer AskYesNoCancel(std::string_view) override { return Answer::Cancel; }
};

// Built-in maps typed by the user, with the built-in defaults.
const UserMapDefinition kTypedStandardMap{
    "Typed Standard Map", {"t = x + y"}, "mod(t, 2*pi)", "mod(y + k1*sin(t), 2*pi)", 0.7, 0, 0, 0,
    {0, kTwoPi, 0, kTwoPi}};
const UserMapDefinition kTypedHenon{"Typed Henon", {}, "1 - k1*x*x + k3*y", "k2*x", 0.95, 1, -1, 0, {-1, 1, -1, 1}};

// How a typed map is evaluated: by the expression library, or as compiled machine code.
enum class Typed { Interpreted, Compiled };

struct RunFixture {
  // The built-in system, or with `typed` that map as the user's map 11.
  explicit RunFixture(int system, const UserMapDefinition* typed = nullptr, Typed how = Typed::Interpreted)
      : dir(std::filesystem::temp_directory_path() / "orbitra-run-bench"), canvas(1000, 700) {
    std::filesystem::create_directories(dir);
    state = std::make_unique<OrbitraState>(dir);
    if (how == Typed::Interpreted) state->CompiledMaps = NativeMaps(InterpretedOnly());
    StartUp(*state, prompter);
    state->Store.BufferCapacity = 2 * kRunLength;
    AllocateBuffer(state->Store);
    if (typed != nullptr) {
      state->UserMaps.Add(*MakeUserMap(*typed).map);
      system = kFirstUserSystem;
    }
    const SystemDefaults d = LoadSystemDefaults(state->UserMaps, system);
    CommitSelection(state->Model, state->Boxes.XYBox.Label, state->UserMaps, system, d.k1, d.k2, d.k3, d.k4,
                    PendingSelection{d.routine, d.DefaultRange, d.userMap});
    if (typed != nullptr && how == Typed::Compiled) {
      state->CompiledMaps.StartCompiling(state->Model, typed->name);
      state->CompiledMaps.WaitFor(state->Model);
    }
    state->Boxes.XYBox.SetRange(d.DefaultRange.Xmin, d.DefaultRange.Ymin, d.DefaultRange.Xmax,
                                d.DefaultRange.Ymax);
    state->Run.Settings.DisplayMode = 1;
    state->Boxes.XBox.SetRange(0, d.DefaultRange.Xmin, kRunLength, d.DefaultRange.Xmax);
    state->Boxes.YBox.SetRange(0, d.DefaultRange.Ymin, kRunLength, d.DefaultRange.Ymax);
    DrawBoxes(state->Boxes, 1, canvas, 0, 0, canvas.Width(), canvas.Height());
    canvas.SetRefreshGate(&gate);
  }

  std::filesystem::path dir;
  Canvas canvas;
  SilentPrompter prompter;
  SliceEndGate gate;
  std::unique_ptr<OrbitraState> state;
};

// Time per iteration of kRunLength iterations, for the closing ratios.
void CountIterations(benchmark::State& bs) {
  bs.counters["ns_per_iteration"] =
      benchmark::Counter(static_cast<double>(kRunLength) * static_cast<double>(bs.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The orbit alone, from (0.5, 0): nothing plotted, nothing stored.
template <class Map>
void TimeBareLoop(benchmark::State& bs, const Map& map) {
  for (auto _ : bs) {
    double x = 0.5, y = 0.0;
    for (std::int32_t i = 0; i < kRunLength; ++i) {
      const MapImage image = map(x, y);
      x = image.x;
      y = image.y;
    }
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  CountIterations(bs);
}

// The map's formula inlined into the loop.
void BM_BareLoop(benchmark::State& bs) {
  MappingModel model;
  SelectSystemWithDefaults(model, static_cast<int>(bs.range(0)));
  if (bs.range(0) == 1) {
    TimeBareLoop(bs, StandardMapStep(model));
  } else {
    TimeBareLoop(bs, HenonDcMapStep(model));
  }
}

// The map called through its routine pointer, as earlier releases ran it.
void BM_BarePointerLoop(benchmark::State& bs) {
  MappingModel model;
  SelectSystemWithDefaults(model, static_cast<int>(bs.range(0)));
  TimeBareLoop(bs, [&model](double x, double y) { return model.routine(model, x, y); });
}

void StartRun(RunFixture& f) {
  f.state->Store.Buf = 0;
  f.state->Store.RTN = 0;
  f.state->Store.DTN = 0;
  f.state->Run.CurrentPoint.x = 0.5;
  f.state->Run.CurrentPoint.y = 0.0;
  f.state->Run.RunCount = kRunLength;
}

void Report(benchmark::State& bs, const RunFixture& f) {
  if (f.state->Store.RTN != kRunLength) bs.SkipWithError("the run ended early");
  CountIterations(bs);
}

// Runs of kRunLength iterations in one go, as RunOrbit does them.
void TimeWholeRuns(benchmark::State& bs, RunFixture& f) {
  for (auto _ : bs) {
    StartRun(f);
    RunOrbit(*f.state, f.canvas, f.prompter);
    benchmark::DoNotOptimize(f.state->Run.CurrentPoint.x);
  }
  Report(bs, f);
}

void BM_FullRun(benchmark::State& bs) {
  const int system = static_cast<int>(bs.range(0));
  RunFixture f(system);
  if (bs.range(1) >= 0) f.state->Run.Settings.DisplayMode = static_cast<int>(bs.range(1));
  if (bs.range(2) >= 0) f.state->Run.Settings.StoreInBuffer = static_cast<int>(bs.range(2));
  if (bs.range(3) > 0) {
    // Zoomed in on the left half of the picture: about half the iterates fall outside the
    // X-Y box, in no order a branch could predict.
    PlotBox& xy = f.state->Boxes.XYBox;
    xy.SetRange(xy.Xmin, xy.Ymin, 0.5 * (xy.Xmin + xy.Xmax), xy.Ymax);
    DrawBoxes(f.state->Boxes, 1, f.canvas, 0, 0, f.canvas.Width(), f.canvas.Height());
  }
  TimeWholeRuns(bs, f);
}

// The same full run with the orbit inspector shown.
void BM_InspectedRun(benchmark::State& bs) {
  RunFixture f(static_cast<int>(bs.range(0)));
  f.state->Inspector.SetShown(true);
  TimeWholeRuns(bs, f);
}

// The same full run with the built-in map 1 or 2 typed as the user's formulas, evaluated
// by the expression library (range(1) 0) or compiled to machine code (1).
void BM_UserFullRun(benchmark::State& bs) {
  RunFixture f(0, bs.range(0) == 1 ? &kTypedStandardMap : &kTypedHenon,
               bs.range(1) == 1 ? Typed::Compiled : Typed::Interpreted);
  TimeWholeRuns(bs, f);
}

// The same run of the compiled typed Henon map with the orbit inspector shown.
void BM_InspectedUserRun(benchmark::State& bs) {
  RunFixture f(0, &kTypedHenon, Typed::Compiled);
  f.state->Inspector.SetShown(true);
  TimeWholeRuns(bs, f);
}

// Compiling the typed Henon map to machine code: the helper program started, the JIT
// library loaded and run in it, the shared object written and loaded; range(0) 0 the code
// of runs, 1 the orbit diagram's lanes. Wall-clock time: the compiler runs in processes of
// its own.
void BM_JitCompileHenon(benchmark::State& bs) {
  const std::optional<UserMapProgram> program = CompileUserMap(kTypedHenon).evaluator->Program();
  NativeCompilerSettings settings;
  settings.cache = false;
  const NativeMapCompiler compiler(settings);
  if (!program || !compiler.Unavailable().empty()) {
    bs.SkipWithError(program ? compiler.Unavailable().c_str() : "no program");
    return;
  }
  const NativeCodePart part = bs.range(0) == 1 ? NativeCodePart::Lanes : NativeCodePart::Run;
  for (auto _ : bs) {
    const NativeCompilation compiled = compiler.Compile(*program, part);
    if (!compiled.code && !compiled.lanes) {
      bs.SkipWithError(compiled.failure.c_str());
      break;
    }
  }
}

// The same map loaded from the cache, as the program's next start finds it.
void BM_JitCachedLoadHenon(benchmark::State& bs) {
  const std::optional<UserMapProgram> program = CompileUserMap(kTypedHenon).evaluator->Program();
  NativeCompilerSettings settings;
  settings.cacheFolder = std::filesystem::temp_directory_path() / "orbitra-bench-cache";
  const NativeMapCompiler compiler(settings);
  if (!program || !compiler.Compile(*program).code) {
    bs.SkipWithError("cannot compile");
    return;
  }
  for (auto _ : bs) {
    const NativeCompilation loaded = compiler.Compile(*program);
    if (!loaded.code || !loaded.fromCache) {
      bs.SkipWithError("not loaded from the cache");
      break;
    }
  }
}

// The same run in slices of range(1) iterations, as the window performs it (a Henon slice
// of a frame is some two million iterations; these are far shorter, to show the cost).
void BM_SlicedRun(benchmark::State& bs) {
  RunFixture f(static_cast<int>(bs.range(0)));
  const std::int64_t slice = bs.range(1);
  for (auto _ : bs) {
    StartRun(f);
    OrbitRun run(*f.state, f.canvas);
    while (run.Advance(slice) == RunEnd::Running) {
    }
    run.Finish(f.prompter);
    benchmark::DoNotOptimize(f.state->Run.CurrentPoint.x);
  }
  Report(bs, f);
}

BENCHMARK(BM_BareLoop)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_BarePointerLoop)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FullRun)->Args({1, -1, -1, 0})->Args({2, -1, -1, 0})->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FullRun)->Args({2, 0, 0, 0})->Args({2, 1, 0, 0})->Args({2, 0, 1, 0})->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FullRun)->Args({1, 0, 0, 0})->Args({1, 1, 0, 0})->Args({1, 0, 1, 0})->Args({2, -1, -1, 1})->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_InspectedRun)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_UserFullRun)->Args({1, 0})->Args({2, 0})->Args({1, 1})->Args({2, 1})->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_InspectedUserRun)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_JitCompileHenon)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_JitCachedLoadHenon)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_SlicedRun)->Args({2, 50'000})->Unit(benchmark::kMillisecond)->MinTime(0.5);

const int kStandard = RegisterRatio("run_vs_bare_standard_map", "BM_FullRun/1/-1/-1/0/min_time:0.500", "BM_BareLoop/1/min_time:0.500");
const int kHenon = RegisterRatio("run_vs_bare_henon", "BM_FullRun/2/-1/-1/0/min_time:0.500", "BM_BareLoop/2/min_time:0.500");
const int kStandardPointer = RegisterRatio("run_vs_pointer_loop_standard_map", "BM_FullRun/1/-1/-1/0/min_time:0.500", "BM_BarePointerLoop/1/min_time:0.500");
const int kHenonPointer = RegisterRatio("run_vs_pointer_loop_henon", "BM_FullRun/2/-1/-1/0/min_time:0.500", "BM_BarePointerLoop/2/min_time:0.500");
const int kUserHenon = RegisterRatio("user_vs_builtin_henon", "BM_UserFullRun/2/0/min_time:0.500",
                                     "BM_FullRun/2/-1/-1/0/min_time:0.500");
const int kUserStandard = RegisterRatio("user_vs_builtin_standard_map", "BM_UserFullRun/1/0/min_time:0.500",
                                        "BM_FullRun/1/-1/-1/0/min_time:0.500");
const int kJitHenon = RegisterRatio("jit_user_vs_builtin_henon", "BM_UserFullRun/2/1/min_time:0.500",
                                    "BM_FullRun/2/-1/-1/0/min_time:0.500");
const int kJitStandard = RegisterRatio("jit_user_vs_builtin_standard_map", "BM_UserFullRun/1/1/min_time:0.500",
                                       "BM_FullRun/1/-1/-1/0/min_time:0.500");
const int kJitCompile = RegisterMilliseconds("jit_compile_ms_henon", "BM_JitCompileHenon/0/min_time:0.500/real_time");
const int kJitLanesCompile =
    RegisterMilliseconds("jit_lanes_compile_ms_henon", "BM_JitCompileHenon/1/min_time:0.500/real_time");
const int kJitCachedLoad =
    RegisterMilliseconds("jit_cached_load_ms_henon", "BM_JitCachedLoadHenon/min_time:0.500/real_time");
const int kInspectedTyped = RegisterRatio("inspector_vs_plain_typed_henon", "BM_InspectedUserRun/min_time:0.500",
                                          "BM_UserFullRun/2/1/min_time:0.500");
const int kInspected = RegisterRatio("inspector_vs_plain_henon", "BM_InspectedRun/2/min_time:0.500",
                                     "BM_FullRun/2/-1/-1/0/min_time:0.500");
const int kSliced = RegisterRatio("sliced_vs_unsliced_henon", "BM_SlicedRun/2/50000/min_time:0.500", "BM_FullRun/2/-1/-1/0/min_time:0.500");

}  // namespace
}  // namespace orbitra::bench
