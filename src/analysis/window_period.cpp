// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/window_period.h"

#include <algorithm>
#include <cmath>

namespace orbitra {

namespace {

double ToleranceOf(const double* v, std::int32_t n) noexcept {
  double low = v[0], high = v[0], size = 0.0;
  for (std::int32_t k = 0; k < n; ++k) {
    if (std::isnan(v[k])) return std::nan("");
    low = std::min(low, v[k]);
    high = std::max(high, v[k]);
    size = std::max(size, std::fabs(v[k]));
  }
  return kPeriodTolerance * std::max(high - low, kSettledExtent * size);
}

}  // namespace

std::int32_t WindowPeriod(const double* x, const double* y, std::int32_t n, std::int32_t longest,
                          CoordinateWrap wrap) noexcept {
  if (n <= 0) return 0;
  const double tolX = ToleranceOf(x, n);
  const double tolY = ToleranceOf(y, n);
  const std::int32_t newest = n - 1;
  struct Point {
    double x, y;
  };
  const auto at = [&](std::int64_t age) { return Point{x[newest - age], y[newest - age]}; };
  return DecidePeriod(at, n, longest, tolX, tolY, wrap);
}

WorldPoint CycleRepresentative(const double* x, const double* y, std::int32_t n, std::int32_t p) noexcept {
  std::int32_t best = n - 1;
  for (std::int32_t k = n - p; k < n; ++k) {
    if (x[k] < x[best] || (x[k] == x[best] && y[k] < y[best])) best = k;
  }
  return {x[best], y[best]};
}

}  // namespace orbitra
