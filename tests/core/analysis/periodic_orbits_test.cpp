// SPDX-License-Identifier: GPL-3.0-or-later
// Periodic orbits against the mathematics of the maps: the Henon map's fixed points in
// closed form and its known numbers of prime orbits, the Standard Map's traces, and the
// same answer on any number of threads and for the map typed by hand.
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/periodic_orbits.h"
#include "support/henon_models.h"

namespace orbitra {
namespace {

using testing::BuiltInHenon;
using testing::MapModel;
using testing::TypedHenon;

constexpr WorldRange kHenonRegion{-1.5, 1.5, -0.45, 0.45};

std::vector<PeriodicOrbit> Find(const MappingModel& model, int maxPeriod, WorldRange region, int threads) {
  WorkerPool pool(threads);
  PeriodicOrbitSearch search;
  search.maxPeriod = maxPeriod;
  search.region = region;
  return FindPeriodicOrbits(PlaneMapOf(model), search, pool);
}

std::vector<int> CountPerPeriod(const std::vector<PeriodicOrbit>& orbits, int maxPeriod) {
  std::vector<int> counts(static_cast<std::size_t>(maxPeriod), 0);
  for (const PeriodicOrbit& o : orbits) ++counts[static_cast<std::size_t>(o.period - 1)];
  return counts;
}

TEST(PeriodicOrbits, HenonOrbitsAreTheKnownOnesAndCloseUnderTheMap) {
  const std::vector<PeriodicOrbit> orbits = Find(BuiltInHenon(), 6, kHenonRegion, 2);
  EXPECT_EQ(CountPerPeriod(orbits, 6), (std::vector<int>{2, 1, 0, 1, 0, 2}));

  // Fixed points: x = (-(1 - b) +- sqrt((1 - b)^2 + 4a)) / 2a, y = b x.
  const double a = 1.4, b = 0.3, root = std::sqrt((1 - b) * (1 - b) + 4 * a);
  ASSERT_GE(orbits.size(), 2u);
  const PeriodicOrbit& low = orbits[0];
  const PeriodicOrbit& high = orbits[1];
  EXPECT_NEAR(low.points[0].x, (-(1 - b) - root) / (2 * a), 1e-12);
  EXPECT_NEAR(low.points[0].y, -0.3394063, 1e-7);
  EXPECT_NEAR(high.points[0].x, 0.6313544771, 1e-10);
  EXPECT_NEAR(high.points[0].y, 0.1894063431, 1e-10);
  EXPECT_NEAR(high.stability.eigenvalues[0].real(), 0.155946, 1e-6);
  EXPECT_NEAR(high.stability.eigenvalues[1].real(), -1.923739, 1e-6);
  EXPECT_EQ(high.stability.kind, OrbitClass::FlipSaddle);
  EXPECT_NEAR(low.stability.eigenvalues[0].real(), 3.2598, 1e-4);
  EXPECT_NEAR(low.stability.eigenvalues[1].real(), -0.0920, 1e-4);
  EXPECT_EQ(low.stability.kind, OrbitClass::Saddle);

  // Every orbit closes under the map's own formula, its points are distinct, and the
  // determinant of D F^p is (-b)^p, as the map's constant Jacobian determinant says.
  for (const PeriodicOrbit& o : orbits) {
    const std::size_t p = o.points.size();
    ASSERT_EQ(p, static_cast<std::size_t>(o.period));
    for (std::size_t i = 0; i < p; ++i) {
      const WorldPoint z = o.points[i], next = o.points[(i + 1) % p];
      EXPECT_NEAR(1 - a * z.x * z.x + z.y, next.x, 1e-12) << o.period;
      EXPECT_NEAR(b * z.x, next.y, 1e-12) << o.period;
      for (std::size_t j = 0; j < i; ++j) EXPECT_GT(std::hypot(z.x - o.points[j].x, z.y - o.points[j].y), 1e-6);
    }
    EXPECT_NEAR(o.stability.determinant, std::pow(-b, o.period), 1e-9);
    EXPECT_TRUE(IsSaddle(o.stability.kind)) << FormatPeriodicOrbit(o);
  }
}

TEST(PeriodicOrbits, StandardMapFixedPointsHaveTheirTraces) {
  const double k1 = 0.7;
  const std::vector<PeriodicOrbit> orbits = Find(MapModel(1, k1), 1, WorldRange{0, 2 * std::numbers::pi, -1, 1}, 2);
  ASSERT_EQ(orbits.size(), 2u);
  // (0, 0) may come back as 2 pi on either coordinate: compare the short way round.
  const auto nearZero = [](double v) { return std::fabs(std::remainder(v, 2 * std::numbers::pi)); };
  EXPECT_LT(nearZero(orbits[0].points[0].x) + nearZero(orbits[0].points[0].y), 1e-12);
  EXPECT_NEAR(orbits[0].stability.trace, 2 + k1, 1e-12);
  EXPECT_EQ(orbits[0].stability.kind, OrbitClass::Saddle);
  EXPECT_NEAR(orbits[1].points[0].x, std::numbers::pi, 1e-12);
  EXPECT_NEAR(orbits[1].stability.trace, 2 - k1, 1e-12);
  EXPECT_EQ(orbits[1].stability.kind, OrbitClass::Elliptic);
  EXPECT_EQ(FormatPeriodicOrbit(orbits[1]).substr(0, 2), "1 ");
}

TEST(PeriodicOrbits, SameListOnAnyNumberOfThreadsAndForTheTypedMap) {
  const std::vector<PeriodicOrbit> one = Find(BuiltInHenon(), 8, kHenonRegion, 1);
  const std::string text = FormatPeriodicOrbits(one);
  EXPECT_EQ(FormatPeriodicOrbits(Find(BuiltInHenon(), 8, kHenonRegion, 2)), text);
  EXPECT_EQ(FormatPeriodicOrbits(Find(BuiltInHenon(), 8, kHenonRegion, 7)), text);

  for (const int threads : {1, 2, 7}) {
    const std::vector<PeriodicOrbit> typed = Find(TypedHenon(), 8, kHenonRegion, threads);
    ASSERT_EQ(typed.size(), one.size()) << threads;
    for (std::size_t i = 0; i < one.size(); ++i) {
      ASSERT_EQ(typed[i].period, one[i].period);
      for (std::size_t j = 0; j < one[i].points.size(); ++j) {
        EXPECT_NEAR(typed[i].points[j].x, one[i].points[j].x, 1e-9);
        EXPECT_NEAR(typed[i].points[j].y, one[i].points[j].y, 1e-9);
      }
      EXPECT_EQ(typed[i].stability.kind, one[i].stability.kind);
    }
  }
}

TEST(OrbitStability, ClassesFromTheEigenvalues) {
  const double c = std::cos(0.4), s = std::sin(0.4);
  const struct {
    MapJacobian m;
    OrbitClass kind;
    std::complex<double> first;
  } cases[] = {
      {{2.0, 0.0, 0.0, 0.5}, OrbitClass::Saddle, 2.0},
      {{0.5, 0.0, 0.0, -2.0}, OrbitClass::FlipSaddle, 0.5},  // (trace + root) / 2 first
      {{-0.5, 0.0, 0.0, 0.3}, OrbitClass::Sink, 0.3},
      {{3.0, 1.0, 0.0, -1.5}, OrbitClass::Source, 3.0},
      {{c, -s, s, c}, OrbitClass::Elliptic, {c, s}},
      {{0.5 * c, -0.5 * s, 0.5 * s, 0.5 * c}, OrbitClass::Sink, {0.5 * c, 0.5 * s}},
      {{1.0, 1.0, 0.0, 1.0}, OrbitClass::Parabolic, 1.0},
      {{-1.0, 0.0, 0.0, 4.0}, OrbitClass::Parabolic, 4.0},
  };
  for (const auto& t : cases) {
    const OrbitStability st = StabilityOf(t.m);
    EXPECT_EQ(st.kind, t.kind) << t.m.dxdx << ' ' << t.m.dydy;
    EXPECT_NEAR(std::abs(st.eigenvalues[0] - t.first), 0.0, 1e-15) << t.m.dxdx;
    EXPECT_NEAR(std::abs(st.eigenvalues[0] * st.eigenvalues[1] - st.determinant), 0.0, 1e-15);
  }
  EXPECT_EQ(ClassName(OrbitClass::FlipSaddle), "flip-saddle");
}

}  // namespace
}  // namespace orbitra
