// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/residue.h"

#include "analysis/grid_settings.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orbitra {

double OrbitRotation(const PlaneMap& map, const std::vector<WorldPoint>& points) {
  const double period = map.Wrap().x;
  if (!(period > 0.0) || points.empty()) return NAN;
  double sum = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    double d = std::fmod(points[(i + 1) % points.size()].x - points[i].x, period);
    sum += d < 0.0 ? d + period : d;
  }
  return sum / (period * static_cast<double>(points.size()));
}

bool HasRotationType(const PlaneMap& map, const std::vector<WorldPoint>& points, int p, int q) {
  const double turns = OrbitRotation(map, points) * static_cast<double>(points.size());
  return std::isfinite(turns) && std::fabs(std::remainder(turns - p, q)) < 1e-6;
}

std::vector<WorldPoint> TwistGuess(const PlaneMap& map, int p, int q, double x0, double y0) {
  const double period = map.Wrap().x;
  std::vector<WorldPoint> z(static_cast<std::size_t>(q));
  for (int i = 0; i < q; ++i) {
    z[static_cast<std::size_t>(i)] = map.Reduced({x0 + std::fmod(static_cast<double>(i) * p, q) * period / q, y0});
  }
  return z;
}

std::vector<PeriodicOrbit> FindOrbitsOfType(const PlaneMap& map, int p, int q, const WorldRange& region,
                                            const std::stop_token& stop) {
  std::vector<PeriodicOrbit> found;
  const double period = map.Wrap().x;
  if (!(period > 0.0) || q < 1) return found;
  const int g = std::gcd(p, q);
  p /= g, q /= g;
  const double scale = std::max({1.0, std::fabs(region.Xmin), std::fabs(region.Xmax), std::fabs(region.Ymin),
                                 std::fabs(region.Ymax), period});
  const double tolerance = 1e-7 * scale;
  // Newton from `guess`; the orbit kept when it has the type, a point in the region and
  // is not known yet.
  const auto tryGuess = [&](const std::vector<WorldPoint>& guess, double largestStep) {
    std::vector<WorldPoint> z = ConvergePeriodicOrbit(map, guess, tolerance, largestStep);
    if (z.empty() || !HasRotationType(map, z, p, q)) return;
    if (std::none_of(z.begin(), z.end(), [&](WorldPoint w) {
          return region.Xmin <= w.x && w.x <= region.Xmax && region.Ymin <= w.y && w.y <= region.Ymax;
        })) {
      return;
    }
    std::rotate(z.begin(), std::min_element(z.begin(), z.end(), [](WorldPoint a, WorldPoint b) {
                  return a.x != b.x ? a.x < b.x : a.y < b.y;
                }), z.end());
    const bool known = std::any_of(found.begin(), found.end(), [&](const PeriodicOrbit& o) {
      return std::any_of(o.points.begin(), o.points.end(), [&](WorldPoint w) {
        const WorldPoint d = map.Difference(w, z[0]);
        return std::max(std::fabs(d.x), std::fabs(d.y)) < tolerance;
      });
    });
    if (known) return;
    PeriodicOrbit orbit{q, std::move(z), {}};
    orbit.stability = CycleStability(map, orbit.points);
    found.push_back(std::move(orbit));
  };
  constexpr int kHeights = 16, kPhases = 8;
  for (int h = 0; h < kHeights; ++h) {
    const double y0 = CellCentre(region.Ymin, region.Ymax, kHeights, h);
    for (int f = 0; f < kPhases && !stop.stop_requested(); ++f) {
      const double x0 = region.Xmin + (f + 0.5) * period / (kPhases * q);
      tryGuess(TwistGuess(map, p, q, x0, y0), 0.25 * period / q);
    }
  }
  // The orbits of a pair interleave: the points of one lie about half a spacing from the
  // other's. Newton from the level guesses may find only one of them (the saddle's basin
  // can miss them all), so each orbit found is shifted by half a spacing either way, its
  // heights spread a little up and down in turn, as a kick spreads them.
  const std::size_t fromGrid = found.size();
  for (std::size_t i = 0; i < fromGrid && !stop.stop_requested(); ++i) {
    for (const double shift : {0.5, -0.5}) {
      for (int spread = 0; spread <= 4; ++spread) {
        for (const double sign : {1.0, -1.0}) {
          if (spread == 0 && sign < 0.0) continue;
          std::vector<WorldPoint> guess = found[i].points;
          for (std::size_t k = 0; k < guess.size(); ++k) {
            const double dy = (k % 2 == 0 ? sign : -sign) * spread * period / (16.0 * q);
            guess[k] = map.Reduced({guess[k].x + shift * period / q, guess[k].y + dy});
          }
          tryGuess(guess, 0.125 * period / q);
        }
      }
    }
  }
  std::sort(found.begin(), found.end(), [](const PeriodicOrbit& a, const PeriodicOrbit& b) {
    return a.points[0].x != b.points[0].x ? a.points[0].x < b.points[0].x : a.points[0].y < b.points[0].y;
  });
  return found;
}

}  // namespace orbitra
