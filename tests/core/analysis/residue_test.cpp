// SPDX-License-Identifier: GPL-3.0-or-later
// Residues and the critical circle against the mathematics: the Standard Map's orbits of
// types 1/2 and 1/3 with their residues from the product of the Jacobians written out
// here, the first convergents' critical values in closed form (R = k/4 for 1/1, k^2/4 for
// 1/2), and Greene's published critical k of the golden circle, 0.971635406.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stop_token>

#include <gtest/gtest.h>

#include "analysis/critical_circle.h"
#include "analysis/residue.h"
#include "support/map_model.h"

namespace orbitra {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// (2 - trace) / 4 of the product of [[1, 1], [c, 1 + c]], c = k1 cos(x + y), along the orbit.
double ResidueByHand(const std::vector<WorldPoint>& orbit, double k1) {
  double a = 1, b = 0, c = 0, d = 1;
  for (const WorldPoint z : orbit) {
    const double kick = k1 * std::cos(z.x + z.y);
    const double na = a + c, nb = b + d, nc = kick * a + (1 + kick) * c, nd = kick * b + (1 + kick) * d;
    a = na, b = nb, c = nc, d = nd;
  }
  return (2 - (a + d)) / 4;
}

TEST(Residue, OrbitsOfTypeOneHalfAndOneThirdOfTheStandardMap) {
  const WorldRange torus{0, kTwoPi, 0, kTwoPi};
  for (const double k1 : {0.7, 1.2}) {
    const PlaneMap map = PlaneMapOf(testing::MapModel(1, k1));
    // The torus, and a region wider than it whose x and y ranges differ: its level guesses
    // all lead Newton to the elliptic 1/2 orbit, whose partner is then found half a
    // spacing off.
    for (const auto& [q, region] : {std::pair{2, torus}, std::pair{3, torus}, std::pair{2, WorldRange{0, 7, -0.5, 6.9}},
                                    std::pair{3, WorldRange{0, 7, -0.5, 6.9}}}) {
      const std::vector<PeriodicOrbit> orbits = FindOrbitsOfType(map, 1, q, region);
      // The Birkhoff pair: one elliptic (0 < R < 1), one saddle (R < 0).
      ASSERT_EQ(orbits.size(), 2u) << k1 << ' ' << q << ' ' << region.Xmax;
      int elliptic = 0;
      for (const PeriodicOrbit& o : orbits) {
        ASSERT_EQ(o.points.size(), static_cast<std::size_t>(q));
        // An orbit of type 1/q: its x advances by its y, one wrap in all.
        double advance = 0;
        for (std::size_t i = 0; i < o.points.size(); ++i) {
          const WorldPoint z = o.points[i], next = o.points[(i + 1) % o.points.size()];
          EXPECT_LT(std::fabs(std::remainder(z.x + z.y - next.x, kTwoPi)), 1e-12);
          advance += z.y;
        }
        EXPECT_NEAR(advance, kTwoPi, 1e-9);
        const double r = Residue(o.stability);
        EXPECT_NEAR(r, ResidueByHand(o.points, k1), 1e-10 * (1 + std::fabs(r)));
        elliptic += r > 0 && r < 1 ? 1 : 0;
      }
      EXPECT_EQ(elliptic, 1) << k1 << ' ' << q;
    }
    // The 1/2 pair in closed form: (0, pi), (pi, pi) with R = k1^2 / 4.
    const std::vector<PeriodicOrbit> half = FindOrbitsOfType(map, 1, 2, torus);
    EXPECT_NEAR(Residue(half[0].stability), k1 * k1 / 4, 1e-12);
  }
  // A map whose x does not wrap has no orbits by type.
  EXPECT_TRUE(FindOrbitsOfType(PlaneMapOf(testing::MapModel(2, 1.4, 0.3, 1.0)), 1, 2, {-1, 1, -1, 1}).empty());
}

TEST(CriticalCircle, GoldenCircleOfTheStandardMap) {
  EXPECT_EQ(Convergents((std::sqrt(5.0) - 1) / 2, 13),
            (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 3}, {3, 5}, {5, 8}, {8, 13}}));
  // 1/3 + 1e-9 = [0; 2, 1, 111111110, ...].
  EXPECT_EQ(Convergents(1.0 / 3.0 + 1e-9, 100), (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}}));
  CriticalCircleSettings settings;
  const CriticalCircle circle = FindCriticalCircle(testing::MapModel(1, 0.0), settings);
  // Up to 610/987, whose orbit crowds where the circle is about to break.
  ASSERT_EQ(circle.rows.size(), 15u) << circle.failure;
  EXPECT_EQ(circle.rows.back().q, 987);
  // R = k / 4 at the fixed point (pi, 0) and k^2 / 4 on the 1/2 orbit: both 1/4 at k = 1.
  EXPECT_NEAR(circle.rows[0].parameter, 1.0, 1e-12);
  EXPECT_NEAR(circle.rows[1].parameter, 1.0, 1e-12);
  // Greene's 0.971635406 to six digits.
  EXPECT_NEAR(circle.rows.back().parameter, 0.971635406, 1e-6);
  char sixDigits[16];
  std::snprintf(sixDigits, sizeof sixDigits, "%.6f", circle.rows.back().parameter);
  EXPECT_STREQ(sixDigits, "0.971635");
  EXPECT_EQ(FormatCriticalCircle(circle).substr(0, 17), "1 1/1 1.000000000");
}

TEST(CriticalCircle, AStoppedSearchSaysSo) {
  std::stop_source stop;
  stop.request_stop();
  const CriticalCircle circle = FindCriticalCircle(testing::MapModel(1, 0.0), CriticalCircleSettings{}, stop.get_token());
  EXPECT_TRUE(circle.rows.empty());
  EXPECT_EQ(circle.failure, "asked to stop");
  EXPECT_EQ(FormatCriticalCircle(circle), "stopped: asked to stop\n");
}

}  // namespace
}  // namespace orbitra
