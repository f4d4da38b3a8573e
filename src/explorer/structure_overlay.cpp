#include "explorer/structure_overlay.h"

#include <cmath>

#include "explorer/orbitra_state.h"
#include "plot/structure_drawing.h"

namespace orbitra {

void DrawStructure(const StructureOverlay& overlay, const PlotBox& xyBox, Canvas& canvas) {
  for (const ManifoldBranch& branch : overlay.Manifolds) {
    const Colour colour = branch.kind == ManifoldKind::Unstable ? kUnstableManifoldColour : kStableManifoldColour;
    DrawWorldPolyline(canvas, xyBox, branch.points, colour, overlay.Wrap);
  }
  if (!overlay.MarkersShown) return;
  const int half = static_cast<int>(canvas.Scaled(3));
  for (const PeriodicOrbit& orbit : overlay.Orbits) {
    for (const WorldPoint p : orbit.points) DrawOrbitMarker(canvas, xyBox, p, orbit.stability.kind, half);
  }
}

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
