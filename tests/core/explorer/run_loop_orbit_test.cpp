// SPDX-License-Identifier: GPL-3.0-or-later
// A million iterates through the whole run, as the window performs it (the evolution boxes
// shown, every point stored, no status in between, so the loop's longest chunks), against
// the map's formula iterated here by a plain loop: every stored point to the bit.
#include <cmath>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "explorer/run_commands.h"
#include "maps/mapping_catalogue.h"
#include "plot/box_ranges.h"
#include "storage/point_buffer.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;

constexpr std::int32_t kIterates = 1'000'000;

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// The built-in map `system` with parameters k1 to k3, a run of kIterates from (0.5, 0).
void RunMillion(Scenario& sc, int system, double k1, double k2, double k3) {
  OrbitraState& s = sc.State();
  const SystemDefaults d = LoadSystemDefaults(system);
  CommitSelection(s.Model, s.Boxes.XYBox.Label, system, k1, k2, k3, 0.0, PendingSelection{d.routine, d.DefaultRange});
  s.Run.Settings.Iterations = kIterates;
  ResetRangesToDefault(s.Boxes, d.DefaultRange, s.Run.Settings.Iterations);
  s.Run.Settings.DisplayMode = 1;
  s.Run.Settings.InfoEvery = 0;
  s.Store.BufferCapacity = kIterates + 2;
  AllocateBuffer(s.Store);
  s.Run.InitialPoint.x = 0.5;
  s.Run.InitialPoint.y = 0.0;
  sc.Apply(StartRun(s));
  ASSERT_EQ(s.Store.RTN, kIterates);
  ASSERT_EQ(s.Store.Buf, kIterates);
}

// Slot i holds iterate i + 1 of `next` from (0.5, 0), in the run's colour, then zeros.
template <class Next>
void ExpectStoredOrbit(const OrbitraState& s, Next next) {
  double x = 0.5, y = 0.0;
  std::int32_t differing = 0;
  std::int32_t first = -1;
  for (std::int32_t i = 0; i < kIterates; ++i) {
    next(x, y);
    const StoredPoint& p = s.Store.Slots[i];
    std::uint64_t tail;
    std::memcpy(&tail, &p.colour, sizeof tail);
    if (Bits(p.x) != Bits(x) || Bits(p.y) != Bits(y) || tail != s.Run.RunColour) {
      if (first < 0) first = i;
      ++differing;
    }
  }
  EXPECT_EQ(differing, 0) << "first at slot " << first;
  EXPECT_EQ(Bits(s.Run.CurrentPoint.x), Bits(x));
  EXPECT_EQ(Bits(s.Run.CurrentPoint.y), Bits(y));
}

TEST(RunLoopOrbit, AMillionHenonIteratesAreStoredAsThePlainLoopComputesThem) {
  Scenario sc;
  RunMillion(sc, 2, 0.95, 1.0, -1.0);
  ExpectStoredOrbit(sc.State(), [](double& x, double& y) {
    const double x1 = 1.0 - 0.95 * x * x + -1.0 * y;
    y = 1.0 * x;
    x = x1;
  });
}

TEST(RunLoopOrbit, AMillionStandardMapIteratesAreStoredAsThePlainLoopComputesThem) {
  Scenario sc;
  RunMillion(sc, 1, 0.7, 0.0, 0.0);
  constexpr double kPeriod = 6.283185307179586;
  const auto wrap = [](double v) {
    const double r = std::fmod(v, kPeriod);
    return r < 0.0 ? r + kPeriod : r;
  };
  ExpectStoredOrbit(sc.State(), [&wrap](double& x, double& y) {
    const double t = x + y;
    const double y1 = y + 0.7 * std::sin(t);
    x = wrap(t);
    y = wrap(y1);
  });
}

}  // namespace
}  // namespace orbitra
