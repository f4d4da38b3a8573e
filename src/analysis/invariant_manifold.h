// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/periodic_orbits.h"
#include "analysis/plane_map.h"
#include "maps/world_geometry.h"

namespace orbitra {

enum class ManifoldKind { Unstable, Stable };

// How a branch is grown: new points are images of points interpolated on the part grown
// before, placed so that neighbours lie at most largestDistance apart and the polyline
// turns by at most largestAngle (radians) at each point, unless they are closer than
// smallestDistance already. The first point lies firstStep from the saddle along its
// eigenvector.
struct ManifoldSettings {
  double arcLength = 10.0;  // each branch ends when its polyline is this long
  double largestAngle = 0.3;
  double largestDistance = 1e-2;
  double smallestDistance = 1e-6;
  double firstStep = 1e-7;
  std::int64_t largestPoints = 1'000'000;  // per branch
};

// One branch: the points of the polyline from the saddle outwards.
struct ManifoldBranch {
  ManifoldKind kind = ManifoldKind::Unstable;
  int side = 1;                // +1 or -1: which way along the eigenvector it leaves
  std::size_t orbitPoint = 0;  // the orbit's point it leaves from (0 is the first)
  std::vector<WorldPoint> points;
};

// "unstable+1", "stable-2", ...: kind, side, and the orbit's point counted from 1.
std::string BranchName(const ManifoldBranch& branch);

// Grows one branch of a saddle's manifold with G = F^p (F^2p when the eigenvalue is
// negative, so that the branch maps onto itself). The stable branch uses G's inverse:
// the map's closed-form inverse if it has one, otherwise Newton's method on G(z) = w
// from the preimage of the point before.
class ManifoldGrower {
 public:
  ManifoldGrower(const PlaneMap& map, const PeriodicOrbit& saddle, std::size_t orbitPoint, ManifoldKind kind,
                 int side, const ManifoldSettings& settings);

  // Adds up to `count` points; false once the branch is complete (its arc length reached,
  // its largest number of points, or it left every bound or could not be continued).
  bool Grow(std::int64_t count);
  bool Done() const noexcept { return done_; }
  const std::vector<WorldPoint>& Points() const noexcept { return points_; }
  double ArcLength() const noexcept { return arc_; }
  // The eigenvalue of G along the branch, and G's number of steps of F.
  double Eigenvalue() const noexcept { return eigenvalue_; }
  int Steps() const noexcept { return steps_; }

 private:
  bool Advance(WorldPoint q, WorldPoint guess, WorldPoint& out) const;
  bool Preimage(WorldPoint w, WorldPoint guess, WorldPoint& out) const;
  WorldPoint At(double t) const;

  const PlaneMap* map_;
  ManifoldKind kind_;
  ManifoldSettings settings_;
  WorldPoint saddle_;
  double eigenvalue_ = 0.0;
  int steps_ = 1;
  double bound_ = 0.0;
  std::vector<WorldPoint> points_;
  std::vector<double> preimageAt_;  // where on the polyline each point's preimage lies
  double step_ = 0.5;
  double arc_ = 0.0;
  bool done_ = false;
};

// Both branches of both manifolds at every point of a saddle orbit, as units of work on a
// WorkerPool (one branch each); a stopped unit resumes where it was. Branches() may be
// read at any time, from any thread, for what has grown so far.
class SaddleManifolds {
 public:
  SaddleManifolds(PlaneMap map, const PeriodicOrbit& saddle, const ManifoldSettings& settings);

  std::int64_t UnitCount() const noexcept { return static_cast<std::int64_t>(growers_.size()); }
  bool RunUnit(std::int64_t index, const std::stop_token& stop);
  std::vector<ManifoldBranch> Branches() const;
  std::int64_t PointCount() const;

 private:
  struct Slot {
    std::unique_ptr<ManifoldGrower> grower;
    ManifoldBranch shown;  // what Branches() hands out, refreshed after each chunk
  };
  PlaneMap map_;
  std::vector<Slot> growers_;
  mutable std::mutex mutex_;
  std::mutex evaluating_;
};

// Every branch grown to its end on `pool`, waiting for it.
std::vector<ManifoldBranch> GrowManifolds(const PlaneMap& map, const PeriodicOrbit& saddle,
                                          const ManifoldSettings& settings, WorkerPool& pool);

// "branch x y" per point, 12 significant digits.
std::string FormatManifoldPoints(const std::vector<ManifoldBranch>& branches);

}  // namespace orbitra
