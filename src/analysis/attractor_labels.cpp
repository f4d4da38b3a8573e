// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/attractor_labels.h"

#include <cmath>

namespace orbitra {

std::vector<std::int32_t> LabelAttractors(const GridValues& grid) { return LabelAttractors(grid, grid.done); }

std::vector<std::int32_t> LabelAttractors(const GridValues& grid, const std::vector<std::uint8_t>& counted) {
  struct Attractor {
    std::int32_t period;
    WorldPoint point;
  };
  std::vector<Attractor> found;
  const WorldRange& r = grid.settings.range;
  const double tolX = kAttractorMatch * std::fabs(r.Xmax - r.Xmin);
  const double tolY = kAttractorMatch * std::fabs(r.Ymax - r.Ymin);
  std::vector<std::int32_t> labels(grid.value.size(), 0);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (!counted[i]) continue;
    const std::int32_t p = grid.value[i];
    if (p == 0) continue;
    if (p < 0) {
      labels[i] = -1;
      continue;
    }
    const WorldPoint q = grid.representative[i];
    std::int32_t label = 0;
    for (std::size_t k = 0; k < found.size() && label == 0; ++k) {
      const Attractor& a = found[k];
      if (a.period == p && std::fabs(a.point.x - q.x) <= tolX && std::fabs(a.point.y - q.y) <= tolY) {
        label = static_cast<std::int32_t>(k + 1);
      }
    }
    if (label == 0) {
      found.push_back({p, q});
      label = static_cast<std::int32_t>(found.size());
    }
    labels[i] = label;
  }
  return labels;
}

}  // namespace orbitra
