// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/periodic_orbits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orbitra {

namespace {

constexpr int kNewtonIterations = 60;
// The largest residual, relative to the size of the coordinates, that counts as rounding.
constexpr double kResidualAtRounding = 1e-13;
// A few units in the last place of a coordinate of size 1: what a residual at rounding holds.
constexpr double kUnitRoundoffs = 8.9e-16;
constexpr std::size_t kSeedsPerUnit = 32;
// Orbits run for seeds: this many starts on a coarse grid, each after a transient.
constexpr int kOrbitStartsPerSide = 8;
constexpr int kTransient = 100;

bool Finite(WorldPoint p) noexcept { return std::isfinite(p.x) && std::isfinite(p.y); }

double Norm(WorldPoint d) noexcept { return std::max(std::fabs(d.x), std::fabs(d.y)); }

double RowSumNorm(const MapJacobian& j) noexcept {
  return std::max(std::fabs(j.dxdx) + std::fabs(j.dxdy), std::fabs(j.dydx) + std::fabs(j.dydy));
}

WorldPoint Apply(const MapJacobian& j, WorldPoint v) noexcept {
  return {j.dxdx * v.x + j.dxdy * v.y, j.dydx * v.x + j.dydy * v.y};
}

WorldPoint Image(const PlaneMap& map, WorldPoint p) {
  const MapImage m = map(p.x, p.y);
  return {m.x, m.y};
}

bool Inside(const WorldRange& r, WorldPoint p) noexcept {
  return r.Xmin <= p.x && p.x <= r.Xmax && r.Ymin <= p.y && p.y <= r.Ymax;
}

// Whether b is a and the same orbit, possibly entered at another point.
bool SameOrbit(const PlaneMap& map, const PeriodicOrbit& a, const PeriodicOrbit& b, double tolerance) {
  if (a.period != b.period) return false;
  const std::size_t p = a.points.size();
  for (std::size_t shift = 0; shift < p; ++shift) {
    if (Norm(map.Difference(b.points[shift], a.points[0])) >= tolerance) continue;
    bool all = true;
    for (std::size_t i = 1; i < p && all; ++i) {
      all = Norm(map.Difference(b.points[(i + shift) % p], a.points[i])) < tolerance;
    }
    if (all) return true;
  }
  return false;
}

void KeepNew(const PlaneMap& map, std::vector<PeriodicOrbit>& kept, PeriodicOrbit orbit, double tolerance) {
  for (const PeriodicOrbit& k : kept) {
    if (SameOrbit(map, k, orbit, tolerance)) return;
  }
  kept.push_back(std::move(orbit));
}

bool Earlier(const PeriodicOrbit& a, const PeriodicOrbit& b) {
  if (a.period != b.period) return a.period < b.period;
  if (a.points[0].x != b.points[0].x) return a.points[0].x < b.points[0].x;
  return a.points[0].y < b.points[0].y;
}

}  // namespace

MapJacobian CycleJacobian(const PlaneMap& map, const std::vector<WorldPoint>& points, std::size_t first) {
  MapJacobian m = kIdentityJacobian;
  const std::size_t p = points.size();
  for (std::size_t k = 0; k < p; ++k) {
    const WorldPoint z = points[(first + k) % p];
    m = Compose(map.Jacobian(z.x, z.y), m);
  }
  return m;
}

std::vector<WorldPoint> ConvergePeriodicOrbit(const PlaneMap& map, std::vector<WorldPoint> z, double tolerance,
                                              double largestStep) {
  const std::size_t p = z.size();
  std::vector<WorldPoint> residual(p);
  std::vector<MapJacobian> jacobian(p);
  std::vector<WorldPoint> step(p);
  // The scale of the coordinates, for what rounding leaves of a residual.
  double size = 1.0;
  for (const WorldPoint q : z) size = std::max(size, Norm(q));
  double previousStep = HUGE_VAL;
  for (int iteration = 0; iteration <= kNewtonIterations; ++iteration) {
    // Residuals G_i = F(z_i) - z_(i+1) and the Jacobians at the z_i.
    double largest = 0.0;
    for (std::size_t i = 0; i < p; ++i) {
      const WorldPoint image = Image(map, z[i]);
      residual[i] = map.Difference(image, z[(i + 1) % p]);
      jacobian[i] = map.Jacobian(z[i].x, z[i].y);
      largest = std::max(largest, Norm(residual[i]));
    }
    if (!(largest < HUGE_VAL)) return {};

    // The Newton step solves J_i dz_i - dz_(i+1) = -G_i. With dz_i = Phi_i dz_0 + r_i the
    // cycle closes when (I - Phi_p) dz_0 = r_p.
    MapJacobian phi = kIdentityJacobian;
    WorldPoint r{0.0, 0.0};
    double growth = 1.0;  // the largest of the partial products Phi_i, which carry rounding along
    for (std::size_t i = 0; i < p; ++i) {
      const WorldPoint jr = Apply(jacobian[i], r);
      r = {jr.x + residual[i].x, jr.y + residual[i].y};
      phi = Compose(jacobian[i], phi);
      growth = std::max(growth, RowSumNorm(phi));
    }
    const MapJacobian a{1.0 - phi.dxdx, -phi.dxdy, -phi.dydx, 1.0 - phi.dydy};
    const double det = a.Determinant();
    if (!(std::fabs(det) > 1e-300) || !std::isfinite(det)) return {};
    step[0] = {(a.dydy * r.x - a.dxdy * r.y) / det, (a.dxdx * r.y - a.dydx * r.x) / det};
    double longest = Norm(step[0]);
    for (std::size_t i = 0; i + 1 < p; ++i) {
      const WorldPoint js = Apply(jacobian[i], step[i]);
      step[i + 1] = {js.x + residual[i].x, js.y + residual[i].y};
      longest = std::max(longest, Norm(step[i + 1]));
    }
    if (!(longest < HUGE_VAL)) return {};
    // Converged: the residual is at the level of rounding, and the step Newton would still
    // take is far below the distance that tells orbits apart and came down quadratically
    // (at a simple root each step is about the square of the one before; at a degenerate
    // one, where the eigenvalues of F^p are 1, it only halves, and such a point may lie far
    // from any orbit with a tiny residual). A step at rounding level needs no such descent.
    //
    // Nor is a root kept that rounding cannot place: a residual of a few units in the last
    // place moves the solution by that much times |(I - Phi_p)^-1|, which near a
    // degenerate orbit (multipliers near 1 on F^p) is far more than the distance that
    // tells orbits apart; such points lie anywhere in a band of tiny residuals around it.
    //
    // On a long orbit the step itself is computed through the partial products, so below
    // the rounding they carry (a few units in the last place times their size and the
    // inverse's) it is noise that no longer shrinks; a step down there counts as zero.
    const double rounding = 1e-13 * size;
    const double inverseNorm =
        std::max(std::fabs(a.dydy) + std::fabs(a.dxdy), std::fabs(a.dydx) + std::fabs(a.dxdx)) / std::fabs(det);
    const double stepNoise = kUnitRoundoffs * size * growth * (1.0 + inverseNorm);
    if (largest <= kResidualAtRounding * size && longest <= 1e-3 * tolerance &&
        (longest <= rounding || longest <= 1e-2 * previousStep || longest <= stepNoise)) {
      if (!(kUnitRoundoffs * size * inverseNorm <= 1e-2 * tolerance)) return {};
      return z;
    }
    if (iteration == kNewtonIterations) return {};
    previousStep = longest;
    const double scale = longest > largestStep ? largestStep / longest : 1.0;
    for (std::size_t i = 0; i < p; ++i) {
      z[i] = map.Reduced({z[i].x + scale * step[i].x, z[i].y + scale * step[i].y});
    }
  }
  return {};
}

OrbitStability CycleStability(const PlaneMap& map, const std::vector<WorldPoint>& points, std::size_t first) {
  // det F^p is the product of the steps' determinants: exact where each step's is (1 for a
  // map that preserves area, -b for Henon's), where the entries of the product matrix
  // would cancel to it and lose its digits.
  double det = 1.0;
  for (const WorldPoint z : points) det *= map.Jacobian(z.x, z.y).Determinant();
  return StabilityOf(CycleJacobian(map, points, first), det);
}

PeriodicOrbitFinder::PeriodicOrbitFinder(PlaneMap map, PeriodicOrbitSearch search)
    : map_(std::move(map)), search_(search) {
  search_.maxPeriod = std::clamp(search_.maxPeriod, 1, kLargestOrbitPeriod);
  const WorldRange& r = search_.region;
  const double width = r.Xmax - r.Xmin, height = r.Ymax - r.Ymin;
  const double scale = std::max({1.0, std::fabs(r.Xmin), std::fabs(r.Xmax), std::fabs(r.Ymin), std::fabs(r.Ymax),
                                 width, height});
  tolerance_ = 1e-7 * scale;
  largestStep_ = std::max(0.125 * std::hypot(width, height), 1e-6 * scale);

  const int side = std::max(1, search_.gridSide);
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) {
      seeds_.push_back({r.Xmin + (i + 0.5) * width / side, r.Ymin + (j + 0.5) * height / side});
    }
  }
  // Points of orbits that stay in the region: near-returns there lie close to periodic
  // orbits of the map's own dynamics.
  const int perStart = search_.orbitSeeds / (kOrbitStartsPerSide * kOrbitStartsPerSide);
  for (int j = 0; j < kOrbitStartsPerSide && perStart > 0; ++j) {
    for (int i = 0; i < kOrbitStartsPerSide; ++i) {
      WorldPoint z{r.Xmin + (i + 0.5) * width / kOrbitStartsPerSide, r.Ymin + (j + 0.5) * height / kOrbitStartsPerSide};
      for (int n = 0; n < kTransient && Finite(z); ++n) z = Image(map_, z);
      for (int taken = 0, n = 0; taken < perStart && n < 8 * perStart && Finite(z); ++n) {
        if (Inside(r, z)) {
          seeds_.push_back(z);
          ++taken;
        }
        z = Image(map_, z);
      }
    }
  }
  chunks_ = static_cast<std::int64_t>((seeds_.size() + kSeedsPerUnit - 1) / kSeedsPerUnit);
  found_.resize(static_cast<std::size_t>(UnitCount()));
  done_.assign(found_.size(), 0);
}

std::int64_t PeriodicOrbitFinder::UnitCount() const noexcept { return chunks_ * search_.maxPeriod; }

bool PeriodicOrbitFinder::RunUnit(std::int64_t index, std::stop_token stop) {
  const int period = static_cast<int>(index / chunks_) + 1;
  const std::size_t first = static_cast<std::size_t>(index % chunks_) * kSeedsPerUnit;
  const std::size_t last = std::min(seeds_.size(), first + kSeedsPerUnit);
  std::vector<PeriodicOrbit> found;
  if (map_.Concurrent()) {
    found = Search(period, first, last, stop);
  } else {
    const std::lock_guard lock(evaluating_);
    found = Search(period, first, last, stop);
  }
  if (stop.stop_requested()) return false;
  const std::lock_guard lock(mutex_);
  found_[static_cast<std::size_t>(index)] = std::move(found);
  done_[static_cast<std::size_t>(index)] = 1;
  return true;
}

std::vector<PeriodicOrbit> PeriodicOrbitFinder::Search(int period, std::size_t firstSeed, std::size_t lastSeed,
                                                       const std::stop_token& stop) const {
  std::vector<PeriodicOrbit> found;
  const std::size_t p = static_cast<std::size_t>(period);
  std::vector<WorldPoint> start(p);
  for (std::size_t s = firstSeed; s < lastSeed && !stop.stop_requested(); ++s) {
    start[0] = seeds_[s];
    bool finite = true;
    for (std::size_t i = 1; i < p && finite; ++i) {
      start[i] = map_.Reduced(Image(map_, start[i - 1]));
      finite = Finite(start[i]);
    }
    if (!finite) continue;
    std::vector<WorldPoint> z = ConvergePeriodicOrbit(map_, start, tolerance_, largestStep_);
    if (z.empty()) continue;
    // Prime: no shorter period d (a divisor of p) returns to the first point.
    bool prime = true;
    for (std::size_t d = 1; d < p && prime; ++d) {
      prime = p % d != 0 || Norm(map_.Difference(z[d], z[0])) >= tolerance_;
    }
    if (!prime) continue;
    if (std::none_of(z.begin(), z.end(), [&](WorldPoint q) { return Inside(search_.region, q); })) continue;
    const auto smallest = std::min_element(z.begin(), z.end(), [](WorldPoint a, WorldPoint b) {
      return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
    std::rotate(z.begin(), smallest, z.end());
    PeriodicOrbit orbit{period, std::move(z), {}};
    orbit.stability = CycleStability(map_, orbit.points);
    KeepNew(map_, found, std::move(orbit), tolerance_);
  }
  return found;
}

std::vector<PeriodicOrbit> PeriodicOrbitFinder::Orbits() const {
  std::vector<PeriodicOrbit> all;
  const std::lock_guard lock(mutex_);
  for (std::size_t u = 0; u < found_.size(); ++u) {
    if (!done_[u]) continue;
    for (const PeriodicOrbit& orbit : found_[u]) KeepNew(map_, all, orbit, tolerance_);
  }
  std::stable_sort(all.begin(), all.end(), Earlier);
  return all;
}

std::vector<PeriodicOrbit> FindPeriodicOrbits(const PlaneMap& map, const PeriodicOrbitSearch& search,
                                              WorkerPool& pool) {
  PeriodicOrbitFinder finder(map, search);
  pool.Run(finder.UnitCount(), [&finder](std::int64_t index, std::stop_token stop) {
    return finder.RunUnit(index, std::move(stop));
  });
  return finder.Orbits();
}

namespace {

std::string Number(const char* format, double v) {
  char text[40];
  std::snprintf(text, sizeof text, format, v == 0.0 ? 0.0 : v);
  return text;
}

std::string Eigenvalue(std::complex<double> e) {
  if (e.imag() == 0.0) return Number("%.7g", e.real());
  return Number("%.7g", e.real()) + Number("%+.7g", e.imag()) + "i";
}

}  // namespace

std::array<std::string, 6> PeriodicOrbitColumns(const PeriodicOrbit& orbit) {
  const WorldPoint first = orbit.points.front();
  return {std::to_string(orbit.period), Number("%.12g", first.x), Number("%.12g", first.y),
          Eigenvalue(orbit.stability.eigenvalues[0]), Eigenvalue(orbit.stability.eigenvalues[1]),
          std::string(ClassName(orbit.stability.kind))};
}

std::string FormatPeriodicOrbit(const PeriodicOrbit& orbit) {
  std::string line;
  for (const std::string& column : PeriodicOrbitColumns(orbit)) line += (line.empty() ? "" : " ") + column;
  return line;
}

std::string ResidueColumn(const PeriodicOrbit& orbit) { return Number("%.7g", (2.0 - orbit.stability.trace) / 4.0); }

std::string FormatPeriodicOrbits(const std::vector<PeriodicOrbit>& orbits) { return FormatPeriodicOrbits(orbits, false); }

std::string FormatPeriodicOrbits(const std::vector<PeriodicOrbit>& orbits, bool residues) {
  std::string text;
  for (const PeriodicOrbit& orbit : orbits) {
    text += FormatPeriodicOrbit(orbit);
    if (residues) text += " " + ResidueColumn(orbit);
    text += '\n';
  }
  return text;
}

}  // namespace orbitra
