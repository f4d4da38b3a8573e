// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "analysis/orbit_period.h"
#include "maps/coordinate_wrap.h"
#include "maps/world_geometry.h"

namespace orbitra {

// The orbit inspector's period test (FindPeriod, with its tolerances), for the whole-plane
// pictures, which keep a short window of each orbit's newest points instead of a ring:
// the orbit has period p when each of its newest max(p, kFewestRepeats) points lies within
// the tolerance of the point p iterations before it, and no shorter p does. The tolerance
// comes from the orbit alone, so any scale of the map or the picture gives the same
// periods. A point that is not a number makes nothing the same.

// Points a window must hold to look for periods up to `longest`.
inline std::int32_t PeriodWindowLength(std::int32_t longest) noexcept {
  return (longest > kFewestRepeats ? longest : kFewestRepeats) + longest;
}

// The period of the window's points x[0..n-1], y[0..n-1] (oldest first), 1 to `longest`,
// or 0 for none. On a coordinate the map wraps the distance is taken the short way round.
std::int32_t WindowPeriod(const double* x, const double* y, std::int32_t n, std::int32_t longest,
                          CoordinateWrap wrap) noexcept;

// The point of the newest p points with the smallest x (then y): the same for every orbit
// that settles on the same cycle, whatever its phase.
WorldPoint CycleRepresentative(const double* x, const double* y, std::int32_t n, std::int32_t p) noexcept;

}  // namespace orbitra
