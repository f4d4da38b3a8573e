// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/orbit_period.h"

#include <algorithm>
#include <cmath>

namespace orbitra {

double WrappedDistance(double a, double b, double period) noexcept {
  const double d = std::fabs(a - b);
  if (!(period > 0.0)) return d;
  const double r = std::fmod(d, period);
  return std::min(r, period - r);
}

namespace {

// The tolerance of one coordinate over the newest `held` points: kPeriodTolerance of their
// extent, or of kSettledExtent of their size where they have (nearly) stopped moving. Not
// a number when a point is not one, so that nothing is then the same.
struct Tolerances {
  double x;
  double y;
};

Tolerances TolerancesOf(const RecentPoints& points, std::uint64_t held) noexcept {
  WorldPoint low = points.Back(0), high = low;
  double sizeX = 0.0, sizeY = 0.0;
  bool numbers = true;
  for (std::uint64_t age = 0; age < held; ++age) {
    const WorldPoint& p = points.Back(age);
    numbers = numbers && !std::isnan(p.x) && !std::isnan(p.y);
    low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    sizeX = std::max(sizeX, std::fabs(p.x));
    sizeY = std::max(sizeY, std::fabs(p.y));
  }
  if (!numbers) return {std::nan(""), std::nan("")};
  return {kPeriodTolerance * std::max(high.x - low.x, kSettledExtent * sizeX),
          kPeriodTolerance * std::max(high.y - low.y, kSettledExtent * sizeY)};
}

}  // namespace

PeriodFinding FindPeriod(const RecentPoints& points, CoordinateWrap wrap) noexcept {
  const std::uint64_t held = std::min<std::uint64_t>(points.count, kRecentCapacity);
  PeriodFinding found;
  if (held == 0) return found;
  const Tolerances tolerance = TolerancesOf(points, held);
  const auto at = [&](std::int64_t age) -> const WorldPoint& { return points.Back(static_cast<std::uint64_t>(age)); };
  const int p = DecidePeriod(at, static_cast<std::int64_t>(held), kLongestPeriod, tolerance.x, tolerance.y, wrap,
                             &found.searchedUpTo);
  found.period = std::max(p, 0);
  found.notSettled = p == kNotSettled;
  return found;
}

}  // namespace orbitra
