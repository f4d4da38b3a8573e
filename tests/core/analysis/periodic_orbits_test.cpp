// SPDX-License-Identifier: GPL-3.0-or-later
// Periodic orbits against the mathematics of the maps: the Henon map's fixed points in
// closed form and its known numbers of prime orbits, the Standard Map's traces, and the
// same answer on any number of threads and for the map typed by hand.
#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "analysis/periodic_orbits.h"
#include "support/henon_models.h"
#include "support/typed_maps.h"

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

// A map that records where Newton's method evaluates its Jacobian: once per iteration at
// each unknown point.
struct RecordingHenon {
  std::vector<WorldPoint>* visited;
  MapImage operator()(double x, double y) const { return {1 - 1.4 * x * x + y, 0.3 * x}; }
  MapJacobian Jacobian(double x, double y) const {
    visited->push_back({x, y});
    return {-2.8 * x, 1.0, 0.3, 0.0};
  }
};

TEST(PeriodicOrbits, NewtonStepsNeverExceedTheirCap) {
  std::vector<WorldPoint> visited;
  PlaneMap map(RecordingHenon{&visited}, CoordinateWrap{});
  // From far away: the unclipped first step alone would be several units long.
  const std::vector<WorldPoint> z = ConvergePeriodicOrbit(map, {{-6.0, 4.0}}, 1e-7, 0.1);
  ASSERT_EQ(z.size(), 1u);
  ASSERT_GT(visited.size(), 20u);
  for (std::size_t i = 1; i < visited.size(); ++i) {
    EXPECT_LE(std::fabs(visited[i].x - visited[i - 1].x), 0.1 * (1 + 1e-12)) << i;
    EXPECT_LE(std::fabs(visited[i].y - visited[i - 1].y), 0.1 * (1 + 1e-12)) << i;
  }
  // The fixed point x = (-(1 - b) +- sqrt((1 - b)^2 + 4a)) / 2a.
  const double root = std::sqrt(0.49 + 5.6);
  const double x = z[0].x;
  EXPECT_TRUE(std::fabs(x - (-0.7 + root) / 2.8) < 1e-12 || std::fabs(x - (-0.7 - root) / 2.8) < 1e-12) << x;
}

TEST(PeriodicOrbits, AnOrbitWithOnePointInTheRegionIsListed) {
  // The Henon 2-cycle: x solves a^2 x^2 - a(1 - b) x + (1 - b)^2 - a = 0; a small region
  // round one of its points holds only that one.
  const double a = 1.4, b = 0.3, c = 1 - b;
  const double root = std::sqrt(a * a * c * c - 4 * a * a * (c * c - a));
  const double x1 = (a * c + root) / (2 * a * a), x2 = (a * c - root) / (2 * a * a);
  const WorldRange around{x1 - 0.05, x1 + 0.05, b * x2 - 0.05, b * x2 + 0.05};
  ASSERT_FALSE(around.Xmin <= x2 && x2 <= around.Xmax);
  const std::vector<PeriodicOrbit> orbits = Find(BuiltInHenon(), 2, around, 2);
  ASSERT_EQ(CountPerPeriod(orbits, 2), (std::vector<int>{0, 1}));
  EXPECT_NEAR(std::max(orbits[0].points[0].x, orbits[0].points[1].x), x1, 1e-12);
  EXPECT_NEAR(std::min(orbits[0].points[0].x, orbits[0].points[1].x), x2, 1e-12);
}

// At k1 = 2 the fixed point (pi, 0) has eigenvalues +-i and the 2-cycle (0, pi), (pi, pi)
// has -1, -1: as solutions of period 4 both are degenerate, and tiny residuals lie all
// round them. No orbit may be listed there, and the count of period 4 sits between its
// neighbours' on either side.
TEST(PeriodicOrbits, DegenerateOrbitsAtRoundParametersGiveNoSpuriousOnes) {
  const WorldRange torus{0, 2 * std::numbers::pi, 0, 2 * std::numbers::pi};
  const auto count = [&](double k1, int period) {
    return CountPerPeriod(Find(MapModel(1, k1), period, torus, 2), period)[static_cast<std::size_t>(period - 1)];
  };
  EXPECT_EQ(count(1.9999, 4), 4);
  EXPECT_EQ(count(2.0001, 4), 7);
  EXPECT_LE(count(2.0, 4), 7);
  for (const auto& [k1, period] : {std::pair{2.0, 4}, std::pair{1.0, 6}, std::pair{3.0, 3}, std::pair{4.0, 2}}) {
    const std::vector<PeriodicOrbit> orbits = Find(MapModel(1, k1), period, torus, 2);
    EXPECT_LT(orbits.size(), 80u) << k1;
    for (const PeriodicOrbit& o : orbits) {
      // Each closes under the formula to rounding: x' = x + y, y' = y + k1 sin(x') mod 2pi.
      for (std::size_t i = 0; i < o.points.size(); ++i) {
        const WorldPoint z = o.points[i], next = o.points[(i + 1) % o.points.size()];
        const double t = z.x + z.y;
        EXPECT_LT(std::fabs(std::remainder(t - next.x, 2 * std::numbers::pi)), 1e-12);
        EXPECT_LT(std::fabs(std::remainder(z.y + k1 * std::sin(t) - next.y, 2 * std::numbers::pi)), 1e-12);
      }
    }
  }
}

TEST(PeriodicOrbits, TypedStandardMapIsATorusLikeTheBuiltIn) {
  const testing::TypedMap& typed = testing::kTypedMaps[0];
  UserMapDefinition d;
  d.name = "typed";
  d.helpers = typed.helpers;
  d.xFormula = typed.x;
  d.yFormula = typed.y;
  MappingModel model = MapModel(1, 0.7);
  model.system = kFirstUserSystem;
  model.routine = &UserMapRoutine;
  model.userMap = CompileUserMap(d).evaluator;
  const PlaneMap map = PlaneMapOf(model);
  EXPECT_EQ(map.Wrap().x, 2 * std::numbers::pi);
  EXPECT_EQ(map.Wrap().y, 2 * std::numbers::pi);
  const WorldRange torus{0, 2 * std::numbers::pi, 0, 2 * std::numbers::pi};
  WorkerPool pool(2);
  PeriodicOrbitSearch search;
  search.maxPeriod = 8;
  search.region = torus;
  const std::vector<PeriodicOrbit> orbits = FindPeriodicOrbits(map, search, pool);
  EXPECT_EQ(CountPerPeriod(orbits, 8), (std::vector<int>{2, 2, 4, 4, 8, 4, 12, 10}));
  EXPECT_EQ(CountPerPeriod(Find(MapModel(1, 0.7), 8, torus, 2), 8), CountPerPeriod(orbits, 8));
  for (const PeriodicOrbit& o : orbits) {
    for (const WorldPoint p : o.points) {
      EXPECT_TRUE(p.x >= 0 && p.x < 2 * std::numbers::pi && p.y >= 0 && p.y < 2 * std::numbers::pi)
          << FormatPeriodicOrbit(o);
    }
  }

  // A mod that is not the outermost operation, or by a period that depends on x, is no wrap.
  for (const auto& [x, y, wrapX, wrapY] :
       {std::tuple{"mod(x + y, k1)", "y", 0.7, 0.0}, std::tuple{"sin(mod(x, 1))", "mod(y, 2)", 0.0, 2.0},
        std::tuple{"mod(x, x + 1)", "y", 0.0, 0.0}, std::tuple{"x", "mod(y, -1)", 0.0, 0.0}}) {
    UserMapDefinition other;
    other.name = "other";
    other.xFormula = x;
    other.yFormula = y;
    MappingModel m = model;
    m.userMap = CompileUserMap(other).evaluator;
    ASSERT_TRUE(m.userMap) << x;
    EXPECT_EQ(PlaneMapOf(m).Wrap().x, wrapX) << x;
    EXPECT_EQ(PlaneMapOf(m).Wrap().y, wrapY) << y;
  }
}

// The smaller eigenvalue as det / larger, det the product of the steps' determinants: the
// product of the two is det F^p, 1 for the Standard Map and (-b)^p for Henon's, to the
// last digits, where the product matrix's entries would cancel to nothing.
TEST(PeriodicOrbits, SmallerEigenvalueKeepsItsDigits) {
  const std::vector<PeriodicOrbit> kicked =
      Find(MapModel(1, 20.0), 6, WorldRange{0, std::numbers::pi, 0, std::numbers::pi}, 2);
  int checked = 0;
  for (const PeriodicOrbit& o : kicked) {
    if (o.period < 5 || std::imag(o.stability.eigenvalues[0]) != 0.0) continue;
    const double product = std::real(o.stability.eigenvalues[0]) * std::real(o.stability.eigenvalues[1]);
    EXPECT_NEAR(product, 1.0, 1e-12) << FormatPeriodicOrbit(o);
    ++checked;
  }
  EXPECT_GT(checked, 30);
  const std::vector<PeriodicOrbit> henon = Find(BuiltInHenon(), 13, kHenonRegion, 2);
  for (const PeriodicOrbit& o : henon) {
    const double product = std::real(o.stability.eigenvalues[0]) * std::real(o.stability.eigenvalues[1]);
    EXPECT_NEAR(product / std::pow(-0.3, o.period), 1.0, 1e-12) << FormatPeriodicOrbit(o);
  }
  EXPECT_EQ(CountPerPeriod(henon, 13), (std::vector<int>{2, 1, 0, 1, 0, 2, 4, 7, 6, 10, 14, 19, 32}));
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
