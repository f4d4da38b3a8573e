// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "analysis/attractor_labels.h"
#include "analysis/grid_pixels.h"
#include "analysis/grid_sweep.h"
#include "maps/mapping_catalogue.h"
#include "maps/map_steps.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {
namespace {

MappingModel Henon(double k1, double k2) {
  MappingModel m;
  SelectSystemWithDefaults(m, 2);  // "Henon D-C Map"
  m.k1 = k1;
  m.k2 = k2;
  m.k3 = 1.0;
  return m;
}

GridValues Compute(const MappingModel& model, const GridSettings& s, int threads = 1, RowBand band = {}) {
  if (band.count == 0) band = {0, s.height};
  GridSweep sweep(model, s, band);
  WorkerPool pool(threads);
  sweep.Run(pool);
  EXPECT_TRUE(sweep.Complete());
  return sweep.Values();
}

// Same numbers, to the bit (not-a-number included).
bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// The classic Henon map (k3 = 1) along k2 = 0.3: the fixed point loses stability at
// k1 = 3(1-b)^2/4 = 0.3675, the period-2 orbit at (1-b)^2 + (1+b)^2/4 = 0.9125.
TEST(ParameterPlane, HenonPeriodsAlongTheClassicLineAndTheChaoticPixel) {
  GridSettings s;
  s.colouring = GridColouring::Period;
  s.xParameter = 0;
  s.yParameter = 1;
  s.range = {0.0, 1.02, 0.29, 0.31};  // one row, its centre at k2 = 0.3
  s.width = 204;                      // columns every 0.005, centres at odd multiples of 0.0025
  s.height = 1;
  s.from = {0.1, 0.1};
  // Near a period doubling the orbit nears its cycle as |multiplier|^n with a multiplier
  // near -1 (-0.989 at k1 = 0.3575): 1000 iterations leave it 1e-5 away.
  s.transient = 20000;
  const GridValues g = Compute(Henon(0, 0), s);
  int checked = 0;
  for (std::int32_t c = 0; c < s.width; ++c) {
    const double k1 = CellCentre(0.0, 1.02, s.width, c);
    const std::int32_t period = g.value[g.Index(c, 0)];
    int expected = 0;
    if (k1 < 0.3675 - 0.01) expected = 1;
    if (k1 > 0.3675 + 0.01 && k1 < 0.9125 - 0.01) expected = 2;
    if (k1 > 0.9125 + 0.01) expected = 4;
    if (expected == 0) continue;
    ++checked;
    EXPECT_EQ(period, expected) << "k1 = " << k1;
    // An attracting cycle: its exponent is negative.
    EXPECT_LT(g.lambda1[g.Index(c, 0)], 0.0) << "k1 = " << k1;
  }
  EXPECT_GT(checked, 190);

  GridSettings one = s;
  one.range = {1.39, 1.41, 0.29, 0.31};
  one.width = 1;
  // A finite-time exponent wanders by about 1/sqrt(n): 1000 iterations give 0.408 here.
  one.lyapunovIterations = 20000;
  const GridValues chaotic = Compute(Henon(0, 0), one);
  EXPECT_EQ(ClassOf(chaotic, 0), PixelClass::Chaotic);
  EXPECT_NEAR(chaotic.lambda1[0], 0.419, 0.01);
}

TEST(ParameterPlane, SameNumbersOnAnyThreadsAfterStopAndResumeAndByTiles) {
  GridSettings s;
  s.colouring = GridColouring::Period;
  s.range = {0.9, 1.45, 0.1, 0.35};  // periods, chaos and escape
  s.width = 37;
  s.height = 29;
  s.from = {0.1, 0.1};
  s.transient = 300;
  s.lyapunovIterations = 300;
  const MappingModel model = Henon(0, 0);
  const GridValues one = Compute(model, s, 1);
  int escaped = 0, periodic = 0, chaotic = 0;
  for (std::size_t i = 0; i < one.value.size(); ++i) {
    const PixelClass c = ClassOf(one, i);
    escaped += c == PixelClass::Escaped;
    periodic += c == PixelClass::Periodic;
    chaotic += c == PixelClass::Chaotic;
  }
  EXPECT_GT(escaped, 0);
  EXPECT_GT(periodic, 0);
  EXPECT_GT(chaotic, 0);
  for (const int threads : {2, 7}) {
    const GridValues other = Compute(model, s, threads);
    EXPECT_EQ(other.value, one.value) << threads;
    EXPECT_TRUE(SameBits(other.lambda1, one.lambda1)) << threads;
  }

  // Stopped early, then resumed (perhaps more than once) on another number of threads.
  GridSweep sweep(model, s, {0, s.height});
  WorkerPool two(2);
  sweep.Start(two);
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  two.Stop();
  two.Wait();
  WorkerPool three(3);
  while (!sweep.Complete()) sweep.Run(three);
  EXPECT_EQ(sweep.Values().value, one.value);
  EXPECT_TRUE(SameBits(sweep.Values().lambda1, one.lambda1));

  // Tiles: bands of rows computed on their own hold the same numbers.
  for (std::int32_t t = 0; t < 3; ++t) {
    const RowBand band = TileRows(s.height, t, 3);
    const GridValues tile = Compute(model, s, 2, band);
    for (std::int32_t r = band.first; r < band.first + band.count; ++r) {
      for (std::int32_t c = 0; c < s.width; ++c) {
        ASSERT_EQ(tile.value[tile.Index(c, r)], one.value[one.Index(c, r)]);
        ASSERT_EQ(std::memcmp(&tile.lambda1[tile.Index(c, r)], &one.lambda1[one.Index(c, r)], sizeof(double)), 0);
      }
    }
  }
}

// The Henon map typed as formulas runs through the expression library, one orbit at a time
// whatever the threads: the same periods, and exponents that differ only by the Jacobian
// (central differences instead of the exact one).
TEST(ParameterPlane, ATypedMapGivesTheBuiltInPlane) {
  UserMapDefinition d;
  d.name = "Typed Henon";
  d.xFormula = "1 - k1*x*x + k3*y";
  d.yFormula = "k2*x";
  const UserMapCompilation compiled = CompileUserMap(d);
  ASSERT_TRUE(compiled.evaluator);
  MappingModel typed;
  typed.system = 11;
  typed.routine = &UserMapRoutine;
  typed.userMap = compiled.evaluator;
  typed.k3 = 1.0;
  ASSERT_TRUE(GridNeedsOneThread(typed));
  GridSettings s;
  s.colouring = GridColouring::Period;
  s.range = {0.3, 1.3, 0.2, 0.3};
  s.width = 23;
  s.height = 9;
  s.from = {0.1, 0.1};
  s.transient = 400;
  s.lyapunovIterations = 400;
  const GridValues builtIn = Compute(Henon(0, 0), s, 1);
  const GridValues other = Compute(typed, s, 3);
  EXPECT_EQ(other.value, builtIn.value);
  for (std::size_t i = 0; i < builtIn.lambda1.size(); ++i) {
    if (builtIn.value[i] >= 0) {
      EXPECT_NEAR(other.lambda1[i], builtIn.lambda1[i], 1e-6) << i;
    }
  }
}

TEST(ParameterPlane, RowsAreAnnouncedOnceCoarseFirst) {
  GridSettings s;
  s.colouring = GridColouring::Lyapunov;
  s.range = {1.0, 1.4, 0.2, 0.3};
  s.width = 20;
  s.height = 19;
  s.from = {0.1, 0.1};
  s.transient = 100;
  s.lyapunovIterations = 100;
  GridSweep sweep(Henon(0, 0), s, {0, s.height});
  WorkerPool pool(1);
  sweep.Run(pool);
  const std::vector<GridRowEvent> events = sweep.TakeFinished();
  // Coarse rows 0, 8, 16 first (one thread keeps the order), then every row once.
  ASSERT_EQ(events.size(), 3u + 19u);
  EXPECT_EQ(events[0], (GridRowEvent{0, true}));
  EXPECT_EQ(events[1], (GridRowEvent{8, true}));
  EXPECT_EQ(events[2], (GridRowEvent{16, true}));
  for (std::int32_t r = 0; r < 19; ++r) EXPECT_EQ(events[3 + static_cast<std::size_t>(r)], (GridRowEvent{r, false}));
  EXPECT_TRUE(sweep.TakeFinished().empty());
  for (std::int32_t r = 0; r < 19; ++r) EXPECT_TRUE(sweep.Shown().full[static_cast<std::size_t>(r)]);
}

// The basins of the Henon map with k1 = a = 1.4, k2 = b = 0.3. Where |x| >= |y| and
// a x^2 - 2|x| - 1 > 0 (|x| > (1 + sqrt(1 + a)) / a = 1.82), |x'| >= a x^2 - 1 - |y| > |x|
// and |y'| = b |x| < |x'|: the orbit stays in that region and |x| grows without bound.
// (Far from the origin with |y| > |x| an orbit may come back: (2.94, 9.77) goes to
// (-1.33, 0.88), in the basin of the attractor.) The points of a long orbit on the
// attractor never escape.
TEST(Basins, HenonEscapesWhereTheFiltrationSaysAndNeverFromTheAttractor) {
  const MappingModel model = Henon(1.4, 0.3);
  GridSettings s;
  s.colouring = GridColouring::Escape;
  s.range = {-12.0, 12.0, -10.5, 10.5};
  s.width = 49;
  s.height = 43;
  const GridValues g = Compute(model, s, 2);
  int far = 0, farEscaped = 0, proved = 0;
  for (std::int32_t r = 0; r < s.height; ++r) {
    for (std::int32_t c = 0; c < s.width; ++c) {
      const double x = CellCentre(-12.0, 12.0, s.width, c), y = CellCentre(-10.5, 10.5, s.height, r);
      const std::int32_t escapedAt = g.value[g.Index(c, r)];
      if (std::hypot(x, y) > 10.0) ++far, farEscaped += escapedAt > 0;
      if (std::fabs(x) < 1.83 || std::fabs(x) < std::fabs(y)) continue;
      ++proved;
      EXPECT_GT(escapedAt, 0) << x << ", " << y;
    }
  }
  EXPECT_GT(proved, 400);
  EXPECT_GT(farEscaped, far * 9 / 10);

  const HenonDcMapStep step(model);
  double x = 0.1, y = 0.1;
  for (int i = 0; i < 1000; ++i) {
    const MapImage m = step(x, y);
    x = m.x, y = m.y;
  }
  GridSettings at = s;
  at.width = 1;
  at.height = 1;
  for (int i = 0; i < 300; ++i) {
    for (int k = 0; k < 37; ++k) {
      const MapImage m = step(x, y);
      x = m.x, y = m.y;
    }
    at.range = {x - 1e-9, x + 1e-9, y - 1e-9, y + 1e-9};
    const GridValues p = Compute(model, at);
    ASSERT_EQ(p.value[0], 0) << x << ", " << y;
  }
}

TEST(Basins, AttractorsAreNumberedByFirstAppearance) {
  // k1 = 0.3: one attracting fixed point; k1 = 0.9: one attracting 2-cycle; the orbits
  // that do not settle on them escape (beyond |x| = 7.1 and 2.7 at least, as above).
  for (const double k1 : {0.3, 0.9}) {
    GridSettings s;
    s.colouring = GridColouring::Attractor;
    s.range = {-9.0, 9.0, -3.0, 3.0};
    s.width = 31;
    s.height = 21;
    const GridValues g = Compute(Henon(k1, 0.3), s, 2);
    const std::vector<std::int32_t> labels = LabelAttractors(g);
    int settled = 0, escaped = 0;
    for (const std::int32_t l : labels) {
      settled += l == 1;
      escaped += l == -1;
      EXPECT_TRUE(l == 1 || l == -1) << l;
    }
    EXPECT_GT(settled, 20) << k1;
    EXPECT_GT(escaped, 20) << k1;
  }
}

// Two attracting fixed points that differ only in y, on a range 20 wide in x and 0.001 high
// in y: 0.0006 apart in y is six times the y tolerance (1e-4 of the height), far inside the
// x one, and they are two attractors.
TEST(Basins, AttractorsApartInYOnlyAreTwo) {
  GridSettings s;
  s.colouring = GridColouring::Attractor;
  s.range = {-10.0, 10.0, 0.0, 0.001};
  s.width = 3;
  s.height = 1;
  GridValues g(s, {0, 1});
  g.value = {1, 1, 1};
  g.representative = {{0.5, 0.0002}, {0.5, 0.0008}, {0.5 + 1e-3, 0.00020005}};
  g.done = {1, 1, 1};
  EXPECT_EQ(LabelAttractors(g), (std::vector<std::int32_t>{1, 2, 1}));
}

// The longest period looked for is found (the window holds enough points for it), and
// periods other than powers of two: the quadratic map x' = 1 - a x^2 (Henon with b = 0)
// has its period-3 window from a = 1.75 (r = 1 + sqrt 8 of the logistic map) to about
// 1.768; the Henon map at a = 1, b = 0.3 has period 4 (between 0.9125 and 1.026).
TEST(ParameterPlane, TheLongestPeriodLookedForAndPeriodThree) {
  const auto pixel = [](double k1, double k2, std::int32_t longest) {
    GridSettings s;
    s.range = {k1 - 1e-9, k1 + 1e-9, k2 - 1e-9, k2 + 1e-9};
    s.width = 1;
    s.height = 1;
    s.from = {0.1, 0.0};
    s.longestPeriod = longest;
    return Compute(Henon(0, 0), s).value[0];
  };
  EXPECT_EQ(pixel(1.76, 0.0, 64), 3);
  EXPECT_EQ(pixel(1.76, 0.0, 3), 3);
  EXPECT_EQ(pixel(1.0, 0.3, 4), 4);
  EXPECT_EQ(pixel(1.0, 0.3, 64), 4);
  EXPECT_LE(pixel(1.0, 0.3, 3), 0);  // 4 is not looked for: no period
}

}  // namespace
}  // namespace orbitra
