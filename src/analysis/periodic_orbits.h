// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/orbit_stability.h"
#include "analysis/plane_map.h"
#include "maps/world_geometry.h"
#include "platform/worker_pool.h"

namespace orbitra {

inline constexpr int kLargestOrbitPeriod = 20;

struct PeriodicOrbitSearch {
  int maxPeriod = 8;  // periods 1 to maxPeriod, at most kLargestOrbitPeriod
  WorldRange region;  // orbits are kept when one of their points lies in it (bounds included)
  int gridSide = 64;  // seeds on a gridSide x gridSide grid of the region ...
  int orbitSeeds = 2048;  // ... and this many points of orbits run in the region
};

// A prime periodic orbit: its points in the map's order, the first the one with the
// smallest x (then y), and its stability.
struct PeriodicOrbit {
  int period = 0;
  std::vector<WorldPoint> points;
  OrbitStability stability;
};

// Newton's method on the multiple-shooting system of period p from `start`: the p points
// z_i are the unknowns, F(z_i) = z_(i+1) (indices mod p) the 2p equations. The orbit
// found, in the order found, or an empty vector when Newton did not converge
// quadratically to a residual at rounding level (see the .cpp). No step is longer than
// largestStep (the largest coordinate change).
std::vector<WorldPoint> ConvergePeriodicOrbit(const PlaneMap& map, std::vector<WorldPoint> start,
                                              double tolerance, double largestStep);

// The Jacobian of F^p along `points`, from points[first] round to it again.
MapJacobian CycleJacobian(const PlaneMap& map, const std::vector<WorldPoint>& points, std::size_t first = 0);
// The stability of the cycle, its determinant the product of the steps' determinants.
OrbitStability CycleStability(const PlaneMap& map, const std::vector<WorldPoint>& points, std::size_t first = 0);

// The search as fixed units of work (a period and a slice of the seeds each), so that it
// runs on a WorkerPool, stops and resumes, and gives the same list on any number of
// threads: each unit keeps its own findings; Orbits() merges them in unit order.
class PeriodicOrbitFinder {
 public:
  PeriodicOrbitFinder(PlaneMap map, PeriodicOrbitSearch search);

  std::int64_t UnitCount() const noexcept;
  // One unit; false when stopped before its end (nothing kept). Safe from several threads.
  bool RunUnit(std::int64_t index, std::stop_token stop);
  // Every distinct prime orbit the finished units found, by period, then by first point.
  std::vector<PeriodicOrbit> Orbits() const;

  const PlaneMap& Map() const noexcept { return map_; }

 private:
  std::vector<PeriodicOrbit> Search(int period, std::size_t firstSeed, std::size_t lastSeed,
                                    const std::stop_token& stop) const;

  PlaneMap map_;
  PeriodicOrbitSearch search_;
  std::vector<WorldPoint> seeds_;
  std::int64_t chunks_ = 0;
  double tolerance_ = 0.0;     // same orbit, converged: distances below this
  double largestStep_ = 0.0;   // Newton steps are cut down to this length
  std::vector<std::vector<PeriodicOrbit>> found_;  // per unit
  std::vector<char> done_;
  mutable std::mutex mutex_;
  std::mutex evaluating_;  // a map that serves one caller at a time
};

// The whole search on `pool`, waiting for it.
std::vector<PeriodicOrbit> FindPeriodicOrbits(const PlaneMap& map, const PeriodicOrbitSearch& search,
                                              WorkerPool& pool);

// "period x y eigenvalue eigenvalue class", the point to 12 significant digits, the
// eigenvalues to 7 (a complex pair as a+bi and a-bi).
std::string FormatPeriodicOrbit(const PeriodicOrbit& orbit);
// The same six fields, one per column of a table.
std::array<std::string, 6> PeriodicOrbitColumns(const PeriodicOrbit& orbit);
std::string FormatPeriodicOrbits(const std::vector<PeriodicOrbit>& orbits);
// Greene's residue (2 - trace) / 4 to 7 significant digits, as the lists with residues
// show it.
std::string ResidueColumn(const PeriodicOrbit& orbit);
// With `residues`, each line ends in Greene's residue (2 - trace) / 4 to 7 digits: what
// tells elliptic from hyperbolic orbits of a map that preserves area.
std::string FormatPeriodicOrbits(const std::vector<PeriodicOrbit>& orbits, bool residues);

}  // namespace orbitra
