// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/structure_commands.h"

#include <cmath>

namespace orbitra {

PlaneMap AnalysisMapOf(const OrbitraState& state) {
  const UserMap* user = state.UserMaps.OfSystem(state.Model.system);
  return PlaneMapOf(state.Model, user ? &user->definition : nullptr);
}

PeriodicOrbitSearch SearchOf(const OrbitraState& state, int maxPeriod, std::optional<WorldRange> region) {
  PeriodicOrbitSearch search;
  search.maxPeriod = maxPeriod;
  search.region = region.value_or(state.Boxes.XYBox.GetRange());
  return search;
}

const PeriodicOrbit* NearestSaddle(const std::vector<PeriodicOrbit>& orbits, int period, WorldPoint near) {
  const PeriodicOrbit* best = nullptr;
  double bestDistance = HUGE_VAL;
  for (const PeriodicOrbit& orbit : orbits) {
    if (orbit.period != period || !IsSaddle(orbit.stability.kind)) continue;
    for (const WorldPoint p : orbit.points) {
      const double d = std::hypot(p.x - near.x, p.y - near.y);
      if (d < bestDistance) {
        bestDistance = d;
        best = &orbit;
      }
    }
  }
  return best;
}

void UseAsInitialPoint(OrbitraState& state, const PeriodicOrbit& orbit) {
  RunState& run = state.Run;
  run.MousePoint.x = orbit.points.front().x;
  run.MousePoint.y = orbit.points.front().y;
  run.MousePoint.colour = run.RunColour;
  run.InitialPoint = run.MousePoint;
  run.CurrentPoint = run.MousePoint;
}

}  // namespace orbitra
