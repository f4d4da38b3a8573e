// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <algorithm>
#include <cmath>
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
  int period = 0;          // the period found; 0 for none
  int searchedUpTo = 0;    // the longest period the points allowed to look for
  bool notSettled = false;  // a period nearly shows, but the orbit still nears its cycle
};

// What the period test says of an orbit that comes back within the tolerance at some lag p
// but has not settled on a cycle of that period: a divisor q of p nearly closes too (within
// kNearlyClosing tolerances: the orbit nears a q-cycle whose multiplier is near -1, and lag
// 2q closes before lag q does), or the distances at lag p still shrink from one return to
// the next. Rather than a guessed period, such an orbit is "not settled".
inline constexpr int kNotSettled = -2;
inline constexpr double kNearlyClosing = 1000.0;
// Returns of lag p looked back over to see whether its distances still shrink, and the part
// of the distance of the oldest of them that the newest must keep.
inline constexpr int kSettleReturns = 2;
inline constexpr double kStillShrinking = 0.5;
// Distances below this part of the tolerance are rounding: there is nothing left to shrink.
inline constexpr double kRoundingFloor = 1e-3;

// The distance d in units of the tolerance t; 0 when d is, infinite when only t is, not a
// number when either is not.
inline double InTolerances(double d, double t) noexcept {
  if (std::isnan(t)) return t;
  return d == 0.0 ? 0.0 : d / t;
}

// The period test over the newest `held` points of an orbit, `at(age)` giving the point
// `age` iterations before the newest (any type with .x and .y): the smallest lag p up to
// `longest` at which each of the newest max(p, kFewestRepeats) points lies within the
// tolerances (tolX, tolY) of the point p before it; then kNotSettled when the orbit has not
// settled on it (above), else p. 0 when no lag closes. `searchedUpTo` gets the longest lag
// the points allowed to look at.
template <class At>
int DecidePeriod(const At& at, std::int64_t held, int longest, double tolX, double tolY, CoordinateWrap wrap,
                 int* searchedUpTo = nullptr) noexcept {
  // The largest distance at lag `lag` over ages first..first+count-1, in tolerances.
  const auto worst = [&](std::int64_t first, std::int64_t count, std::int64_t lag) {
    double most = 0.0;
    for (std::int64_t age = first; age < first + count; ++age) {
      const auto& a = at(age);
      const auto& b = at(age + lag);
      const double rx = InTolerances(WrappedDistance(a.x, b.x, wrap.x), tolX);
      const double ry = InTolerances(WrappedDistance(a.y, b.y, wrap.y), tolY);
      if (std::isnan(rx) || std::isnan(ry)) return std::nan("");  // nothing is the same
      most = std::max(most, std::max(rx, ry));
    }
    return most;
  };
  for (int p = 1; p <= longest; ++p) {
    const std::int64_t repeats = std::max(p, kFewestRepeats);
    if (repeats + p > held) break;
    if (searchedUpTo != nullptr) *searchedUpTo = p;
    const double newest = worst(0, repeats, p);
    if (!(newest <= 1.0)) continue;
    for (int q = 1; q < p; ++q) {
      if (p % q == 0 && worst(0, repeats, q) <= kNearlyClosing) return kNotSettled;
    }
    std::int64_t back = kSettleReturns;
    while (back > 0 && back * p + repeats + p > held) --back;
    if (back > 0 && newest > kRoundingFloor && newest < kStillShrinking * worst(back * p, repeats, p)) {
      return kNotSettled;
    }
    return p;
  }
  return 0;
}

// The orbit has period p when each of its newest max(p, kFewestRepeats) points lies within
// the tolerance of the point p iterations before it, and no shorter p qualifies; p runs up
// to kLongestPeriod, or less while the orbit is too short to show it. The tolerance comes
// from the points alone, so the answer is the same whatever box shows them, and an orbit
// scaled by any factor keeps its period. On a wrapped coordinate the distance is taken the
// short way round.
PeriodFinding FindPeriod(const RecentPoints& points, CoordinateWrap wrap) noexcept;

}  // namespace orbitra
