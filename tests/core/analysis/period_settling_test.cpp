// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/grid_sweep.h"
#include "analysis/orbit_period.h"
#include "maps/mapping_catalogue.h"

namespace orbitra {
namespace {

MappingModel Henon() {
  MappingModel m;
  SelectSystemWithDefaults(m, 2);  // "Henon D-C Map"
  m.k3 = 1.0;
  return m;
}

// The period of the classic Henon map x' = 1 - a x^2 + y, y' = b x from (0.1, 0.1), found
// the slow way: iterate until the orbit comes back to the last bits (1e-12) at some lag up
// to 64, for as long as it keeps coming nearer (up to two million iterations); 0 when it
// does not come near any cycle, -1 when it escapes.
int TruePeriod(double a, double b) {
  double x = 0.1, y = 0.1;
  std::vector<double> xs(128), ys(128);
  for (int round = 0; round < 100; ++round) {
    for (int i = 0; i < 20000; ++i) {
      const double nx = 1.0 - a * x * x + y;
      y = b * x;
      x = nx;
      if (!(x * x + y * y < 1e8)) return -1;
      xs[i % 128] = x, ys[i % 128] = y;
    }
    const int newest = 19999 % 128;
    const auto back = [&](int age, const std::vector<double>& v) { return v[(newest - age + 128) % 128]; };
    double closest = HUGE_VAL;
    for (int p = 1; p <= 64; ++p) {
      double far = 0.0;
      for (int age = 0; age < 64; ++age) {
        far = std::max(far, std::fabs(back(age, xs) - back(age + p, xs)));
        far = std::max(far, std::fabs(back(age, ys) - back(age + p, ys)));
      }
      if (far <= 1e-12) return p;
      closest = std::min(closest, far);
    }
    if (round >= 1 && closest > 1e-6) return 0;  // no cycle near after 40000 iterations
  }
  return 0;
}

struct Tally {
  int right = 0, notSettled = 0, periodic = 0;
};

// Every pixel the plane calls periodic has the period the slow way finds: never a multiple
// of it, as lag 2p used to close first beside a flip. What has not settled says so.
Tally CheckAgainstTruth(const GridSettings& s) {
  GridSweep sweep(Henon(), s, {0, s.height});
  WorkerPool pool(2);
  sweep.Run(pool);
  const GridValues& g = sweep.Values();
  Tally t;
  for (std::int32_t r = 0; r < s.height; ++r) {
    for (std::int32_t c = 0; c < s.width; ++c) {
      const double a = CellCentre(s.range.Xmin, s.range.Xmax, s.width, c);
      const double b = CellCentre(s.range.Ymin, s.range.Ymax, s.height, r);
      const std::int32_t v = g.value[g.Index(c, r)];
      if (v == kNotSettled) ++t.notSettled;
      // 0 is chaotic and nothing else: an orbit that is neither periodic nor chaotic has
      // not settled, and says so with -2.
      if (v == 0) EXPECT_GT(g.lambda1[g.Index(c, r)], s.chaosTolerance) << a << ", " << b;
      if (v <= 0) continue;
      ++t.periodic;
      const int truth = TruePeriod(a, b);
      EXPECT_EQ(v, truth) << "k1 = " << a << ", k2 = " << b;
      if (v == truth) ++t.right;
    }
  }
  return t;
}

// Along k2 = 0.3 the fixed point flips at k1 = 3(1-b)^2/4 = 0.3675 and the 2-cycle at
// (1-b)^2 + (1+b)^2/4 = 0.9125; with the default transient 25 columns of 2000 before the
// first flip used to say period 2.
TEST(PeriodSettling, NoPixelShowsAMultipleOfItsPeriod) {
  GridSettings line;
  line.range = {0.0, 1.4, 0.2995, 0.3005};
  line.width = 2000;
  line.height = 1;
  line.from = {0.1, 0.1};
  const Tally alongLine = CheckAgainstTruth(line);
  EXPECT_GT(alongLine.periodic, 1200);
  EXPECT_LT(alongLine.notSettled, 100);  // near the flips only

  GridSettings plane;  // the default plane of the window, at half its pixels
  plane.range = {0.0, 1.4, 0.0, 0.4};
  plane.width = 140;
  plane.height = 40;
  plane.from = {0.1, 0.1};
  const Tally whole = CheckAgainstTruth(plane);
  EXPECT_GT(whole.periodic, 2000);
  EXPECT_LT(whole.notSettled, whole.periodic / 10);
}

// The inspector at k1 = 0.909, just before the 2-cycle flips (its multiplier near -1):
// after about a thousand iterations lag 4 closes before lag 2. It says "not settled"
// until lag 2 closes, then period 2; never 4.
TEST(PeriodSettling, TheInspectorNeverGuessesTwiceThePeriod) {
  std::vector<WorldPoint> ring(kRecentCapacity);
  std::uint64_t count = 0;
  double x = 0.1, y = 0.1;
  int notSettled = 0, two = 0;
  for (int i = 1; i <= 60000; ++i) {
    const double nx = 1.0 - 0.909 * x * x + y;
    y = 0.3 * x;
    x = nx;
    ring[count++ % kRecentCapacity] = {x, y};
    if (i < 1000 || (i > 1300 && i % 1000 != 0)) continue;
    const PeriodFinding found = FindPeriod(RecentPoints{ring.data(), count}, {});
    if (found.notSettled) {
      ++notSettled;
      EXPECT_EQ(found.period, 0);
    } else {
      EXPECT_EQ(found.period, 2) << "after " << i;
      ++two;
    }
  }
  EXPECT_GT(notSettled, 0);  // around 1128, where 4 used to be said
  EXPECT_GT(two, 0);
}

}  // namespace
}  // namespace orbitra
