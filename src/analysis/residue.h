// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stop_token>
#include <vector>

#include "analysis/periodic_orbits.h"
#include "analysis/plane_map.h"

namespace orbitra {

// Greene's residue of a periodic orbit of an area-preserving map: R = (2 - trace) / 4, the
// trace of the Jacobian of F^p along it. 0 < R < 1 elliptic, R < 0 a saddle, R > 1 a flip
// saddle; R = 0 and R = 1 are the parabolic edges.
inline double Residue(const OrbitStability& s) noexcept { return (2.0 - s.trace) / 4.0; }

// The lifted advance of x round the orbit, over its period (see RotationNumber): p / q for
// an orbit of type p/q. Not a number for a map whose x does not wrap.
double OrbitRotation(const PlaneMap& map, const std::vector<WorldPoint>& points);

// Whether the orbit's points advance p wraps of x in q iterations (p modulo q).
bool HasRotationType(const PlaneMap& map, const std::vector<WorldPoint>& points, int p, int q);

// The twist-map guess for an orbit of type p/q: q points spread evenly, x_i = x0 + i p L / q
// (L the period of x), all at height y0.
std::vector<WorldPoint> TwistGuess(const PlaneMap& map, int p, int q, double x0, double y0);

// The orbits of type p/q (p / q in lowest terms) of a map whose x wraps, with a point in
// `region`: Newton's method on the multiple-shooting system from twist-map guesses at 16
// heights of the region and 8 phases within one spacing L / q, kept when they advance p
// wraps in q iterations. The first point of each has the smallest x (then y); ordered by
// it. Nothing for a map whose x does not wrap. A stop asked for ends the search after the
// guess at hand, with what it found so far.
std::vector<PeriodicOrbit> FindOrbitsOfType(const PlaneMap& map, int p, int q, const WorldRange& region,
                                            const std::stop_token& stop = {});

}  // namespace orbitra
