// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "analysis/orbit_period.h"
#include "maps/coordinate_wrap.h"
#include "maps/world_geometry.h"

namespace orbitra {

// The orbit inspector's period test (DecidePeriod, with its tolerances), for the whole-plane
// pictures, which keep a short window of each orbit's newest points instead of a ring:
// the orbit has period p when each of its newest max(p, kFewestRepeats) points lies within
// the tolerance of the point p iterations before it, no shorter p does, and the orbit has
// settled on it (no divisor of p nearly closing, the distances at lag p no longer
// shrinking over kSettleReturns returns); kNotSettled when p closes but the orbit has not
// settled. The tolerance comes from the orbit alone, so any scale of the map or the
// picture gives the same periods. A point that is not a number makes nothing the same.

// Points a window must hold to look for periods up to `longest` and look back over the
// returns of the longest.
inline std::int32_t PeriodWindowLength(std::int32_t longest) noexcept {
  return (longest > kFewestRepeats ? longest : kFewestRepeats) + (kSettleReturns + 1) * longest;
}

// The period of the window's points x[0..n-1], y[0..n-1] (oldest first), 1 to `longest`,
// 0 for none, or kNotSettled. On a coordinate the map wraps the distance is taken the
// short way round.
std::int32_t WindowPeriod(const double* x, const double* y, std::int32_t n, std::int32_t longest,
                          CoordinateWrap wrap) noexcept;

// The point of the newest p points with the smallest x (then y): the same for every orbit
// that settles on the same cycle, whatever its phase.
WorldPoint CycleRepresentative(const double* x, const double* y, std::int32_t n, std::int32_t p) noexcept;

}  // namespace orbitra
