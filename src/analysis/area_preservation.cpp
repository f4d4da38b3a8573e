// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/area_preservation.h"

#include <cmath>

namespace orbitra {

namespace {

constexpr int kSide = 16;
constexpr double kTolerance = 1e-12;

}  // namespace

bool PreservesArea(const PlaneMap& map, const WorldRange& box) {
  int finite = 0;
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kSide; ++i) {
      const double x = box.Xmin + (i + 0.5) * ((box.Xmax - box.Xmin) / kSide);
      const double y = box.Ymin + (j + 0.5) * ((box.Ymax - box.Ymin) / kSide);
      const MapJacobian m = map.Jacobian(x, y);
      const double p = m.dxdx * m.dydy, q = m.dxdy * m.dydx;
      if (!std::isfinite(p) || !std::isfinite(q)) continue;
      ++finite;
      if (!(std::fabs(std::fabs(p - q) - 1.0) <= kTolerance * std::max(1.0, std::fabs(p) + std::fabs(q)))) {
        return false;
      }
    }
  }
  return finite > 0;
}

bool PreservesArea(const MappingModel& model) { return PreservesArea(PlaneMapOf(model), model.DefaultRange); }

}  // namespace orbitra
