#include "analysis/orbit_period.h"

#include <algorithm>
#include <cmath>

namespace orbitra {

namespace {

// |a - b|, the short way round when the coordinate wraps; not a number stays one.
double Distance(double a, double b, double period) noexcept {
  const double d = std::fabs(a - b);
  if (!(period > 0.0)) return d;
  const double r = std::fmod(d, period);
  return std::min(r, period - r);
}

}  // namespace

PeriodFinding FindPeriod(const RecentPoints& points, CoordinateWrap wrap, const WorldRange& box) noexcept {
  const double tolX = kPeriodTolerance * std::fabs(box.Xmax - box.Xmin);
  const double tolY = kPeriodTolerance * std::fabs(box.Ymax - box.Ymin);
  const auto same = [&](const WorldPoint& a, const WorldPoint& b) {
    return Distance(a.x, b.x, wrap.x) <= tolX && Distance(a.y, b.y, wrap.y) <= tolY;
  };
  const std::uint64_t held = std::min<std::uint64_t>(points.count, kRecentCapacity);

  PeriodFinding found;
  for (int p = 1; p <= kLongestPeriod; ++p) {
    const auto period = static_cast<std::uint64_t>(p);
    const std::uint64_t repeats = std::max(period, static_cast<std::uint64_t>(kFewestRepeats));
    if (repeats + period > held) break;
    found.searchedUpTo = p;
    bool repeated = true;
    for (std::uint64_t age = 0; age < repeats && repeated; ++age) {
      repeated = same(points.Back(age), points.Back(age + period));
    }
    if (repeated) {
      found.period = p;
      return found;
    }
  }
  return found;
}

}  // namespace orbitra
