// SPDX-License-Identifier: GPL-3.0-or-later
// Manifolds of the Henon saddle against the dynamics: the unstable one lies on the
// attractor, points of the stable one fall into the saddle at the rate of its stable
// eigenvalue, and the typed map (no closed-form inverse: Newton preimages) draws the same
// curves.
#include <cmath>
#include <map>
#include <utility>

#include <gtest/gtest.h>

#include "analysis/invariant_manifold.h"
#include "support/henon_models.h"

namespace orbitra {
namespace {

using testing::BuiltInHenon;
using testing::TypedHenon;

// The flip saddle of the Henon map (1.4, 0.3) at (0.6313544771, 0.1894063431).
PeriodicOrbit HenonSaddle(const PlaneMap& map) {
  PeriodicOrbit saddle;
  saddle.period = 1;
  saddle.points = ConvergePeriodicOrbit(map, {{0.63, 0.19}}, 1e-7, 0.1);
  saddle.stability = StabilityOf(CycleJacobian(map, saddle.points));
  return saddle;
}

const ManifoldBranch& Branch(const std::vector<ManifoldBranch>& branches, ManifoldKind kind, int side) {
  for (const ManifoldBranch& b : branches) {
    if (b.kind == kind && b.side == side) return b;
  }
  throw std::logic_error("no such branch");
}

// Points in square cells of side `cell`, to find near neighbours quickly.
class PointGrid {
 public:
  explicit PointGrid(double cell) : cell_(cell) {}
  void Add(WorldPoint p) { cells_[Key(p.x, p.y)].push_back(p); }
  double Nearest(WorldPoint p) const {
    double best = HUGE_VAL;
    const auto [i, j] = Key(p.x, p.y);
    for (long di = -1; di <= 1; ++di) {
      for (long dj = -1; dj <= 1; ++dj) {
        const auto it = cells_.find({i + di, j + dj});
        if (it == cells_.end()) continue;
        for (const WorldPoint q : it->second) best = std::min(best, std::hypot(p.x - q.x, p.y - q.y));
      }
    }
    return best;
  }

 private:
  std::pair<long, long> Key(double x, double y) const {
    return {std::lround(std::floor(x / cell_)), std::lround(std::floor(y / cell_))};
  }
  double cell_;
  std::map<std::pair<long, long>, std::vector<WorldPoint>> cells_;
};

TEST(InvariantManifold, HenonUnstableManifoldLiesOnTheAttractor) {
  const PlaneMap map = PlaneMapOf(BuiltInHenon());
  const PeriodicOrbit saddle = HenonSaddle(map);
  ManifoldSettings settings;
  settings.arcLength = 6.0;
  WorkerPool pool(2);
  const std::vector<ManifoldBranch> branches = GrowManifolds(map, saddle, settings, pool);
  ASSERT_EQ(branches.size(), 4u);

  PointGrid attractor(1e-3);
  WorldPoint z{0.1, 0.1};
  for (int n = 0; n < 1000; ++n) z = {1 - 1.4 * z.x * z.x + z.y, 0.3 * z.x};
  for (int n = 0; n < 1'000'000; ++n) {
    z = {1 - 1.4 * z.x * z.x + z.y, 0.3 * z.x};
    attractor.Add(z);
  }
  for (const int side : {1, -1}) {
    const ManifoldBranch& u = Branch(branches, ManifoldKind::Unstable, side);
    std::size_t near = 0;
    double arc = 0.0;
    for (std::size_t i = 0; i < u.points.size(); ++i) {
      if (attractor.Nearest(u.points[i]) <= 1e-3) ++near;
      if (i > 0) {
        const double d = std::hypot(u.points[i].x - u.points[i - 1].x, u.points[i].y - u.points[i - 1].y);
        EXPECT_LE(d, 1e-2 * (1 + 1e-12)) << i;  // the largest distance holds everywhere
        arc += d;
      }
    }
    EXPECT_GE(arc, 6.0);
    // A branch leaves the saddle on its own side of the unstable eigenvector (lambda, b) of
    // the Jacobian [[-2ax, 1], [b, 0]]: until it is 0.05 away it never crosses over.
    const double lambda = saddle.stability.eigenvalues[1].real();
    int sameSide = 0, close = 0;
    for (const WorldPoint p : u.points) {
      const double dx = p.x - saddle.points[0].x, dy = p.y - saddle.points[0].y;
      if (std::hypot(dx, dy) > 0.05) break;
      ++close;
      sameSide += (dx * lambda + dy * 0.3) * side > 0.0 ? 1 : 0;
    }
    EXPECT_GT(close, 5);
    EXPECT_EQ(sameSide, close) << side;
    EXPECT_GE(static_cast<double>(near), 0.99 * static_cast<double>(u.points.size())) << side;
    EXPECT_GT(u.points.size(), 600u);
  }
}

TEST(InvariantManifold, StableManifoldPointsFallInAtTheStableRate) {
  const PlaneMap map = PlaneMapOf(BuiltInHenon());
  const PeriodicOrbit saddle = HenonSaddle(map);
  const double stable = saddle.stability.eigenvalues[0].real();  // 0.155946
  for (const int side : {1, -1}) {
    ManifoldSettings settings;
    settings.arcLength = 0.5;
    settings.largestDistance = 1e-3;  // interpolation error ~ curvature * distance^2
    ManifoldGrower grower(map, saddle, 0, ManifoldKind::Stable, side, settings);
    while (grower.Grow(1000)) {
    }
    const std::vector<WorldPoint>& points = grower.Points();
    ASSERT_GT(points.size(), 50u);
    int checked = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
      WorldPoint z = points[i];
      double distance = std::hypot(z.x - saddle.points[0].x, z.y - saddle.points[0].y);
      if (distance < 1e-2 || distance > 0.2) continue;
      for (int n = 0; n < 3; ++n) {
        z = {1 - 1.4 * z.x * z.x + z.y, 0.3 * z.x};
        const double next = std::hypot(z.x - saddle.points[0].x, z.y - saddle.points[0].y);
        EXPECT_NEAR(next / distance, stable, 0.03 + 2 * distance) << i << ' ' << n;
        distance = next;
      }
      ++checked;
    }
    EXPECT_GT(checked, 100);
  }
}

// Every point of `a` lies within `tolerance` of the polyline `b`.
double FarthestFromPolyline(const std::vector<WorldPoint>& a, const std::vector<WorldPoint>& b) {
  PointGrid grid(2e-2);
  for (const WorldPoint p : b) grid.Add(p);
  double farthest = 0.0;
  for (const WorldPoint p : a) farthest = std::max(farthest, grid.Nearest(p));
  return farthest;
}

// The turn between neighbouring segments stays within the largest angle (where the
// distance does not bind first), and every branch of both kinds leaves the saddle on its
// own side of its eigenvector, moving away from it point by point.
TEST(InvariantManifold, BranchesTurnGentlyAndLeaveOnTheirOwnSide) {
  const PlaneMap map = PlaneMapOf(BuiltInHenon());
  const PeriodicOrbit saddle = HenonSaddle(map);
  ManifoldSettings settings;
  settings.arcLength = 3.0;
  settings.largestDistance = 0.2;  // so that the angle is what limits the steps
  settings.largestAngle = 0.1;
  WorkerPool pool(2);
  const std::vector<ManifoldBranch> branches = GrowManifolds(map, saddle, settings, pool);
  ASSERT_EQ(branches.size(), 4u);
  const WorldPoint s = saddle.points[0];
  // Eigenvectors (lambda, b) of the Jacobian [[-2ax, 1], [b, 0]].
  const double unstable = saddle.stability.eigenvalues[1].real(), stable = saddle.stability.eigenvalues[0].real();
  for (const ManifoldBranch& branch : branches) {
    const std::vector<WorldPoint>& p = branch.points;
    ASSERT_GT(p.size(), 20u) << BranchName(branch);
    int turns = 0;
    for (std::size_t i = 2; i < p.size(); ++i) {
      const WorldPoint a{p[i - 1].x - p[i - 2].x, p[i - 1].y - p[i - 2].y};
      const WorldPoint b{p[i].x - p[i - 1].x, p[i].y - p[i - 1].y};
      if (std::hypot(b.x, b.y) <= settings.smallestDistance) continue;
      const double turn = std::fabs(std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y));
      EXPECT_LE(turn, settings.largestAngle * (1 + 1e-9)) << BranchName(branch) << ' ' << i;
      ++turns;
    }
    EXPECT_GT(turns, 20) << BranchName(branch);
    const double lambda = branch.kind == ManifoldKind::Unstable ? unstable : stable;
    double last = 0.0;
    int close = 0;
    for (const WorldPoint q : p) {
      const double dx = q.x - s.x, dy = q.y - s.y, distance = std::hypot(dx, dy);
      if (distance > 0.05) break;
      EXPECT_GT((dx * lambda + dy * 0.3) * branch.side, 0.0) << BranchName(branch) << ' ' << close;
      EXPECT_GT(distance, last) << BranchName(branch) << ' ' << close;
      last = distance;
      ++close;
    }
    EXPECT_GT(close, 5) << BranchName(branch);
  }
}

TEST(InvariantManifold, TypedMapAndThreadCountsGiveTheSameCurves) {
  const PlaneMap builtIn = PlaneMapOf(BuiltInHenon());
  const PlaneMap typed = PlaneMapOf(TypedHenon());
  ASSERT_TRUE(builtIn.HasInverse());
  ASSERT_FALSE(typed.HasInverse());
  ManifoldSettings settings;
  settings.arcLength = 2.0;
  WorkerPool one(1), seven(7);
  const std::vector<ManifoldBranch> reference = GrowManifolds(builtIn, HenonSaddle(builtIn), settings, one);
  const std::vector<ManifoldBranch> again = GrowManifolds(builtIn, HenonSaddle(builtIn), settings, seven);
  EXPECT_EQ(FormatManifoldPoints(again), FormatManifoldPoints(reference));
  const std::vector<ManifoldBranch> fromTyped = GrowManifolds(typed, HenonSaddle(typed), settings, seven);
  ASSERT_EQ(fromTyped.size(), reference.size());
  for (std::size_t i = 0; i < reference.size(); ++i) {
    EXPECT_EQ(BranchName(fromTyped[i]), BranchName(reference[i]));
    // Neighbours lie at most 1e-2 apart, so a point on the same curve is within 5e-3 of one.
    EXPECT_LT(FarthestFromPolyline(fromTyped[i].points, reference[i].points), 5.01e-3) << BranchName(reference[i]);
    EXPECT_LT(FarthestFromPolyline(reference[i].points, fromTyped[i].points), 5.01e-3) << BranchName(reference[i]);
  }
  EXPECT_EQ(FormatManifoldPoints({reference[0]}).substr(0, 11), "unstable+1 ");
}

}  // namespace
}  // namespace orbitra
