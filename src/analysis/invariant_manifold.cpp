// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/invariant_manifold.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orbitra {

namespace {

constexpr int kNewtonIterations = 30;
constexpr std::int64_t kPointsPerChunk = 4096;

bool Finite(WorldPoint p) noexcept { return std::isfinite(p.x) && std::isfinite(p.y); }
double Length(WorldPoint d) noexcept { return std::hypot(d.x, d.y); }

WorldPoint Image(const PlaneMap& map, WorldPoint p) {
  const MapImage m = map(p.x, p.y);
  return map.Reduced({m.x, m.y});
}

// A unit eigenvector of m for its real eigenvalue `lambda`, from whichever row of
// (m - lambda I) is better conditioned.
WorldPoint Eigenvector(const MapJacobian& m, double lambda) {
  const WorldPoint a{m.dxdy, lambda - m.dxdx};
  const WorldPoint b{lambda - m.dydy, m.dydx};
  const WorldPoint v = Length(a) >= Length(b) ? a : b;
  const double n = Length(v);
  return n > 0.0 ? WorldPoint{v.x / n, v.y / n} : WorldPoint{1.0, 0.0};
}

// The angle between two directions, 0 to pi.
double Angle(WorldPoint a, WorldPoint b) {
  const double cross = a.x * b.y - a.y * b.x;
  const double dot = a.x * b.x + a.y * b.y;
  return std::fabs(std::atan2(cross, dot));
}

}  // namespace

std::string BranchName(const ManifoldBranch& branch) {
  return std::string(branch.kind == ManifoldKind::Unstable ? "unstable" : "stable") + (branch.side > 0 ? '+' : '-') +
         std::to_string(branch.orbitPoint + 1);
}

ManifoldGrower::ManifoldGrower(const PlaneMap& map, const PeriodicOrbit& saddle, std::size_t orbitPoint,
                               ManifoldKind kind, int side, const ManifoldSettings& settings)
    : map_(&map), kind_(kind), settings_(settings), saddle_(saddle.points.at(orbitPoint)) {
  const MapJacobian m = CycleJacobian(map, saddle.points, orbitPoint);
  const OrbitStability s = CycleStability(map, saddle.points, orbitPoint);
  // The eigenvalue of the wanted kind: outside the unit circle for the unstable manifold.
  const double e0 = s.eigenvalues[0].real(), e1 = s.eigenvalues[1].real();
  const bool firstUnstable = std::fabs(e0) > std::fabs(e1);
  const double lambda = (kind == ManifoldKind::Unstable) == firstUnstable ? e0 : e1;
  const WorldPoint v = Eigenvector(m, lambda);
  steps_ = static_cast<int>(saddle.points.size()) * (lambda < 0.0 ? 2 : 1);
  eigenvalue_ = lambda < 0.0 ? lambda * lambda : lambda;
  // How far the branch's map (G, or G's inverse) stretches along v.
  const double stretch = kind == ManifoldKind::Unstable ? eigenvalue_ : 1.0 / eigenvalue_;
  bound_ = 1e6 * (1.0 + Length(saddle_));
  if (!(saddle.stability.kind == OrbitClass::Saddle || saddle.stability.kind == OrbitClass::FlipSaddle) ||
      !(stretch > 1.0) || !std::isfinite(stretch)) {
    done_ = true;
    return;
  }
  const double d = side * settings_.firstStep;
  points_.push_back(map.Reduced({saddle_.x + d * v.x, saddle_.y + d * v.y}));
  points_.push_back(map.Reduced({saddle_.x + d * stretch * v.x, saddle_.y + d * stretch * v.y}));
  // Along the eigenvector the second point is the first one's image, to the order of firstStep^2.
  preimageAt_ = {-1.0, 0.0};
  arc_ = Length(map.Difference(points_[1], points_[0]));
}

WorldPoint ManifoldGrower::At(double t) const {
  const std::size_t i = static_cast<std::size_t>(t);
  if (i + 1 >= points_.size()) return points_.back();
  const double f = t - static_cast<double>(i);
  const WorldPoint a = points_[i];
  const WorldPoint d = map_->Difference(points_[i + 1], a);
  return map_->Reduced({a.x + f * d.x, a.y + f * d.y});
}

bool ManifoldGrower::Preimage(WorldPoint w, WorldPoint guess, WorldPoint& out) const {
  const PlaneMap& map = *map_;
  if (map.HasInverse()) {
    for (int k = 0; k < steps_; ++k) {
      const MapImage m = map.Inverse(w.x, w.y);
      w = map.Reduced({m.x, m.y});
    }
    out = w;
    return Finite(w);
  }
  // Newton's method on G(z) = w from the preimage of the point before.
  WorldPoint z = guess;
  const double tolerance = 1e-13 * (1.0 + Length(w));
  for (int iteration = 0; iteration < kNewtonIterations; ++iteration) {
    MapJacobian dg = kIdentityJacobian;
    WorldPoint g = z;
    for (int k = 0; k < steps_; ++k) {
      dg = Compose(map.Jacobian(g.x, g.y), dg);
      g = Image(map, g);
    }
    const WorldPoint r = map.Difference(g, w);
    if (!Finite(r)) return false;
    if (Length(r) <= tolerance) {
      out = z;
      return true;
    }
    const double det = dg.Determinant();
    if (!(std::fabs(det) > 0.0)) return false;
    z = map.Reduced({z.x - (dg.dydy * r.x - dg.dxdy * r.y) / det, z.y - (dg.dxdx * r.y - dg.dydx * r.x) / det});
  }
  // Rounding may keep the residual just above the tolerance: take a point that is close.
  WorldPoint g = z;
  for (int k = 0; k < steps_; ++k) g = Image(map, g);
  out = z;
  return Length(map.Difference(g, w)) <= 1e4 * tolerance;
}

bool ManifoldGrower::Advance(WorldPoint q, WorldPoint guess, WorldPoint& out) const {
  if (kind_ == ManifoldKind::Stable) return Preimage(q, guess, out);
  for (int k = 0; k < steps_; ++k) q = Image(*map_, q);
  out = q;
  return Finite(q);
}

bool ManifoldGrower::Grow(std::int64_t count) {
  const PlaneMap& map = *map_;
  for (std::int64_t added = 0; added < count && !done_;) {
    if (arc_ >= settings_.arcLength || static_cast<std::int64_t>(points_.size()) >= settings_.largestPoints) {
      done_ = true;
      break;
    }
    const double end = static_cast<double>(points_.size() - 1);
    const double t = std::min(preimageAt_.back() + step_, end);
    const WorldPoint last = points_.back();
    WorldPoint next;
    if (!Advance(At(t), last, next) || std::fabs(next.x) > bound_ || std::fabs(next.y) > bound_) {
      done_ = true;
      break;
    }
    const WorldPoint stepTaken = map.Difference(next, last);
    const double distance = Length(stepTaken);
    const double angle = Angle(map.Difference(last, points_[points_.size() - 2]), stepTaken);
    const bool tooFar = distance > settings_.largestDistance ||
                        (angle > settings_.largestAngle && distance > settings_.smallestDistance);
    // A step this small that still jumps is a real gap of the curve (the map is not
    // continuous there): take the point rather than halve for ever.
    if (tooFar && step_ > 1e-12) {
      step_ *= 0.5;
      continue;
    }
    points_.push_back(next);
    preimageAt_.push_back(t);
    arc_ += distance;
    ++added;
    if (distance < 0.5 * settings_.largestDistance && angle < 0.5 * settings_.largestAngle) step_ *= 2.0;
  }
  return !done_;
}

SaddleManifolds::SaddleManifolds(PlaneMap map, const PeriodicOrbit& saddle, const ManifoldSettings& settings)
    : map_(std::move(map)) {
  for (std::size_t i = 0; i < saddle.points.size(); ++i) {
    for (const ManifoldKind kind : {ManifoldKind::Unstable, ManifoldKind::Stable}) {
      for (const int side : {1, -1}) {
        Slot slot;
        slot.grower = std::make_unique<ManifoldGrower>(map_, saddle, i, kind, side, settings);
        slot.shown = ManifoldBranch{kind, side, i, slot.grower->Points()};
        growers_.push_back(std::move(slot));
      }
    }
  }
}

bool SaddleManifolds::RunUnit(std::int64_t index, const std::stop_token& stop) {
  Slot& slot = growers_[static_cast<std::size_t>(index)];
  while (!slot.grower->Done()) {
    if (stop.stop_requested()) return false;
    {
      std::unique_lock lock(evaluating_, std::defer_lock);
      if (!map_.Concurrent()) lock.lock();
      slot.grower->Grow(kPointsPerChunk);
    }
    const std::lock_guard lock(mutex_);
    slot.shown.points = slot.grower->Points();
  }
  return true;
}

std::vector<ManifoldBranch> SaddleManifolds::Branches() const {
  const std::lock_guard lock(mutex_);
  std::vector<ManifoldBranch> branches;
  for (const Slot& slot : growers_) branches.push_back(slot.shown);
  return branches;
}

std::int64_t SaddleManifolds::PointCount() const {
  const std::lock_guard lock(mutex_);
  std::int64_t n = 0;
  for (const Slot& slot : growers_) n += static_cast<std::int64_t>(slot.shown.points.size());
  return n;
}

std::vector<ManifoldBranch> GrowManifolds(const PlaneMap& map, const PeriodicOrbit& saddle,
                                          const ManifoldSettings& settings, WorkerPool& pool) {
  SaddleManifolds manifolds(map, saddle, settings);
  pool.Run(manifolds.UnitCount(),
           [&manifolds](std::int64_t index, std::stop_token stop) { return manifolds.RunUnit(index, stop); });
  return manifolds.Branches();
}

std::string FormatManifoldPoints(const std::vector<ManifoldBranch>& branches) {
  std::string text;
  char line[96];
  for (const ManifoldBranch& branch : branches) {
    const std::string name = BranchName(branch);
    for (const WorldPoint p : branch.points) {
      std::snprintf(line, sizeof line, " %.12g %.12g\n", p.x, p.y);
      text += name;
      text += line;
    }
  }
  return text;
}

}  // namespace orbitra
