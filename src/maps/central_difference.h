// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>

#include "maps/coordinate_wrap.h"
#include "maps/map_jacobian.h"
#include "maps/mapping_model.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {

// Relative step of the central differences: the cube root of the double epsilon, which
// balances the truncation error (of order h^2) against rounding (of order eps / h).
// Derivatives then come out to about 10 significant digits on smooth maps.
inline constexpr double kCentralDifferenceStep = 6.0554544523933395e-06;

namespace detail {

inline double ShortWayRound(double difference, double period) noexcept {
  return period > 0.0 ? difference - period * std::round(difference / period) : difference;
}

}  // namespace detail

// The Jacobian of `map` (any callable (x, y) -> MapImage) at (x, y) by central
// differences with the step kCentralDifferenceStep * max(1, |coordinate|). The divisor is
// the distance the rounded points really lie apart. Four evaluations of the map.
template <typename Map>
MapJacobian CentralDifferenceJacobian(const Map& map, double x, double y, CoordinateWrap wrap) {
  const double hx = kCentralDifferenceStep * std::max(1.0, std::fabs(x));
  const double hy = kCentralDifferenceStep * std::max(1.0, std::fabs(y));
  const double xPlus = x + hx, xMinus = x - hx;
  const double yPlus = y + hy, yMinus = y - hy;
  const MapImage right = map(xPlus, y), left = map(xMinus, y);
  const MapImage up = map(x, yPlus), down = map(x, yMinus);
  const double dx = xPlus - xMinus;
  const double dy = yPlus - yMinus;
  return {detail::ShortWayRound(right.x - left.x, wrap.x) / dx, detail::ShortWayRound(up.x - down.x, wrap.x) / dy,
          detail::ShortWayRound(right.y - left.y, wrap.y) / dx, detail::ShortWayRound(up.y - down.y, wrap.y) / dy};
}

// A map evaluated at run time through its routine, as a step with a Jacobian, for the
// same per-iterate use as the built-in step types. A user map's Jacobian is exact (dual
// numbers through its formulas); any other routine's comes from central differences.
struct RoutineStep {
  const MappingModel* model;
  IterationRoutine routine;
  CoordinateWrap wrap;

  MapImage operator()(double x, double y) const { return routine(*model, x, y); }
  MapJacobian Jacobian(double x, double y) const {
    const UserMapEvaluator* user = model->userMap.get();
    if (user != nullptr && user->HasExactJacobian()) {
      return user->Jacobian(x, y, model->k1, model->k2, model->k3, model->k4);
    }
    return CentralDifferenceJacobian(*this, x, y, wrap);
  }
};

}  // namespace orbitra
