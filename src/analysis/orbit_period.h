// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

#include "maps/coordinate_wrap.h"
#include "maps/world_geometry.h"

namespace orbitra {

// The longest period looked for.
inline constexpr int kLongestPeriod = 1000;
// However short the period, at least this many iterates must have repeated.
inline constexpr int kFewestRepeats = 8;
// Two points are the same when they differ by at most this part of the orbit's own extent
// in x and in y (over the points kept): far below a pixel of any box that shows the orbit.
inline constexpr double kPeriodTolerance = 1e-6;
// The extent of a coordinate that the orbit has (nearly) settled in counts as at least
// this part of the coordinate's size, so that rounding in the last bits is not a difference:
// the floor, 1e-10 of the size, lies far above rounding. An orbit settled on an attracting
// point whose multiplier is near -1 ends in a 2-cycle of the last bits (the Henon map at
// k1 = 0.2725: 7 units of the last place, 1.6e-15 of x), which a floor near 1e-15 would
// call period 2.
inline constexpr double kSettledExtent = 1e-4;
// |a - b|, the short way round when the coordinate wraps with that period (0: no wrap);
// not a number stays one.
double WrappedDistance(double a, double b, double period) noexcept;

// Points the inspector keeps: enough for a longest period seen twice over.
inline constexpr std::size_t kRecentCapacity = 2048;
static_assert(kRecentCapacity >= 2 * kLongestPeriod && (kRecentCapacity & (kRecentCapacity - 1)) == 0);

// The newest points of an orbit, in a ring of kRecentCapacity points: `count` points were
// written so far, point k at ring[k % kRecentCapacity].
struct RecentPoints {
  const WorldPoint* ring = nullptr;
  std::uint64_t count = 0;

  // The point `age` iterations before the newest (0: the newest); age < min(count, capacity).
  const WorldPoint& Back(std::uint64_t age) const noexcept {
    return ring[(count - 1 - age) & (kRecentCapacity - 1)];
  }
};

struct PeriodFinding {
  int period = 0;        // the period found; 0 for none
  int searchedUpTo = 0;  // the longest period the points allowed to look for
};

// The orbit has period p when each of its newest max(p, kFewestRepeats) points lies within
// the tolerance of the point p iterations before it, and no shorter p qualifies; p runs up
// to kLongestPeriod, or less while the orbit is too short to show it. The tolerance comes
// from the points alone, so the answer is the same whatever box shows them, and an orbit
// scaled by any factor keeps its period. On a wrapped coordinate the distance is taken the
// short way round.
PeriodFinding FindPeriod(const RecentPoints& points, CoordinateWrap wrap) noexcept;

}  // namespace orbitra
