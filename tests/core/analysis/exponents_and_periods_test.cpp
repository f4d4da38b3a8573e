// SPDX-License-Identifier: GPL-3.0-or-later
// The Lyapunov accumulator at the edges of double precision, and the period test at any
// scale, against the mathematics.
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/lyapunov_accumulator.h"
#include "analysis/orbit_period.h"
#include "maps/map_steps.h"
#include "support/map_model.h"

namespace orbitra {
namespace {

using testing::MapModel;

template <class Step>
LyapunovEstimate Exponents(const Step& step, double x, double y, int n) {
  LyapunovAccumulator lyapunov;
  for (int i = 0; i < n; ++i) {
    lyapunov.Add(step.Jacobian(x, y));
    const MapImage image = step(x, y);
    x = image.x;
    y = image.y;
  }
  return lyapunov.Estimate();
}

bool Finite(double v) { return std::isfinite(v); }

// For a kick k1 far beyond 1 the Standard Map stretches by |k1 cos(x + y)| per iterate,
// with x + y spread evenly: lambda1 = ln k1 + mean ln|cos| = ln(k1 / 2). Whatever k1, no
// product of the accumulator may overflow, and the exponents stay ordered.
TEST(LyapunovAccumulator, HugeKicksGiveLnOfHalfTheKick) {
  for (const double k1 : {50.0, 1e8, 1e15, 1e20, 1e100, 1e155, 1e200, 1e300, 1.7e308}) {
    const LyapunovEstimate e = Exponents(StandardMapStep(MapModel(1, k1)), 0.5, 0.25, 100'000);
    ASSERT_EQ(e.gap1, ExponentGap::None) << k1;
    EXPECT_NEAR(e.lambda1, std::log(k1 / 2.0), 0.03) << k1;
    if (e.gap2 == ExponentGap::None) {
      EXPECT_GE(e.lambda1, e.lambda2) << k1;
      EXPECT_NEAR(e.Sum(), 0.0, 1e-9) << k1;
    } else {
      // 1 + k1 cos(x + y) rounds away the 1 once k1 passes 2^53: det J = 1 is lost.
      EXPECT_GT(k1, 9e15);
      EXPECT_EQ(e.gap2, ExponentGap::DeterminantLost) << k1;
      EXPECT_FALSE(Finite(e.lambda2) || Finite(e.meanLogDet)) << k1;
    }
  }
  // Up to 2^53 the determinant is exact, and the sum is the area-preserving 0.
  EXPECT_EQ(Exponents(StandardMapStep(MapModel(1, 1e15)), 0.5, 0.25, 100'000).gap2, ExponentGap::None);
}

// Constant Jacobians at the ends of the double range: the exponents are the logs of the
// entries, with nothing overflowing or underflowing on the way.
TEST(LyapunovAccumulator, ExtremeScalesStayExact) {
  struct Case {
    MapJacobian j;
    double lambda1, lambda2;
  };
  const Case cases[] = {
      {{1e300, 0.0, 0.0, 1e-300}, std::log(1e300), std::log(1e-300)},
      {{1e-300, 0.0, 0.0, 1e-250}, std::log(1e-250), std::log(1e-300)},
      {{0.0, 1e200, 1e200, 0.0}, std::log(1e200), std::log(1e200)},
      {{3e-310, 0.0, 0.0, 2e-310}, std::log(3e-310), std::log(2e-310)},  // subnormal entries
  };
  for (const Case& c : cases) {
    LyapunovAccumulator lyapunov;
    for (int i = 0; i < 1000; ++i) lyapunov.Add(c.j);
    const LyapunovEstimate e = lyapunov.Estimate();
    ASSERT_EQ(e.gap2, ExponentGap::None) << c.j.dxdx;
    EXPECT_NEAR(e.lambda1, c.lambda1, 2e-3 * std::fabs(c.lambda1)) << c.j.dxdx;
    EXPECT_NEAR(e.lambda2, c.lambda2, 2e-3 * std::fabs(c.lambda2)) << c.j.dxdx;
    EXPECT_NEAR(e.meanLogDet, c.lambda1 + c.lambda2, 1e-9 * (1.0 + std::fabs(c.lambda1 + c.lambda2))) << c.j.dxdx;
  }
}

// The Fermi maps' Jacobian {1 + q b, q d, b, d} has the determinant d whatever q. Where q is
// so large that 1 is lost in 1 + q b, the entries no longer fix d: the mean of log|det J|
// is then missing with its reason, never -infinity or a wrong number.
TEST(LyapunovAccumulator, CancellingDeterminantsAreExactOrSaidLost) {
  std::mt19937_64 random(6);
  std::uniform_real_distribution<double> entry(-2.0, 2.0), exponent(0.0, 30.0);
  for (int i = 0; i < 2000; ++i) {
    const double q = std::pow(10.0, exponent(random)), b = entry(random), d = entry(random);
    const MapJacobian j{1.0 + q * b, q * d, b, d};
    LyapunovAccumulator lyapunov;
    for (int n = 0; n < 20; ++n) lyapunov.Add(j);
    const LyapunovEstimate e = lyapunov.Estimate();
    if (e.gapDet == ExponentGap::None) {
      // As close as the rounding of 1 + q b lets the entries fix d.
      const double rounding = 1e-12 + 4.0 * std::numeric_limits<double>::epsilon() * (1.0 + q * std::fabs(b));
      EXPECT_NEAR(e.meanLogDet, std::log(std::fabs(d)), rounding) << q << " " << b << " " << d;
      EXPECT_GE(e.lambda1, e.lambda2);
    } else {
      EXPECT_TRUE(e.gapDet == ExponentGap::DeterminantLost || e.gapDet == ExponentGap::DeterminantZero);
      EXPECT_GT(q * std::fabs(b * d), 1e6 * std::fabs(d)) << "a determinant that was representable";
      EXPECT_TRUE(std::isnan(e.meanLogDet) && std::isnan(e.lambda2));
    }
    EXPECT_EQ(e.gap1, ExponentGap::None);
  }
}

// A ring of the newest points of an orbit, scaled by `scale`.
struct Ring {
  std::vector<WorldPoint> points = std::vector<WorldPoint>(kRecentCapacity);
  std::uint64_t count = 0;
  void Add(WorldPoint p) { points[count++ % kRecentCapacity] = p; }
  RecentPoints View() const { return RecentPoints{points.data(), count}; }
};

// Henon orbits over a sweep of k1: a chaotic one (lambda1 > 0) is never found periodic,
// and what is found does not depend on the scale the orbit is drawn at (any box shows it).
TEST(OrbitPeriod, ChaosIsNeverPeriodicAndScaleDoesNotMatter) {
  int chaotic = 0, periodic = 0;
  for (double k1 = 0.2; k1 <= 1.4; k1 += 0.0125) {
    const HenonDcMapStep step(MapModel(2, k1, 0.3, 1.0));
    LyapunovAccumulator lyapunov;
    Ring rings[3];
    const double scales[3] = {1.0, 1e6, 1e-6};
    double x = 0.1, y = 0.1;
    for (int i = 0; i < 6000; ++i) {
      lyapunov.Add(step.Jacobian(x, y));
      const MapImage image = step(x, y);
      x = image.x;
      y = image.y;
      for (int s = 0; s < 3; ++s) rings[s].Add({x * scales[s], y * scales[s]});
    }
    if (!Finite(x) || !Finite(y)) continue;  // escaped
    const PeriodFinding found = FindPeriod(rings[0].View(), {});
    for (int s = 1; s < 3; ++s) EXPECT_EQ(FindPeriod(rings[s].View(), {}).period, found.period) << k1;
    if (lyapunov.Estimate().lambda1 > 0.02) {
      ++chaotic;
      EXPECT_EQ(found.period, 0) << "chaotic at k1 = " << k1;
    } else if (found.period > 0) {
      ++periodic;
    }
  }
  EXPECT_GT(chaotic, 10);
  EXPECT_GT(periodic, 30);
}

}  // namespace
}  // namespace orbitra
