#pragma once

#include <cstdint>

#include "maps/coordinate_wrap.h"
#include "maps/world_geometry.h"

namespace orbitra {

// The rule of the orbit inspector's period test, for the whole-plane pictures, which keep
// a short window of each orbit's newest points instead of a ring:
// the orbit has period p when each of its newest max(p, 8) points lies within the
// tolerance of the point p iterations before it, and no shorter p does. The tolerance of
// a coordinate is 1e-6 of the extent of the window's points in it, or of 1e-4 of their
// largest size where they have (nearly) stopped moving: it comes from the orbit alone, so
// any scale of the map or the picture gives the same periods. A point that is not a
// number makes nothing the same.
//
// The floor, 1e-10 of the coordinate's size, is far above rounding: an orbit settled on an
// attracting point whose multiplier is near -1 ends in a 2-cycle of the last bits (the
// Henon map at k1 = 0.2725: 7 units of the last place, 1.6e-15 of x), which a floor of
// 1e-15 would call period 2.
inline constexpr double kWindowPeriodTolerance = 1e-6;
inline constexpr double kWindowSettledExtent = 1e-4;
inline constexpr std::int32_t kWindowFewestRepeats = 8;

// Points a window must hold to look for periods up to `longest`.
inline std::int32_t PeriodWindowLength(std::int32_t longest) noexcept {
  return (longest > kWindowFewestRepeats ? longest : kWindowFewestRepeats) + longest;
}

// The period of the window's points x[0..n-1], y[0..n-1] (oldest first), 1 to `longest`,
// or 0 for none. On a coordinate the map wraps the distance is taken the short way round.
std::int32_t WindowPeriod(const double* x, const double* y, std::int32_t n, std::int32_t longest,
                          CoordinateWrap wrap) noexcept;

// The point of the newest p points with the smallest x (then y): the same for every orbit
// that settles on the same cycle, whatever its phase.
WorldPoint CycleRepresentative(const double* x, const double* y, std::int32_t n, std::int32_t p) noexcept;

}  // namespace orbitra
