// SPDX-License-Identifier: GPL-3.0-or-later
// The replays that every full repaint performs: the memory buffer and the disk stream,
// one million points each, plotted into an 800 x 600 picture. Reported per point.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "explorer/orbitra_state.h"
#include "explorer/replay.h"
#include "storage/point_buffer.h"

namespace orbitra::bench {
namespace {

constexpr std::int32_t kPoints = 1'000'000;
constexpr double kSide = 6.283185307179586;

// A fresh directory for the stream file, removed with it at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orbitra-bench-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A million points spread over the X-Y box in every colour, as many runs leave them, and
// the box laid out on an 800 x 600 picture.
void PrepareState(OrbitraState& state) {
  InitialiseRunState(state.Run);
  state.Store.BufferCapacity = kPoints + 1;
  AllocateBuffer(state.Store);
  std::uint64_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(seed >> 11) * 0x1.0p-53;
  };
  for (std::int32_t i = 0; i < kPoints; ++i) {
    const double x = next() * kSide;
    StorePoint(state.Store, x, next() * kSide, static_cast<std::uint8_t>(i % 13));
  }
  PlotBox& box = state.Boxes.XYBox;
  box.SetRange(0.0, 0.0, kSide, kSide);
  box.SetScreenRect(0, 0, 800, 600);
}

void ReportPerPoint(benchmark::State& state) {
  state.counters["ns_per_point"] =
      benchmark::Counter(static_cast<double>(kPoints) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ReplayBuffer(benchmark::State& state) {
  OrbitraState orbitra{std::filesystem::path{}};
  PrepareState(orbitra);
  Canvas canvas(800, 600);
  for (auto _ : state) {
    ReplayBuffer(orbitra.Store, orbitra.Boxes.XYBox, orbitra.Run, canvas);
    benchmark::ClobberMemory();
  }
  ReportPerPoint(state);
}
BENCHMARK(BM_ReplayBuffer)->Unit(benchmark::kMillisecond);

void BM_ReplayStream(benchmark::State& state) {
  const ScratchDir dir;
  OrbitraState orbitra{dir.Path()};
  PrepareState(orbitra);
  // The stream holds the same million points, written as a transfer writes them.
  std::FILE* file = std::fopen(orbitra.FilePath(kStreamFileName).c_str(), "wb");
  const bool written = file != nullptr &&
                       std::fwrite(orbitra.Store.Slots.get(), sizeof(StoredPoint), kPoints, file) == kPoints;
  if (file != nullptr) std::fclose(file);
  if (!written) {
    state.SkipWithError("cannot write the stream file");
    return;
  }
  Canvas canvas(800, 600);
  std::int32_t records = 0;
  for (auto _ : state) {
    records = ReplayStream(orbitra.WorkDir, orbitra.Boxes.XYBox, orbitra.Run, canvas).records;
    benchmark::ClobberMemory();
  }
  if (records != kPoints) state.SkipWithError("the stream did not replay whole");
  ReportPerPoint(state);
}
BENCHMARK(BM_ReplayStream)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orbitra::bench
